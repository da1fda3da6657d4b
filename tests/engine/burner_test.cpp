#include "engine/burner.h"
#include "engine/burn_log_header.h"

#include "tests/engine/temp_folder.h"

#include <gtest/gtest.h>

namespace valmuri {
namespace {

TEST(BurnerTest, FreshComponentDefaults)
{
    TVordaCDBurner burner;
    EXPECT_EQ(burner.CacheSize(), 4194304);
    EXPECT_EQ(burner.Version(), "1.23");
    EXPECT_TRUE(burner.JolietFileSystem());
    EXPECT_TRUE(burner.FinalizeTrack());
    EXPECT_TRUE(burner.UnderrunProtection());
    EXPECT_TRUE(burner.WritePostGap());
    EXPECT_FALSE(burner.FinalizeDisc());
    EXPECT_FALSE(burner.TestWrite());
    EXPECT_FALSE(burner.ReplaceFile());
    EXPECT_FALSE(burner.PerformOPC());
    EXPECT_FALSE(burner.Bootable());
    EXPECT_EQ(burner.ImportSession(), 0);
    EXPECT_EQ(burner.FileCount(), 0);
    EXPECT_EQ(burner.BytesWritten(), 0);
    EXPECT_EQ(burner.DeviceBufferSize(), 0u);
    EXPECT_EQ(burner.Tree().DirCount(), 1);
}

TEST(BurnerTest, CacheSizeIsClampedAndVersionIsFixed)
{
    TVordaCDBurner burner;
    burner.SetCacheSize(1000000);
    EXPECT_EQ(burner.CacheSize(), 2097152);
    burner.SetCacheSize(5000000);
    EXPECT_EQ(burner.CacheSize(), 4999168);
    burner.SetCacheSize(-1);
    EXPECT_EQ(burner.CacheSize(), 2097152);
    burner.SetVersion("2.0");
    EXPECT_EQ(burner.Version(), "1.23");
}

TEST(BurnerTest, LayoutTurnsDebugLinesOffAndTheHeaderOn)
{
    TVordaCDBurner burner;
    burner.SetDoDebug(true);
    burner.BuildLayout(true);
    EXPECT_FALSE(burner.DoDebug());
    burner.BuildImageHeader();
    EXPECT_TRUE(burner.DoDebug());
}

TEST(BurnerTest, HeaderOfAStaleLayoutIsReportedAsNotMatching)
{
    TVordaCDBurner burner;
    std::vector<std::string> errors;
    burner.OnDebugMessage = [&](TSCSIDevice*, const std::string& m, int type) {
        if (type == 0)
            errors.push_back(m);
    };
    ASSERT_EQ(burner.InsertFile("\\", "/etc/hostname", false), 1);
    burner.BuildLayout(true);
    EXPECT_TRUE(burner.BuildImageHeader());
    EXPECT_TRUE(errors.empty());

    // Laid out without the Joliet volume, built with it.
    burner.SetJolietFileSystem(false);
    burner.BuildLayout(true);
    burner.SetJolietFileSystem(true);
    EXPECT_FALSE(burner.BuildImageHeader());
    EXPECT_EQ(errors, std::vector<std::string>{"INTERNAL ERROR: IMAGE HEADER DOES NOT MATCH ITS LAYOUT"});
}

TEST(BurnLogHeader, NamesProgramDriveAndMedium)
{
    BurnLogFacts facts{"Valmuri MP3 1.0a", "VALMURI", "VIRTUAL RECORDER", "1.00", 2, 359847};
    EXPECT_EQ(burn_log_header(facts, "1.23"),
              (std::vector<std::string>{"Valmuri MP3 1.0a (engine 1.23)", "Drive: VALMURI VIRTUAL RECORDER 1.00",
                                        "Medium: CD-R, 359,847 sectors free (702.8 MB)"}));
    // A drive that did not answer INQUIRY, and a full disc.
    BurnLogFacts silent{"Valmuri MP3 1.0a", "", "", "", 11, 0};
    EXPECT_EQ(burn_log_header(silent, "1.23")[1], "Drive: UNKNOWN");
    EXPECT_EQ(burn_log_header(silent, "1.23")[2], "Medium: DVD+R, 0 sectors free (0.0 MB)");
}

TEST(BurnerTest, TreeMessagesReachTheDebugEvent)
{
    TVordaCDBurner burner;
    std::vector<std::pair<std::string, int>> messages;
    burner.OnDebugMessage = [&](TSCSIDevice* sender, const std::string& m, int type) {
        EXPECT_EQ(sender, &burner);
        messages.emplace_back(m, type);
    };
    EXPECT_EQ(burner.InsertFile("\\none", "/etc/hostname", false), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "INVALID DESTINATION PATH");
    EXPECT_EQ(messages[0].second, 4);
}

TEST(BurnerTest, AddFileEventSeesEveryFileAndMayRenameIt)
{
    test::TempFolder folder;
    TVordaCDBurner burner;
    int calls = 0;
    burner.OnAddFile = [&](TVordaCDBurner* sender, const std::string& full_path, std::string& long_name,
                           std::string& short_name, TDateTime&, int attr, std::int64_t size, bool& skip) {
        EXPECT_EQ(sender, &burner);
        EXPECT_EQ(full_path, (folder.path() / "a.mp3").string());
        EXPECT_EQ(attr, 0);
        EXPECT_EQ(size, 7);
        EXPECT_FALSE(skip);
        long_name = "Faixa 1.mp3";
        short_name = "faixa1.mp3";
        ++calls;
    };
    EXPECT_EQ(burner.InsertFile("\\", folder.file("a.mp3", 7), false), 1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(burner.Tree().Root()->FirstEntry->LongName, "Faixa 1.mp3");
    EXPECT_EQ(burner.Tree().Root()->FirstEntry->ShortName, "FAIXA1.MP3");
}

TEST(BurnerTest, ResetClearsTheHeaderStream)
{
    TVordaCDBurner burner;
    burner.BuildLayout(true);
    burner.BuildImageHeader();
    EXPECT_FALSE(burner.HeaderStream().empty());
    burner.ClearFiles();
    EXPECT_TRUE(burner.HeaderStream().empty());
}

TEST(BurnerTest, PathSizeOfAFileAndOfAFolder)
{
    test::TempFolder folder;
    TVordaCDBurner burner;
    folder.file("d/a.bin", 1000);
    folder.file("d/b.bin", 3000);
    folder.file("d/sub/c.bin", 500);
    const std::string d = (folder.path() / "d").string();
    EXPECT_EQ(burner.GetPathSize(d + "/"), 4500);
    EXPECT_EQ(burner.GetPathSize(d + "\\"), 4500);
    EXPECT_EQ(burner.GetPathSize(d + "/a.bin"), 1000);
    EXPECT_EQ(burner.GetPathSize(d), 0) << "a folder without the final separator";
    EXPECT_EQ(burner.GetPathSize(d + "/missing"), 0);
}

} // namespace
} // namespace valmuri
