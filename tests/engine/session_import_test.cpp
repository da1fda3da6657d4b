#include "engine/session_import.h"

#include "iso_test_disc.h"
#include "session_image_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace valmuri;

namespace {

struct Messages {
    std::vector<std::pair<std::string, std::uint8_t>> lines;
    ImportMessage sink()
    {
        return [this](const std::string& text, std::uint8_t type) { lines.emplace_back(text, type); };
    }
    bool has(const std::string& text, std::uint8_t type) const
    {
        return std::find(lines.begin(), lines.end(), std::pair(text, type)) != lines.end();
    }
};

// Full paths of the imported nodes, "/" separated, directories with a trailing "/".
std::vector<std::string> paths(const ImportedSession& session)
{
    std::vector<std::string> out;
    for (const auto& node : session.nodes) {
        std::string path = node.entry.name + (node.entry.is_directory() ? "/" : "");
        for (int p = node.parent; p >= 0; p = session.nodes[static_cast<std::size_t>(p)].parent)
            path = session.nodes[static_cast<std::size_t>(p)].entry.name + "/" + path;
        out.push_back(path);
    }
    return out;
}

bool contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

class SessionImportImages : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.path().empty());
        folder.file("one/Música/Rock/Canção longa número um.mp3", "song");
        folder.file("one/Música/faixa.mp3", "faixa");
        folder.file("one/README", "readme");
        folder.file("one/empty.mp3", "");
    }

    test::ImageFolder folder;
};

} // namespace

TEST_F(SessionImportImages, JolietTreeGivesLongNamesInDiscOrder)
{
    ASSERT_TRUE(folder.run("genisoimage -quiet -J -R -o one.iso one"));
    ImageFileDiscReader disc(folder.path("one.iso").string());
    Messages messages;
    const auto session = read_previous_session(disc, -1, messages.sink());
    ASSERT_TRUE(session);
    EXPECT_TRUE(session->joliet);
    EXPECT_EQ(session->session, 1);
    EXPECT_TRUE(messages.has(">>> IMPORTING SESSION # 1", 1));

    const auto list = paths(*session);
    EXPECT_TRUE(contains(list, "Música/"));
    EXPECT_TRUE(contains(list, "Música/Rock/Canção longa número um.mp3"));
    EXPECT_TRUE(contains(list, "Música/faixa.mp3"));
    EXPECT_TRUE(contains(list, "README"));
    EXPECT_TRUE(contains(list, "empty.mp3"));
    EXPECT_EQ(list.size(), 6u);

    // A directory comes before everything in it.
    for (std::size_t i = 0; i < session->nodes.size(); ++i)
        EXPECT_LT(session->nodes[i].parent, static_cast<int>(i));

    for (const auto& node : session->nodes) {
        if (node.entry.name == "faixa.mp3") {
            EXPECT_EQ(node.entry.length, 5u);
            EXPECT_GT(node.entry.extent, 16u);
        }
    }
}

TEST_F(SessionImportImages, WithoutJolietTheIsoNamesAreUsed)
{
    ASSERT_TRUE(folder.run("genisoimage -quiet -o one.iso one"));
    ImageFileDiscReader disc(folder.path("one.iso").string());
    const auto session = read_previous_session(disc, 1, {});
    ASSERT_TRUE(session);
    EXPECT_FALSE(session->joliet);
    const auto list = paths(*session);
    EXPECT_TRUE(contains(list, "README.")) << ::testing::PrintToString(list);
    EXPECT_TRUE(contains(list, "EMPTY.MP3"));
    // No name keeps its ";1" version.
    for (const auto& path : list)
        EXPECT_EQ(path.find(';'), std::string::npos) << path;
}

