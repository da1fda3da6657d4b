// What each blank medium reports: profile, disc and track information,
// ATIP, format capacities; and the mode pages the engine reads and sets.

#include "recorder_fixture.h"

namespace valmuri::vrecorder::test {
namespace {

using MediaTest = RecorderTest;

struct BlankMedium {
    const char* name;
    std::uint16_t profile;
    std::uint32_t capacity;
    bool erasable;
    std::uint8_t status; // disc status of a blank disc
};

TEST_F(MediaTest, EveryBlankMediumReportsItsProfileAndRoom)
{
    const BlankMedium media[] = {
        {"cd-r", 0x09, 359849, false, 0},      {"cd-rw", 0x0A, 359849, true, 0},
        {"dvd-r", 0x11, 2298496, false, 0},    {"dvd-rw", 0x14, 2298496, true, 0},
        {"dvd+r", 0x1B, 2295104, false, 0},    {"dvd+rw", 0x1A, 2295104, true, 0},
        {"dvd-ram", 0x12, 2236704, true, 2},   {"dvd+r-dl", 0x2B, 4173824, false, 0},
    };
    std::string ini;
    for (const BlankMedium& medium : media)
        ini += std::string("[") + medium.name + "]\nmedium=" + medium.name + "\n";
    configure(ini);
    for (std::uint8_t target = 0; target < std::size(media); ++target) {
        const BlankMedium& medium = media[target];
        SCOPED_TRACE(medium.name);
        EXPECT_EQ(current_profile(target), medium.profile);
        std::vector<std::uint8_t> info = disc_information(target);
        EXPECT_EQ(get_be16(&info[0]), 32);
        EXPECT_EQ(disc_status(info), medium.status);
        EXPECT_EQ((info[2] & 0x10) != 0, medium.erasable);
        EXPECT_EQ(info[4], 1); // sessions
        EXPECT_EQ(info[6], 1); // last track in last session
        std::vector<std::uint8_t> track = track_information(info[6], target);
        EXPECT_EQ(start(track), 0u);
        EXPECT_EQ(nwa(track), 0u);
        EXPECT_EQ(free_blocks(track), medium.capacity);
        EXPECT_EQ(track_size(track), medium.capacity);
    }
}

TEST_F(MediaTest, AtipTellsCdRFromCdRwAndDvdHasNone)
{
    configure("[r]\nmedium=cd-r\n[rw]\nmedium=cd-rw\n[dvd]\nmedium=dvd-r\n");
    std::vector<std::uint8_t> atip(26, 0);
    ASSERT_TRUE(in({0x43, 2, 4, 0, 0, 0, 0, 0, 26, 0}, atip, 0).good());
    EXPECT_EQ(atip[6] & 0xC0, 0x80);
    EXPECT_EQ(atip[12], 79); // lead-out 79:59:74
    EXPECT_EQ(atip[13], 59);
    EXPECT_EQ(atip[14], 74);
    ASSERT_TRUE(in({0x43, 2, 4, 0, 0, 0, 0, 0, 26, 0}, atip, 1).good());
    EXPECT_EQ(atip[6] & 0xC0, 0xC0);
    Reply dvd = in({0x43, 2, 4, 0, 0, 0, 0, 0, 26, 0}, atip, 2);
    EXPECT_EQ(dvd.key(), 0x5);
    EXPECT_EQ(dvd.asc(), 0x24);
    // A blank disc has no table of contents.
    std::vector<std::uint8_t> toc(100, 0);
    EXPECT_EQ(in({0x43, 0, 0, 0, 0, 0, 0, 0, 100, 0}, toc, 0).asc(), 0x24);
}

TEST_F(MediaTest, FeaturesMarkTheWritableDvdFormats)
{
    configure("[plus]\nmedium=dvd+rw\n[minus]\nmedium=dvd-r\n[cd]\nmedium=cd-r\n");
    auto feature = [&](std::uint8_t number, std::uint8_t target, std::vector<std::uint8_t>& data) {
        data.assign(114, 0);
        EXPECT_TRUE(in({0x46, 2, 0, number, 0, 0, 0, 0, 114, 0}, data, target).good());
        return get_be16(&data[8]) == number && get_be32(&data[0]) > 4;
    };
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(feature(0x2A, 0, data));
    EXPECT_EQ(data[12], 1);      // writes DVD+RW
    EXPECT_EQ(data[10] & 1, 1);  // current with a DVD+RW in the drive
    ASSERT_TRUE(feature(0x2A, 1, data));
    EXPECT_EQ(data[10] & 1, 0);
    ASSERT_TRUE(feature(0x2F, 1, data));
    EXPECT_EQ(data[10] & 1, 1);
    ASSERT_TRUE(feature(0x3B, 2, data));
    EXPECT_EQ(data[12], 1);
    EXPECT_FALSE(feature(0x99, 2, data)) << "unknown features are left out";

    // The profile list names every profile, the current one flagged.
    ASSERT_TRUE(feature(0x00, 2, data));
    bool cd_r_current = false;
    for (std::size_t at = 12; at + 4 <= 12u + data[11]; at += 4)
        if (get_be16(&data[at]) == 0x09)
            cd_r_current = data[at + 2] & 1;
    EXPECT_TRUE(cd_r_current);
}

TEST_F(MediaTest, CapabilitiesPageCarriesSpeedsAndWriteAbilities)
{
    configure("[fast]\nmedium=cd-r\n[slow]\nmedium=cd-r\nspeed=1000\n[dvd]\nmedium=dvd+r\n");
    std::vector<std::uint8_t> data(255, 0);
    ASSERT_TRUE(in({0x5A, 0, 0x80 | 0x2A, 0, 0, 0, 0, 0, 255, 0}, data, 0).good());
    const std::uint8_t* page = &data[8];
    ASSERT_EQ(page[0], 0x2A);
    EXPECT_EQ(page[3] & 0x37, 0x37); // CD-R, CD-RW, test write, DVD-R, DVD-RAM
    EXPECT_NE(page[4] & 0x80, 0);    // underrun protection
    EXPECT_EQ(get_be16(&page[18]), 8467);

    data.resize(128); // keeps its storage: page still points into it
    ASSERT_TRUE(in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 128, 0}, data, 1).good());
    EXPECT_EQ(get_be16(&page[18]), 1000);
    // SET CD SPEED picks the fastest speed not above the one asked for.
    ASSERT_TRUE(none({0xBB, 0, 0xFF, 0xFF, 0x02, 0xC2, 0, 0, 0, 0, 0, 0}, 1).good()); // 706
    ASSERT_TRUE(in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 128, 0}, data, 1).good());
    EXPECT_EQ(get_be16(&page[20]), 706);
    ASSERT_TRUE(none({0xBB, 0, 0xFF, 0xFF, 0x00, 0x02, 0, 0, 0, 0, 0, 0}, 1).good());
    ASSERT_TRUE(in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 128, 0}, data, 1).good());
    EXPECT_EQ(get_be16(&page[20]), 176) << "a speed below the slowest gives the slowest";

    ASSERT_TRUE(in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 128, 0}, data, 2).good());
    EXPECT_EQ(get_be16(&page[18]), 22160);
    // Page 30 answers: the drive has underrun protection.
    ASSERT_TRUE(in({0x5A, 0, 0x30, 0, 0, 0, 0, 0, 128, 0}, data, 2).good());
    EXPECT_EQ(data[8], 0x30);
}

