#include "engine/session_import.h"

#include "iso_test_disc.h"
#include "session_image_tools.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace valmuri;

namespace {

class SessionImportTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.path().empty());
        folder.file("old/Música/Rock/Canção longa número um.mp3", std::string(5000, 'r'));
        folder.file("old/Música/faixa.mp3", "faixa");
        folder.file("old/README", "readme");
        folder.file("old/empty.mp3", "");
        ASSERT_TRUE(folder.run("genisoimage -quiet -J -o old.iso old"));
        tree.Now = [] { return 40000.0; };
    }

    // The bytes a node's extent holds on the image, as long as its size.
    std::string data_at(const TFEntry& file)
    {
        std::ifstream image(folder.path("old.iso"), std::ios::binary);
        image.seekg(std::streamoff{file.Location} * 2048);
        std::string bytes(static_cast<std::size_t>(file.Size), '\0');
        image.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

    bool import(std::int8_t session = -1, TDEntry* into = nullptr)
    {
        ImageFileDiscReader disc(folder.path("old.iso").string());
        return ImportPreviousSession(tree, disc, session, into, {});
    }

    test::ImageFolder folder;
    DiscTree tree;
};

} // namespace

TEST_F(SessionImportTree, ImportedFilesPointAtTheirDataOnTheDisc)
{
    ASSERT_TRUE(import());
    TDEntry* rock = tree.FindDir("\\Música\\Rock");
    ASSERT_NE(rock, nullptr);
    EXPECT_EQ(rock->LongName, "Rock");
    EXPECT_EQ(tree.FindDir("\\música"), tree.FindDir("\\Música"));

    const TFEntry* song = tree.FindFileEntry(rock, "Canção longa número um.mp3");
    ASSERT_NE(song, nullptr);
    EXPECT_TRUE(song->Imported);
    EXPECT_TRUE(song->SourcePath.empty());
    EXPECT_EQ(song->Size, 5000);
    EXPECT_EQ(song->SizeJoliet, 5000);
    EXPECT_EQ(song->LocationJoliet, song->Location);
    EXPECT_EQ(data_at(*song), std::string(5000, 'r'));
    EXPECT_EQ(song->ShortName, "CAN__O_LONGA_");

    const TFEntry* faixa = tree.FindFileEntry(tree.FindDir("\\Música"), "FAIXA.MP3");
    ASSERT_NE(faixa, nullptr);
    EXPECT_EQ(data_at(*faixa), "faixa");

    // A name without a dot takes one, as every file of the tree does.
    EXPECT_NE(tree.FindFileEntry(tree.Root(), "README."), nullptr);
}

TEST_F(SessionImportTree, EmptyFilesAreImportedToo)
{
    ASSERT_TRUE(import());
    const TFEntry* empty = tree.FindFileEntry(tree.Root(), "empty.mp3");
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->Imported);
    EXPECT_EQ(empty->Size, 0);
    EXPECT_TRUE(empty->SourcePath.empty());

    // Written by a layout that gives empty files extent 0.
    test::TestDisc disc(40);
    const std::uint32_t table = disc.path_table(19, {1});
    disc.volume_descriptor(16, 1, 40, 19, table, 20, 2048);
    disc.terminator(17);
    disc.record(20, disc.dot_records(20, 20, 20), "ZERO.MP3;1", 0, 0, 0);
    MemoryDiscReader reader(disc.bytes());
    DiscTree other;
    ASSERT_TRUE(ImportPreviousSession(other, reader, -1, nullptr, {}));
    const TFEntry* zero = other.FindFileEntry(other.Root(), "ZERO.MP3");
    ASSERT_NE(zero, nullptr);
    EXPECT_TRUE(zero->Imported);
    EXPECT_EQ(zero->Location, 0);
}

TEST_F(SessionImportTree, WhatIsAlreadyInTheTreeStays)
{
    folder.file("new/faixa.mp3", "new version");
    tree.SetReplaceFile(true);
    TDEntry* music = tree.CreateDirPath("\\Música");
    ASSERT_NE(music, nullptr);
    ASSERT_EQ(tree.InsertFile("\\Música", folder.path("new/faixa.mp3").string(), false), 1);

    ASSERT_TRUE(import());
    EXPECT_EQ(tree.FindDir("\\Música"), music);
    const TFEntry* faixa = tree.FindFileEntry(music, "faixa.mp3");
    ASSERT_NE(faixa, nullptr);
    EXPECT_FALSE(faixa->Imported);
    EXPECT_EQ(faixa->SourcePath, folder.path("new/faixa.mp3").string());
    EXPECT_NE(tree.FindDir("\\Música\\ROCK"), nullptr);

    // A second import adds nothing.
    const int files = tree.FileCount();
    const int dirs = tree.DirCount();
    ASSERT_TRUE(import());
    EXPECT_EQ(tree.FileCount(), files);
    EXPECT_EQ(tree.DirCount(), dirs);
}

