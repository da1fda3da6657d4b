#include "engine/iso_reader.h"

#include "iso_test_disc.h"

#include <gtest/gtest.h>

#include <array>

using namespace valmuri;
using namespace valmuri::iso_reader;

namespace {

std::vector<std::uint8_t> ucs2(const std::u16string& text)
{
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
        bytes.push_back(static_cast<std::uint8_t>(c));
    }
    return bytes;
}

std::string as_string(const std::vector<std::uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

Sector sector_of(test::TestDisc& disc, std::uint32_t lba)
{
    return Sector(disc.sector(lba), SectorSize);
}

} // namespace

TEST(IsoReaderNames, JolietNamesBecomeUtf8WithoutVersion)
{
    EXPECT_EQ(decode_identifier(ucs2(u"Canção número um.mp3;1"), NameEncoding::Joliet), "Canção número um.mp3");
    EXPECT_EQ(decode_identifier(ucs2(u"Rock"), NameEncoding::Joliet), "Rock");
    // A character outside the basic plane, written as a surrogate pair.
    EXPECT_EQ(decode_identifier(ucs2(u"\U0001F3B5.mp3"), NameEncoding::Joliet), "\xF0\x9F\x8E\xB5.mp3");
    // A lone surrogate and an odd trailing byte.
    auto broken = ucs2(u"a\xD800");
    broken.push_back('x');
    EXPECT_EQ(decode_identifier(broken, NameEncoding::Joliet), "a_");
}

TEST(IsoReaderNames, CharactersThatWouldBreakTreePathsAreReplaced)
{
    EXPECT_EQ(decode_identifier(ucs2(u"a\\b"), NameEncoding::Joliet), "a_b");
    EXPECT_EQ(decode_identifier(ucs2(std::u16string(u"a\0b\x1F", 4)), NameEncoding::Joliet), "a_b_");
    const std::vector<std::uint8_t> iso = {'A', '\\', 'B', 0x01};
    EXPECT_EQ(decode_identifier(iso, NameEncoding::Iso), "A_B_");
}

TEST(IsoReaderNames, IsoNamesKeepUtf8AndReadOtherBytesAsWindows1252)
{
    const std::string utf8 = "M\xC3\xBASICA;1";
    EXPECT_EQ(decode_identifier(std::vector<std::uint8_t>(utf8.begin(), utf8.end()), NameEncoding::Iso), "M\xC3\xBASICA");
    const std::vector<std::uint8_t> windows = {'M', 0xDA, 'S', 0x80, 0x81, ';', '1'};
    EXPECT_EQ(decode_identifier(windows, NameEncoding::Iso), "M\xC3\x9AS\xE2\x82\xAC_");
}

TEST(IsoReaderDescriptors, JolietNeedsItsEscapeSequence)
{
    test::TestDisc disc(20);
    disc.volume_descriptor(16, 1, 100, 18, 10, 19, 2048);
    disc.volume_descriptor(17, 2, 100, 18, 10, 19, 2048, true);
    disc.volume_descriptor(18, 2, 100, 18, 10, 19, 2048, false);

    const auto primary = parse_volume_descriptor(sector_of(disc, 16));
    ASSERT_TRUE(primary);
    EXPECT_EQ(primary->type, DescriptorType::Primary);
    EXPECT_FALSE(primary->joliet);
    EXPECT_EQ(primary->volume_space_size, 100u);
    EXPECT_EQ(primary->root_extent, 19u);
    EXPECT_EQ(primary->root_length, 2048u);

    const auto joliet = parse_volume_descriptor(sector_of(disc, 17));
    ASSERT_TRUE(joliet);
    EXPECT_TRUE(joliet->joliet);

    // A supplementary volume without the UCS-2 escape keeps 8-bit names.
    const auto enhanced = parse_volume_descriptor(sector_of(disc, 18));
    ASSERT_TRUE(enhanced);
    EXPECT_FALSE(enhanced->joliet);

    EXPECT_FALSE(parse_volume_descriptor(sector_of(disc, 19)));
    disc.terminator(19);
    EXPECT_EQ(descriptor_type(sector_of(disc, 19)), DescriptorType::Terminator);
    EXPECT_FALSE(parse_volume_descriptor(sector_of(disc, 19)));
}

TEST(IsoReaderDirectory, ReadsEntriesAndSkipsSelfAndParent)
{
    test::TestDisc disc(1);
    std::size_t offset = disc.dot_records(0, 30, 20);
    offset = disc.record(0, offset, "SONG.MP3;1", 200, 5000, 0);
    offset = disc.record(0, offset, "AB", 31, 2048, 2);   // even length: a fill byte follows
    disc.record(0, offset, "HIDDEN.MP3;1", 210, 1, 1);

    const auto parsed = parse_directory_sector(sector_of(disc, 0), NameEncoding::Iso);
    EXPECT_FALSE(parsed.damaged);
    ASSERT_EQ(parsed.entries.size(), 3u);
    EXPECT_EQ(parsed.entries[0].name, "SONG.MP3");
    EXPECT_EQ(parsed.entries[0].extent, 200u);
    EXPECT_EQ(parsed.entries[0].length, 5000u);
    EXPECT_FALSE(parsed.entries[0].is_directory());
    EXPECT_EQ(parsed.entries[0].date.years_since_1900, 126);
    EXPECT_EQ(parsed.entries[0].date.month, 12);
    // The fill byte after an even-length identifier is not part of the name.
    EXPECT_EQ(parsed.entries[1].name, "AB");
    EXPECT_EQ(parsed.entries[1].name.size(), 2u);
    EXPECT_TRUE(parsed.entries[1].is_directory());
    EXPECT_TRUE(parsed.entries[2].is_hidden());
}

