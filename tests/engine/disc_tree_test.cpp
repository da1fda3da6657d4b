#include "engine/disc_tree.h"

#include "tests/engine/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace valmuri {
namespace {

struct Message {
    std::string text;
    int type;
};

class DiscTreeTest : public ::testing::Test {
protected:
    DiscTreeTest()
    {
        tree.OnDebug = [this](const std::string& text, std::uint8_t type) { messages.push_back({text, type}); };
    }

    static SearchRecord file_record(const std::string& name, std::int64_t size = 100, std::uint32_t attr = 0)
    {
        SearchRecord rec;
        rec.Name = name;
        rec.Size = size;
        rec.Attr = attr;
        rec.Time = (46u << 25) | (12u << 21) | (8u << 16) | (17u << 11) | (30u << 5) | 10u; // 2026-12-08 17:30:20
        return rec;
    }

    std::vector<std::string> root_names() const
    {
        std::vector<std::string> names;
        for (const TFEntry* node = tree.Root()->FirstEntry; node; node = node->Next)
            names.push_back(node->LongName);
        return names;
    }

    DiscTree tree;
    std::vector<Message> messages;
    test::TempFolder folder;
};

TEST_F(DiscTreeTest, FreshTreeHoldsOnlyTheRoot)
{
    EXPECT_EQ(tree.DirCount(), 1);
    EXPECT_EQ(tree.FileCount(), 0);
    const TDEntry* root = tree.Root();
    EXPECT_EQ(root->Path, "\\");
    EXPECT_EQ(root->Parent, root);
    EXPECT_EQ(root->ShortName, "CD_ROOT");
    EXPECT_EQ(root->LongName, "CD Root Directory");
    EXPECT_EQ(root->FirstEntry, nullptr);
}

TEST_F(DiscTreeTest, TableLimitsAreReportedAndLeaveTheTreeAsItWas)
{
    for (int i = 1; i < DefaultMaxDirs; ++i)
        ASSERT_NE(tree.CreateDir(tree.Root(), "d" + std::to_string(i), AttrDirectory), nullptr) << i;
    EXPECT_EQ(tree.DirCount(), 8191);
    EXPECT_EQ(tree.CreateDir(tree.Root(), "one more", AttrDirectory), nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, ">>> MAXIMUM DIRECTORIES CAN BE 8191");
    EXPECT_EQ(messages[0].type, 3);
    EXPECT_EQ(tree.FileCount(), 8190);

    // The subfolders take 8190 file slots; fill the rest with files.
    messages.clear();
    for (int i = tree.FileCount(); i < DefaultMaxFiles; ++i)
        ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("f" + std::to_string(i) + ".mp3"), 0, "/x"));
    EXPECT_FALSE(tree.AddFileEntry(tree.Root(), file_record("last.mp3"), 0, "/x"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "MAXIMUM FILES CAN BE 65535");
    EXPECT_EQ(messages[0].type, 3);
    EXPECT_EQ(tree.FileCount(), 65535);
}

TEST_F(DiscTreeTest, FullFileTableAddsNoFolderRecordEither)
{
    tree.ResetFileTree(1, 10);
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("a.mp3"), 0, "/x"));
    EXPECT_EQ(tree.CreateDir(tree.Root(), "music", AttrDirectory), nullptr);
    EXPECT_EQ(tree.DirCount(), 1);
    EXPECT_EQ(tree.IsoOrder().size(), 1u);
    EXPECT_EQ(tree.FindDir("\\MUSIC"), nullptr);
}

TEST_F(DiscTreeTest, InsertFileIntoTheRootUsesTheUpperCasedNameAsShortName)
{
    const std::string source = folder.file("song.mp3", 1234);
    EXPECT_EQ(tree.InsertFile("\\", source, false), 1);
    ASSERT_EQ(tree.FileCount(), 1);
    const TFEntry* node = tree.Root()->FirstEntry;
    EXPECT_EQ(node->LongName, "song.mp3");
    EXPECT_EQ(node->ShortName, "SONG.MP3");
    EXPECT_EQ(node->Size, 1234);
    EXPECT_EQ(node->SizeJoliet, 1234);
    EXPECT_EQ(node->SourcePath, source);
    EXPECT_FALSE(node->Imported);
}