TEST_F(SessionImportTree, FolderNamedLikeAFileIsLeftOutWithItsContents)
{
    folder.file("old/docs/inner.mp3", "inner");
    ASSERT_TRUE(folder.run("rm old.iso && genisoimage -quiet -J -o old.iso old"));
    folder.file("new/docs", "a file");
    ASSERT_EQ(tree.InsertFile("\\", folder.path("new/docs").string(), false), 1);
    // The tree stores the file as "docs."; make it exactly "docs" to collide.
    ASSERT_NE(tree.FindFileEntry(tree.Root(), "docs."), nullptr);
    ASSERT_TRUE(tree.RenameFileEntry("\\", "docs.", "", "docs"));

    ASSERT_TRUE(import());
    EXPECT_EQ(tree.FindDir("\\DOCS"), nullptr);
    int named_docs = 0;
    for (TFEntry* node = tree.Root()->FirstEntry; node != nullptr; node = node->Next)
        named_docs += node->LongName == "docs";
    EXPECT_EQ(named_docs, 1);
    EXPECT_NE(tree.FindFileEntry(tree.Root(), "README."), nullptr);
}

TEST_F(SessionImportTree, ImportsIntoAGivenFolder)
{
    TDEntry* into = tree.CreateDirPath("\\anterior");
    ASSERT_NE(into, nullptr);
    ASSERT_TRUE(import(1, into));
    EXPECT_NE(tree.FindDir("\\ANTERIOR\\Música\\ROCK"), nullptr);
    EXPECT_EQ(tree.FindFileEntry(tree.Root(), "README."), nullptr);
    EXPECT_NE(tree.FindFileEntry(into, "README."), nullptr);
}

TEST_F(SessionImportTree, DamagedOrMissingVolumeAddsNothing)
{
    // The tree is whole before the walk reaches the damage: still nothing is added.
    test::TestDisc disc(40);
    const std::uint32_t table = disc.path_table(19, {1, 1});
    disc.volume_descriptor(16, 1, 40, 19, table, 20, 2048);
    disc.terminator(17);
    std::size_t offset = disc.dot_records(20, 20, 20);
    offset = disc.record(20, offset, "A.MP3;1", 30, 10, 0);
    offset = disc.record(20, offset, "SUB", 21, 2048, 2);
    disc.record(21, disc.dot_records(21, 21, 20), "LOOP", 20, 2048, 2);
    MemoryDiscReader reader(disc.bytes());
    std::vector<std::string> messages;
    EXPECT_FALSE(ImportPreviousSession(tree, reader, -1, nullptr,
        [&](const std::string& text, std::uint8_t) { messages.push_back(text); }));
    EXPECT_EQ(tree.FileCount(), 0);
    EXPECT_EQ(tree.DirCount(), 1);
    EXPECT_EQ(messages.back(), ">>> ERROR IMPORTING SESSION # 1");

    test::TestDisc blank(40);
    MemoryDiscReader empty(blank.bytes());
    EXPECT_FALSE(ImportPreviousSession(tree, empty, -1, nullptr, {}));
    EXPECT_EQ(tree.FileCount(), 0);
}

TEST(SessionImportDates, RecordingDatesAndAttributes)
{
    const CivilTime valid = decode_date_time(imported_date_time({126, 12, 8, 10, 20, 30, 0}));
    EXPECT_EQ(valid.year, 2026);
    EXPECT_EQ(valid.month, 12);
    EXPECT_EQ(valid.day, 8);
    EXPECT_EQ(valid.hour, 10);
    EXPECT_EQ(valid.minute, 20);
    EXPECT_EQ(valid.second, 30);
    // Before the MS-DOS range, kept as it is.
    EXPECT_EQ(decode_date_time(imported_date_time({70, 1, 1, 0, 0, 1, 0})).year, 1970);

    // No such day: day 0 with the time.
    const TDateTime no_day = imported_date_time({126, 2, 30, 6, 0, 0, 0});
    EXPECT_DOUBLE_EQ(no_day, 0.25);
    EXPECT_DOUBLE_EQ(imported_date_time({0, 0, 0, 0, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(imported_date_time({126, 1, 1, 99, 99, 99, 0}), encode_date_time({2026, 1, 1}));

    test::TestDisc disc(40);
    const std::uint32_t table = disc.path_table(19, {1});
    disc.volume_descriptor(16, 1, 40, 19, table, 20, 2048);
    disc.terminator(17);
    disc.record(20, disc.dot_records(20, 20, 20), "HIDDEN.MP3;1", 30, 10, 1);
    MemoryDiscReader reader(disc.bytes());
    DiscTree tree;
    ASSERT_TRUE(ImportPreviousSession(tree, reader, -1, nullptr, {}));
    const TFEntry* hidden = tree.FindFileEntry(tree.Root(), "HIDDEN.MP3");
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->Attr, AttrHidden);
    const CivilTime date = decode_date_time(hidden->DateTime);
    EXPECT_EQ(date.year, 2026);
    EXPECT_EQ(date.month, 12);
    EXPECT_EQ(date.day, 8);
}