TEST_F(SessionImportImages, DirectoryExtentOfSeveralSectors)
{
    for (int i = 0; i < 60; ++i)
        folder.file("many/A rather long file name number " + std::to_string(100 + i) + ".mp3");
    ASSERT_TRUE(folder.run("genisoimage -quiet -J -o many.iso many"));
    ImageFileDiscReader disc(folder.path("many.iso").string());
    const auto session = read_previous_session(disc, -1, {});
    ASSERT_TRUE(session);
    ASSERT_EQ(session->nodes.size(), 60u);
    EXPECT_TRUE(contains(paths(*session), "A rather long file name number 159.mp3"));
}

TEST_F(SessionImportImages, ChoosesTheSessionOfAMultiSessionDisc)
{
    folder.file("two/novo/nova.mp3", "nova");
    folder.file("two/segunda.mp3", "segunda");
    ASSERT_TRUE(folder.run("genisoimage -quiet -J -o s1.iso one"));
    const auto next = static_cast<std::uint32_t>(folder.sectors("s1.iso"));
    ASSERT_TRUE(folder.run("xorriso -as mkisofs -quiet -J -C 0," + std::to_string(next)
        + " -M s1.iso -o s2.iso two && cat s1.iso s2.iso > disc.iso"));
    ImageFileDiscReader disc(folder.path("disc.iso").string(), {0, next});

    for (int asked : {-1, 5, 2}) {
        Messages messages;
        const auto session = read_previous_session(disc, asked, messages.sink());
        ASSERT_TRUE(session) << asked;
        EXPECT_EQ(session->session, 2);
        EXPECT_TRUE(messages.has(">>> IMPORTING SESSION # 2", 1));
        const auto list = paths(*session);
        EXPECT_TRUE(contains(list, "novo/nova.mp3"));
        EXPECT_TRUE(contains(list, "Música/faixa.mp3"));
    }
    const auto first = read_previous_session(disc, 1, {});
    ASSERT_TRUE(first);
    EXPECT_FALSE(contains(paths(*first), "segunda.mp3"));
    EXPECT_TRUE(contains(paths(*first), "README"));
}

TEST(SessionImport, NothingToImport)
{
    test::TestDisc blank(40);
    Messages messages;
    // No closed session, or session 0: no import and no message.
    MemoryDiscReader empty(blank.bytes(), {});
    EXPECT_FALSE(read_previous_session(empty, -1, messages.sink()));
    MemoryDiscReader one(blank.bytes());
    EXPECT_FALSE(read_previous_session(one, 0, messages.sink()));
    EXPECT_TRUE(messages.lines.empty());

    // A session without a volume.
    EXPECT_FALSE(read_previous_session(one, 1, messages.sink()));
    EXPECT_TRUE(messages.has(">>> ERROR IMPORTING SESSION 1 (ISO IMAGE NOT FOUND)", 4));

    // A session number below -1 is no session.
    messages.lines.clear();
    EXPECT_FALSE(read_previous_session(one, -3, messages.sink()));
    EXPECT_TRUE(messages.has(">>> ERROR IMPORTING SESSION # -3", 4));

    // A session whose track cannot be read.
    ImageFileDiscReader missing("/nonexistent/disc.iso");
    EXPECT_FALSE(read_previous_session(missing, -1, messages.sink()));
}

TEST(SessionImport, SessionStartNearTheEndOfTheAddressRange)
{
    test::TestDisc blank(40);
    MemoryDiscReader disc(blank.bytes(), {0xFFFFFFF0u});
    Messages messages;
    EXPECT_FALSE(read_previous_session(disc, 1, messages.sink()));
    EXPECT_TRUE(messages.has(">>> ERROR IMPORTING SESSION 1 (ISO IMAGE NOT FOUND)", 4));
}