TEST(IsoReaderDirectory, RecordsThatDoNotFitTheirSectorEndIt)
{
    {
        // The last record claims more bytes than the sector has left.
        test::TestDisc disc(1);
        std::size_t offset = disc.record(0, 0, "A;1", 100, 1, 0);
        for (int i = 0; i < 50; ++i)
            offset = disc.record(0, offset, "B;1", 100, 1, 0);
        std::uint8_t* tail = disc.sector(0) + offset;
        tail[0] = 250;
        tail[32] = 200;
        const auto parsed = parse_directory_sector(sector_of(disc, 0), NameEncoding::Iso);
        EXPECT_TRUE(parsed.damaged);
        EXPECT_FALSE(parsed.entries.empty());
    }
    {
        // An identifier longer than its record, and a record shorter than the fixed part.
        test::TestDisc disc(1);
        disc.record(0, 0, "A;1", 100, 1, 0);
        disc.sector(0)[32] = 60;
        EXPECT_TRUE(parse_directory_sector(sector_of(disc, 0), NameEncoding::Iso).damaged);
        disc.sector(0)[0] = 20;
        EXPECT_TRUE(parse_directory_sector(sector_of(disc, 0), NameEncoding::Iso).damaged);
    }
}

TEST(IsoReaderDirectory, JolietDotNamesAndTooLongNames)
{
    test::TestDisc disc(1);
    std::size_t offset = disc.dot_records(0, 30, 20);
    offset = disc.record(0, offset, as_string(ucs2(u".")), 40, 2048, 2);
    offset = disc.record(0, offset, as_string(ucs2(u"..;1")), 41, 10, 0);
    offset = disc.record(0, offset, as_string(ucs2(std::u16string(108, u'x'))), 42, 10, 0);
    offset = disc.record(0, offset, as_string(ucs2(u"ok.mp3;1")), 43, 10, 0);
    // 2 x 108 = 216 bytes of identifier: above the limit, reported and left out.
    const auto parsed = parse_directory_sector(sector_of(disc, 0), NameEncoding::Joliet);
    ASSERT_EQ(parsed.entries.size(), 1u);
    EXPECT_EQ(parsed.entries[0].name, "ok.mp3");
    ASSERT_EQ(parsed.names_too_long.size(), 1u);
    EXPECT_EQ(parsed.names_too_long[0], std::string(108, 'x'));
}

TEST(IsoReaderDirectory, StepsOverBareXaRuns)
{
    test::TestDisc disc(1);
    std::size_t offset = disc.record(0, 0, "A.MP3;1", 100, 1, 0);
    std::uint8_t* run = disc.sector(0) + offset;
    run[4] = 0x0D;
    run[5] = 0x55;
    run[6] = 0x58;
    run[7] = 0x41;
    disc.record(0, offset + 14, "B.MP3;1", 101, 1, 0);
    const auto iso = parse_directory_sector(sector_of(disc, 0), NameEncoding::Iso);
    ASSERT_EQ(iso.entries.size(), 2u);
    EXPECT_EQ(iso.entries[1].name, "B.MP3");
    // The Joliet tree has no such runs: a zero length ends its sector.
    EXPECT_EQ(parse_directory_sector(sector_of(disc, 0), NameEncoding::Joliet).entries.size(), 1u);
}

TEST(IsoReaderPathTable, DepthAndDamage)
{
    test::TestDisc disc(1);
    // Root; A and B under it; C under B; D under C.
    const std::uint32_t size = disc.path_table(0, {1, 1, 1, 3, 4});
    const auto shape = parse_path_table(std::span(disc.sector(0), size));
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->directories, 5u);
    EXPECT_EQ(shape->depth, 4u);

    // A parent that does not come before its child.
    test::TestDisc forward(1);
    const std::uint32_t forward_size = forward.path_table(0, {1, 3, 1});
    EXPECT_FALSE(parse_path_table(std::span(forward.sector(0), forward_size)));
    test::TestDisc self(1);
    const std::uint32_t self_size = self.path_table(0, {1, 2});
    EXPECT_FALSE(parse_path_table(std::span(self.sector(0), self_size)));

    // A record cut by the end of the table, and an empty table.
    EXPECT_FALSE(parse_path_table(std::span(disc.sector(0), size - 2)));
    disc.sector(0)[40] = 30;
    EXPECT_FALSE(parse_path_table(std::span(disc.sector(0), size)));
    EXPECT_FALSE(parse_path_table(std::span(disc.sector(0), 0)));
}
