// A session imported from a two-session CD-R written on the virtual
// recorder through the drive side, the way a burn writes it.

#include "engine/burner.h"
#include "engine/session_import.h"

#include "drive/transport.h"
#include "session_image_tools.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace valmuri;

namespace {

class VirtualRecorderImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.path().empty());
        std::ofstream(folder.path("vrecorder.ini")) << "[r]\nmedium=cd-r\nimage=disc.iso\n";
        setenv("VALMURI_VRECORDER", folder.path("vrecorder.ini").c_str(), 1);
        release_aspi_layers();
        ASSERT_TRUE(burner.InitializeASPI(false, std::string(VALMURI_BINARY_DIR) + "/libwnaspi32.so"));
        ASSERT_FALSE(burner.Devices().empty());
        burner.SelectDevice(burner.Devices()[0]);
    }

    void TearDown() override
    {
        // A configuration without recorders closes the disc now, while the
        // library's clock still lives, rather than at the process's exit.
        std::ofstream(folder.path("none.ini")) << "";
        setenv("VALMURI_VRECORDER", folder.path("none.ini").c_str(), 1);
        GetASPI32SupportInfo();
        release_aspi_layers();
        unsetenv("VALMURI_VRECORDER");
    }

    // Writes an image file at lba as one closed session of an open disc.
    void write_session(const std::string& name, std::uint32_t lba)
    {
        std::ifstream in(folder.path(name), std::ios::binary);
        std::vector<std::uint8_t> image(std::istreambuf_iterator<char>(in), {});
        ASSERT_EQ(image.size() % 2048, 0u);
        ASSERT_TRUE(burner.SetWriteParameters(false, true, false, dtCDR));
        const std::uint32_t sectors = static_cast<std::uint32_t>(image.size() / 2048);
        for (std::uint32_t done = 0; done < sectors; done += 16) {
            const std::uint16_t blocks = static_cast<std::uint16_t>(std::min<std::uint32_t>(16, sectors - done));
            ASSERT_TRUE(burner.Write10(lba + done, blocks, blocks * 2048u, image.data() + std::size_t{done} * 2048))
                << burner.LastErrorText();
        }
        ASSERT_TRUE(burner.SynchronizeCache(60000, false));
        ASSERT_TRUE(burner.CloseTrackSession(false, false)) << burner.LastErrorText();
    }

    std::uint32_t next_writable_address()
    {
        EXPECT_TRUE(burner.ReadTrackInformation(static_cast<std::uint32_t>(burner.GetSessionCount() + 1)));
        return burner.TrackInfo().next_writable;
    }

    test::ImageFolder folder;
    TVordaCDBurner burner;
};

} // namespace

TEST_F(VirtualRecorderImport, LastSessionListsOldAndNewFiles)
{
    folder.file("one/Música/faixa.mp3", std::string(3000, 'f'));
    folder.file("two/novo/nova.mp3", "nova");
    ASSERT_TRUE(folder.run("genisoimage -quiet -J -o s1.iso one"));
    write_session("s1.iso", 0);
    ASSERT_EQ(burner.GetSessionCount(), 1);

    const std::uint32_t next = next_writable_address();
    ASSERT_GT(next, folder.sectors("s1.iso"));
    ASSERT_TRUE(folder.run("xorriso -as mkisofs -quiet -J -C 0," + std::to_string(next) + " -M s1.iso -o s2.iso two"));
    write_session("s2.iso", next);
    ASSERT_EQ(burner.GetSessionCount(), 2);

    std::vector<std::string> lines;
    burner.OnDebugMessage = [&](TSCSIDevice*, const std::string& text, int type) {
        lines.push_back(std::to_string(type) + " " + text);
    };
    ASSERT_TRUE(ImportPreviousSession(burner, -1, nullptr));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "1 >>> IMPORTING SESSION # 2"), lines.end());

    DiscTree& tree = burner.Tree();
    const TFEntry* nova = tree.FindFileEntry(tree.FindDir("\\novo"), "nova.mp3");
    const TFEntry* faixa = tree.FindFileEntry(tree.FindDir("\\Música"), "faixa.mp3");
    ASSERT_NE(nova, nullptr);
    ASSERT_NE(faixa, nullptr);
    EXPECT_GE(static_cast<std::uint32_t>(nova->Location), next);
    EXPECT_LT(static_cast<std::uint32_t>(faixa->Location), next);

    // The old file's extent still holds its data on the disc.
    std::vector<std::uint8_t> sectors(2 * 2048);
    ASSERT_TRUE(burner.Read10(static_cast<std::uint32_t>(faixa->Location), 2, 2 * 2048, sectors.data()));
    EXPECT_EQ(std::string(sectors.begin(), sectors.begin() + 3000), std::string(3000, 'f'));

    // Session 1 alone has no new folder.
    burner.ClearFiles();
    ASSERT_TRUE(ImportPreviousSession(burner, 1, nullptr));
    EXPECT_EQ(tree.FindDir("\\novo"), nullptr);
    EXPECT_NE(tree.FindDir("\\Música"), nullptr);
}