TEST_F(MediaTest, WriteParametersPageTakesWhatTheEngineSendsAndRefusesRaw)
{
    configure("[r]\nmedium=cd-r\n");
    ASSERT_TRUE(set_write_parameters(3).good());
    std::vector<std::uint8_t> data(512, 0);
    ASSERT_TRUE(in({0x5A, 0, 0x05, 0, 0, 0, 0, 0x02, 0x00, 0}, data).good());
    ASSERT_EQ(data[8], 0x05);
    EXPECT_EQ(data[9], 0x32);
    EXPECT_EQ(data[11] >> 6, 3);
    EXPECT_EQ(data[12], 0x08);

    // Raw writing is not offered; the page keeps its last value.
    std::vector<std::uint8_t> list(data.begin(), data.begin() + 60);
    list[0] = list[1] = 0;
    list[10] = 0x03;
    Reply raw = out({0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0}, list);
    EXPECT_EQ(raw.key(), 0x5);
    EXPECT_EQ(raw.asc(), 0x26);
    list[10] = 0x02; // session at once is accepted
    EXPECT_TRUE(out({0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0}, list).good());
    // A list shorter than its page is a parameter list length error.
    list.resize(40);
    EXPECT_EQ(out({0x55, 0x10, 0, 0, 0, 0, 0, 0, 40, 0}, list).asc(), 0x1A);
}

TEST_F(MediaTest, FormatCapacitiesOfADvdPlusRwOfferItsFormat)
{
    configure("[r]\nmedium=dvd+rw\n");
    std::vector<std::uint8_t> data(248, 0);
    ASSERT_TRUE(in({0x23, 0, 0, 0, 0, 0, 0, 0, 248, 0}, data).good());
    ASSERT_EQ(data[3], 16);
    EXPECT_EQ(data[8] & 0x03, 0x01); // unformatted
    EXPECT_EQ(get_be32(&data[12]), 2295104u);
    EXPECT_EQ(data[16], 0x98);       // format type 26h
}

} // namespace
} // namespace valmuri::vrecorder::test