TEST_F(DiscTreeTest, InsertFileResults)
{
    EXPECT_EQ(tree.InsertFile("\\", (folder.path() / "missing.mp3").string(), false), -1);
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(tree.InsertFile("\\nowhere", folder.file("a.mp3"), false), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "INVALID DESTINATION PATH");
    EXPECT_EQ(messages[0].type, 4);

    // A folder given as the source file is refused like a missing file.
    std::filesystem::create_directories(folder.path() / "sub");
    EXPECT_EQ(tree.InsertFile("\\", (folder.path() / "sub").string(), false), -1);
    EXPECT_EQ(tree.FileCount(), 0);
}

TEST_F(DiscTreeTest, KeepSourcePathCreatesTheSourceFolders)
{
    EXPECT_EQ(tree.InsertFile("ignored", "C:\\music\\rock\\a.mp3", true), -1);
    ASSERT_NE(tree.FindDir("\\MUSIC"), nullptr);
    const TDEntry* rock = tree.FindDir("\\MUSIC\\ROCK");
    ASSERT_NE(rock, nullptr);
    EXPECT_EQ(rock->Parent, tree.FindDir("\\MUSIC"));
    EXPECT_EQ(rock->LongName, "rock");
    EXPECT_EQ(rock->ShortName, "ROCK");

    tree.InsertFile("", "\\\\srv\\share\\x\\a.mp3", true);
    EXPECT_NE(tree.FindDir("\\X"), nullptr);
    EXPECT_EQ(tree.FindDir("\\SHARE"), nullptr);

    const std::string source = folder.file("Músicas/Rock/b.mp3", 10);
    EXPECT_EQ(tree.InsertFile("", source, true), 1);
    const std::string kept = kept_source_folder(source);
    const TDEntry* dir = tree.FindDir(kept);
    ASSERT_NE(dir, nullptr);
    ASSERT_NE(dir->FirstEntry, nullptr);
    EXPECT_EQ(dir->FirstEntry->LongName, "b.mp3");
    EXPECT_EQ(dir->LongName, "Rock");
}

TEST_F(DiscTreeTest, FindDirIgnoresCaseAndOneTrailingBackslash)
{
    TDEntry* music = tree.CreateDir(tree.Root(), "Music", AttrDirectory);
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->Path, "\\MUSIC");
    EXPECT_EQ(tree.FindDir("\\music\\"), music);
    EXPECT_EQ(tree.FindDir("\\MUSIC"), music);
    EXPECT_EQ(tree.FindDir("\\Music"), music);
    EXPECT_EQ(tree.FindDir(""), tree.Root());
    EXPECT_EQ(tree.CreateDir(tree.Root(), "MUSIC", AttrDirectory), music);
    EXPECT_EQ(tree.DirCount(), 2);
}

TEST_F(DiscTreeTest, CreatedFolderGetsAnAlternateNameOfThirteenPlainCharacters)
{
    const TDEntry* dir = tree.CreateDir(tree.Root(), "\\Über Hits\\", AttrDirectory);
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(dir->ShortName, "_BER_HITS");
    EXPECT_EQ(dir->LongName, "Über Hits");
    const TDEntry* long_dir = tree.CreateDir(tree.Root(), "a very long folder name", AttrDirectory);
    EXPECT_EQ(long_dir->ShortName, "A_VERY_LONG_F");
}

TEST_F(DiscTreeTest, NameWithoutDotGetsAFinalDot)
{
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("README"), 0, "/x/README"));
    EXPECT_EQ(tree.Root()->FirstEntry->LongName, "README.");
    EXPECT_EQ(tree.Root()->FirstEntry->ShortName, "README.");
}