namespace {

// Root at 20 with the subdirectory SUB at 21 holding the file F.MP3.
test::TestDisc two_level_disc(std::uint32_t volume_size = 40)
{
    test::TestDisc disc(40);
    const std::uint32_t table = disc.path_table(19, {1, 1});
    disc.volume_descriptor(16, 1, volume_size, 19, table, 20, 2048);
    disc.terminator(17);
    std::size_t offset = disc.dot_records(20, 20, 20);
    disc.record(20, offset, "SUB", 21, 2048, 2);
    offset = disc.dot_records(21, 21, 20);
    disc.record(21, offset, "F.MP3;1", 30, 100, 0);
    return disc;
}

} // namespace

TEST(SessionImportDamage, SoundDiscReadsBack)
{
    auto disc = two_level_disc();
    MemoryDiscReader reader(disc.bytes());
    const auto session = read_previous_session(reader, -1, {});
    ASSERT_TRUE(session);
    EXPECT_EQ(paths(*session), (std::vector<std::string>{"SUB/", "SUB/F.MP3"}));
}

TEST(SessionImportDamage, DirectoriesThatLoopStopTheImport)
{
    // SUB holds a directory whose extent is the root, then one that is SUB itself.
    for (std::uint32_t target : {20u, 21u}) {
        auto disc = two_level_disc();
        disc.path_table(19, {1, 1, 2, 3, 4, 5});
        disc.volume_descriptor(16, 1, 40, 19, 60, 20, 2048);
        std::size_t offset = disc.dot_records(21, 21, 20);
        disc.record(21, offset, "AGAIN", target, 2048, 2);
        MemoryDiscReader reader(disc.bytes());
        Messages messages;
        EXPECT_FALSE(read_previous_session(reader, -1, messages.sink())) << target;
        EXPECT_TRUE(messages.has(">>> ERROR IMPORTING SESSION # 1", 4));
    }
}

TEST(SessionImportDamage, TwoDirectoriesSharingAnExtentStopTheImport)
{
    auto disc = two_level_disc();
    disc.path_table(19, {1, 1, 1});
    disc.volume_descriptor(16, 1, 40, 19, 30, 20, 2048);
    std::size_t offset = disc.dot_records(20, 20, 20);
    offset = disc.record(20, offset, "SUB", 21, 2048, 2);
    disc.record(20, offset, "TWIN", 21, 2048, 2);
    MemoryDiscReader reader(disc.bytes());
    EXPECT_FALSE(read_previous_session(reader, -1, {}));
}

TEST(SessionImportDamage, NestingDeeperThanThePathTableStopsTheImport)
{
    // The path table knows only the root; SUB would be a second level.
    auto disc = two_level_disc();
    disc.volume_descriptor(16, 1, 40, 19, 10, 20, 2048);
    MemoryDiscReader reader(disc.bytes());
    Messages messages;
    EXPECT_FALSE(read_previous_session(reader, -1, messages.sink()));
    EXPECT_TRUE(messages.has(">>> ERROR IMPORTING SESSION # 1", 4));

    // A damaged path table gives no depth to trust.
    auto damaged = two_level_disc();
    damaged.sector(19)[16] = 2;   // the second directory names itself as its parent
    MemoryDiscReader damaged_reader(damaged.bytes());
    EXPECT_FALSE(read_previous_session(damaged_reader, -1, {}));
}

TEST(SessionImportDamage, ExtentsOutsideTheVolume)
{
    {
        // The subdirectory lies past the volume's end.
        auto disc = two_level_disc(21);
        MemoryDiscReader reader(disc.bytes());
        EXPECT_FALSE(read_previous_session(reader, -1, {}));
    }
    {
        // A directory length of 4 GiB - 1 within a 40-sector volume.
        auto disc = two_level_disc();
        std::size_t offset = disc.dot_records(20, 20, 20);
        disc.record(20, offset, "SUB", 21, 0xFFFFFFFFu, 2);
        MemoryDiscReader reader(disc.bytes());
        EXPECT_FALSE(read_previous_session(reader, -1, {}));
    }
    {
        // A file whose data would run past the end is left out; the rest imports.
        auto disc = two_level_disc();
        std::size_t offset = disc.dot_records(21, 21, 20);
        offset = disc.record(21, offset, "F.MP3;1", 30, 100, 0);
        offset = disc.record(21, offset, "HUGE.MP3;1", 30, 0xFFFFFFFFu, 0);
        disc.record(21, offset, "EMPTY.MP3;1", 0, 0, 0);
        MemoryDiscReader reader(disc.bytes());
        const auto session = read_previous_session(reader, -1, {});
        ASSERT_TRUE(session);
        EXPECT_EQ(paths(*session), (std::vector<std::string>{"SUB/", "SUB/F.MP3", "SUB/EMPTY.MP3"}));
    }
}