TEST_F(DiscTreeTest, DuplicateNamesKeepTheFirstUnlessReplacing)
{
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("a.mp3", 10), 0, "/one/a.mp3"));
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("b.mp3", 20), 0, "/one/b.mp3"));
    EXPECT_FALSE(tree.AddFileEntry(tree.Root(), file_record("A.MP3", 30), 0, "/two/A.MP3"));
    EXPECT_EQ(tree.FileCount(), 2);
    EXPECT_EQ(tree.Root()->FirstEntry->SourcePath, "/one/a.mp3");

    tree.SetReplaceFile(true);
    SearchRecord newer = file_record("A.MP3", 30);
    newer.Time = (40u << 25) | (1u << 21) | (2u << 16);
    EXPECT_TRUE(tree.AddFileEntry(tree.Root(), newer, 0, "/two/A.MP3"));
    EXPECT_EQ(tree.FileCount(), 2);
    const TFEntry* first = tree.Root()->FirstEntry;
    EXPECT_EQ(first->SourcePath, "/two/A.MP3");
    EXPECT_EQ(first->Size, 30);
    EXPECT_EQ(decode_date_time(first->DateTime).year, 2020);
    EXPECT_EQ(root_names(), (std::vector<std::string>{"A.MP3", "b.mp3"}));
    EXPECT_EQ(tree.FindFileEntry(tree.Root(), "a.mp3"), first);
}

TEST_F(DiscTreeTest, FileNeverReplacesAFolderNode)
{
    tree.SetReplaceFile(true);
    TDEntry* dir = tree.CreateDir(tree.Root(), "a.b", AttrDirectory);
    EXPECT_FALSE(tree.AddFileEntry(tree.Root(), file_record("A.B"), 0, "/x/A.B"));
    EXPECT_EQ(tree.Root()->FirstEntry->Dir, dir);
    EXPECT_EQ(tree.Root()->FirstEntry->Attr, AttrDirectory);
}

TEST_F(DiscTreeTest, NamesMustFitAJolietRecord)
{
    auto name = [](std::size_t characters) { return std::string(characters - 4, 'x') + ".mp3"; };
    EXPECT_FALSE(tree.AddFileEntry(tree.Root(), file_record(name(110)), 0, "/x"));
    EXPECT_FALSE(tree.AddFileEntry(tree.Root(), file_record(name(109)), 0, "/x"));
    EXPECT_TRUE(tree.AddFileEntry(tree.Root(), file_record(name(108)), 0, "/x"));
    // Characters count, not bytes: 108 two-byte characters still fit.
    std::string accented;
    for (int i = 0; i < 104; ++i)
        accented += "é";
    EXPECT_TRUE(tree.AddFileEntry(tree.Root(), file_record(accented + ".mp3"), 0, "/x"));
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(tree.CreateDir(tree.Root(), std::string(111, 'd'), AttrDirectory), nullptr);
    EXPECT_NE(tree.CreateDir(tree.Root(), std::string(110, 'd'), AttrDirectory), nullptr);

    // A handler cannot make an unwritable name either.
    tree.OnAddFile = [](const std::string&, std::string& long_name, std::string&, TDateTime&, std::uint32_t,
                        std::int64_t, bool& skip) {
        long_name = std::string(120, 'h') + ".mp3";
        skip = false;
    };
    EXPECT_FALSE(tree.AddFileEntry(tree.Root(), file_record("c.mp3"), 0, "/x"));
}

TEST_F(DiscTreeTest, DeepKeptPathWithAnOverlongFolderIsAnInvalidDestination)
{
    const std::string source = "C:\\" + std::string(120, 'd') + "\\a.mp3";
    EXPECT_EQ(tree.InsertFile("", source, true), 0);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, "INVALID DESTINATION PATH");
    EXPECT_EQ(tree.DirCount(), 1);
}

TEST_F(DiscTreeTest, FilesOfFourGibibytesAreRefusedWithAMessage)
{
    EXPECT_TRUE(tree.AddFileEntry(tree.Root(), file_record("max.bin", 0xFFFFFFFFLL), 0, "/x/max.bin"));
    EXPECT_FALSE(tree.AddFileEntry(tree.Root(), file_record("big.bin", 0x100000000LL), 0, "/x/big.bin"));
    EXPECT_EQ(tree.FileCount(), 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find("/x/big.bin"), std::string::npos);
    EXPECT_EQ(messages[0].type, 4);
}

TEST_F(DiscTreeTest, LongMultiByteShortNameIsCutAtACharacterBoundary)
{
    std::string name;
    for (int i = 0; i < 100; ++i)
        name += "ã"; // two bytes each
    name += ".mp3";  // 104 characters, 204 bytes: Joliet fits
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record(name), 0, "/x"));
    const TFEntry* node = tree.Root()->FirstEntry;
    EXPECT_EQ(node->LongName, name);
    EXPECT_EQ(node->ShortName, name.substr(0, 200) + ".MP3"); // 206 bytes with ";1": fits as it is

    std::string wide;
    for (int i = 0; i < 80; ++i)
        wide += "€"; // 240 bytes, 80 characters
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record(wide), 0, "/x"));
    const TFEntry* cut = tree.Root()->FirstEntry->Next;
    EXPECT_EQ(cut->LongName, wide + ".");
    // 219 bytes at most before ";1": 73 whole characters.
    EXPECT_EQ(cut->ShortName, wide.substr(0, 219));
}

TEST_F(DiscTreeTest, HandlerMayRenameOrSkip)
{
    tree.OnAddFile = [](const std::string& path, std::string& long_name, std::string& short_name, TDateTime&,
                        std::uint32_t, std::int64_t size, bool& skip) {
        EXPECT_EQ(path, "/src/a.mp3");
        EXPECT_EQ(size, 100);
        long_name = "Renamed.mp3";
        short_name = "renamed.mp3";
        skip = false;
    };
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("a.mp3"), 0, "/src/a.mp3"));
    EXPECT_EQ(tree.Root()->FirstEntry->ShortName, "RENAMED.MP3");
    EXPECT_NE(tree.FindFileEntry(tree.Root(), "renamed.MP3"), nullptr);
    EXPECT_EQ(tree.FindFileEntry(tree.Root(), "a.mp3"), nullptr);

    tree.OnAddFile = [](const std::string&, std::string&, std::string&, TDateTime&, std::uint32_t, std::int64_t,
                        bool& skip) { skip = true; };
    EXPECT_FALSE(tree.AddFileEntry(tree.Root(), file_record("b.mp3"), 0, "/src/b.mp3"));
    EXPECT_EQ(tree.FileCount(), 1);
}

TEST_F(DiscTreeTest, ImportedEntryKeepsItsLocation)
{
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("old.mp3"), 1234, ""));
    const TFEntry* node = tree.Root()->FirstEntry;
    EXPECT_TRUE(node->Imported);
    EXPECT_EQ(node->Location, 1234);
    EXPECT_EQ(node->LocationJoliet, 1234);
}

TEST_F(DiscTreeTest, DateThatCannotBeConvertedBecomesNow)
{
    tree.Now = [] { return 45000.5; };
    SearchRecord rec = file_record("a.mp3");
    rec.Time = 0;
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), rec, 0, "/x"));
    EXPECT_EQ(tree.Root()->FirstEntry->DateTime, 45000.5);
}

TEST_F(DiscTreeTest, HiddenSourceFileKeepsItsAttribute)
{
    const std::string source = folder.file(".hidden.mp3", 5);
    ASSERT_EQ(tree.InsertFile("\\", source, false), 1);
    EXPECT_EQ(tree.Root()->FirstEntry->Attr, AttrHidden);
}