TEST(SessionImportDamage, UnreadableDirectorySectorLeavesOutTheRest)
{
    // SUB claims two sectors; the image ends after its first.
    auto disc = two_level_disc(60);
    std::size_t offset = disc.dot_records(20, 20, 20);
    disc.record(20, offset, "SUB", 39, 4096, 2);
    offset = disc.dot_records(39, 39, 20);
    disc.record(39, offset, "F.MP3;1", 30, 100, 0);
    MemoryDiscReader reader(disc.bytes());
    const auto session = read_previous_session(reader, -1, {});
    ASSERT_TRUE(session);
    EXPECT_EQ(paths(*session), (std::vector<std::string>{"SUB/", "SUB/F.MP3"}));
}

TEST(SessionImportDamage, TooLongNameIsReportedAndTheImportGoesOn)
{
    test::TestDisc disc(40);
    const std::uint32_t table = disc.path_table(19, {1});
    disc.volume_descriptor(16, 2, 40, 19, table, 20, 2048, true);
    disc.terminator(17);
    std::size_t offset = disc.dot_records(20, 20, 20);
    std::string long_name;
    for (int i = 0; i < 110; ++i)
        long_name += std::string("\0y", 2);
    offset = disc.record(20, offset, long_name, 30, 1, 0);
    disc.record(20, offset, std::string("\0o\0k", 4), 31, 1, 0);
    MemoryDiscReader reader(disc.bytes());
    Messages messages;
    const auto session = read_previous_session(reader, -1, messages.sink());
    ASSERT_TRUE(session);
    EXPECT_EQ(paths(*session), std::vector<std::string>{"ok"});
    EXPECT_TRUE(messages.has("ERROR IMPORTING SESSION, FILE NAME LENGTH EXCEEDS 120 CHARS\n\r" + std::string(110, 'y'), 4));
}

TEST(SessionImportDamage, WorkStaysWithinWhatTheTreeCouldTake)
{
    // A root claiming 16 sectors of records, and a reader that counts.
    test::TestDisc disc(60);
    const std::uint32_t table = disc.path_table(19, {1});
    disc.volume_descriptor(16, 1, 60, 19, table, 20, 16 * 2048);
    disc.terminator(17);
    std::size_t offset = disc.dot_records(20, 20, 20);
    for (int i = 0; i < 20; ++i)
        offset = disc.record(20, offset, "F" + std::to_string(10 + i) + ".MP3;1", 40, 1, 0);

    class CountingReader : public MemoryDiscReader {
    public:
        using MemoryDiscReader::MemoryDiscReader;
        bool read_sectors(std::uint32_t lba, std::uint32_t count, std::uint8_t* buffer) override
        {
            sectors += count;
            return MemoryDiscReader::read_sectors(lba, count, buffer);
        }
        std::uint32_t sectors = 0;
    };
    CountingReader reader(disc.bytes());
    SessionReadLimits limits;
    limits.max_nodes = 8;
    const auto session = read_previous_session(reader, -1, {}, limits);
    ASSERT_TRUE(session);
    EXPECT_EQ(session->nodes.size(), 8u);
    // Descriptors up to the terminator, the path table, one directory sector.
    EXPECT_EQ(reader.sectors, 2u + 1u + 1u);
}