TEST_F(DiscTreeTest, RenameChangesTheLongNameAndShortNamesUpToThirteenCharacters)
{
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("song.mp3"), 0, "/x"));
    // A short name over 13 characters refuses the whole rename.
    EXPECT_FALSE(tree.RenameFileEntry("\\", "song.mp3", "", "My song title.mp3"));
    const TFEntry* node = tree.Root()->FirstEntry;
    EXPECT_EQ(node->LongName, "song.mp3");
    EXPECT_EQ(node->ShortName, "SONG.MP3");
    EXPECT_TRUE(tree.RenameFileEntry("\\", "song.mp3", "", "My song.mp3"));

    EXPECT_TRUE(tree.RenameFileEntry("\\", "MY SONG.MP3", "", "Track 01.mp3"));
    EXPECT_EQ(node->LongName, "Track 01.mp3");
    EXPECT_EQ(node->ShortName, "TRACK 01.MP3");
    EXPECT_EQ(tree.FindFileEntry(tree.Root(), "track 01.mp3"), node);
    EXPECT_EQ(tree.FindFileEntry(tree.Root(), "song.mp3"), nullptr);

    EXPECT_TRUE(tree.RenameFileEntry("\\", "Track 01.mp3", "t1.mp3", "Track 01.mp3"));
    EXPECT_EQ(node->ShortName, "T1.MP3");

    EXPECT_FALSE(tree.RenameFileEntry("\\", "missing.mp3", "", "x.mp3"));
    EXPECT_FALSE(tree.RenameFileEntry("\\none", "Track 01.mp3", "", "x.mp3"));
    // A long name that no Joliet record can hold leaves the node alone.
    EXPECT_FALSE(tree.RenameFileEntry("\\", "Track 01.mp3", "", std::string(109, 'x')));
    EXPECT_EQ(node->LongName, "Track 01.mp3");
}

TEST_F(DiscTreeTest, RenameToANameAnotherEntryOfTheFolderHasIsRefused)
{
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("a.mp3"), 0, "/a"));
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("b.mp3"), 0, "/b"));
    TDEntry* sub = tree.CreateDir(tree.Root(), "sub", AttrDirectory);
    ASSERT_TRUE(tree.AddFileEntry(sub, file_record("c.mp3"), 0, "/c"));

    EXPECT_FALSE(tree.RenameFileEntry("\\", "b.mp3", "", "A.MP3"));
    EXPECT_EQ(tree.FindFileEntry(tree.Root(), "b.mp3")->LongName, "b.mp3");
    EXPECT_EQ(tree.FindFileEntry(tree.Root(), "a.mp3")->LongName, "a.mp3");
    // Nor the name of a folder beside it; another folder's names are free.
    EXPECT_FALSE(tree.RenameFileEntry("\\", "b.mp3", "", "sub"));
    EXPECT_TRUE(tree.RenameFileEntry("\\sub", "c.mp3", "", "a.mp3"));
    // Its own name in another case is no clash.
    EXPECT_TRUE(tree.RenameFileEntry("\\", "b.mp3", "", "B.mp3"));
    EXPECT_EQ(tree.FindFileEntry(tree.Root(), "b.mp3")->LongName, "B.mp3");
}

TEST_F(DiscTreeTest, ResetEmptiesTheTreeAndAppliesNewCapacities)
{
    tree.CreateDir(tree.Root(), "a", AttrDirectory);
    tree.AddFileEntry(tree.Root(), file_record("x.mp3"), 0, "/x");
    tree.ResetFileTree(2, 2);
    EXPECT_EQ(tree.DirCount(), 1);
    EXPECT_EQ(tree.FileCount(), 0);
    EXPECT_EQ(tree.FindDir("\\A"), nullptr);
    EXPECT_EQ(tree.Root()->FirstEntry, nullptr);
    EXPECT_NE(tree.CreateDir(tree.Root(), "a", AttrDirectory), nullptr);
    EXPECT_EQ(tree.CreateDir(tree.Root(), "b", AttrDirectory), nullptr);
}

} // namespace
} // namespace valmuri
