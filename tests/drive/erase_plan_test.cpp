#include "drive/disc_information.h"
#include "drive/disc_type.h"
#include "drive/erase_plan.h"
#include "drive/speed_text.h"

#include <gtest/gtest.h>

namespace valmuri {
namespace {

TEST(ErasePlan, Estimates)
{
    EXPECT_EQ(erase_estimate(dtCDRW, kBlankQuick), 150);
    EXPECT_EQ(erase_estimate(dtCDRW, kBlankFull), 4500);
    EXPECT_EQ(erase_estimate(dtUnknown, 5), 4500);
    EXPECT_EQ(erase_estimate(dtDVDRWSequential, kBlankFull), 4440);
    EXPECT_EQ(erase_estimate(dtDVDRWSequential, kBlankQuick), 600);
    EXPECT_EQ(erase_estimate(dtDVDRW, kBlankQuick), 180);
    EXPECT_EQ(erase_estimate(dtDVDPlusRW, 2), 8880);
}

TEST(ErasePlan, ProgressRoundsHalvesToEven)
{
    EXPECT_EQ(erase_progress(0, 150), 0);
    EXPECT_EQ(erase_progress(3, 150), 2);
    EXPECT_EQ(erase_progress(150, 150), 100);
    EXPECT_EQ(erase_progress(160, 150), 107); // loops without a bound run past the estimate
    EXPECT_EQ(erase_progress(1, 200), 0);     // 0.5 -> 0
    EXPECT_EQ(erase_progress(3, 200), 2);     // 1.5 -> 2
    EXPECT_EQ(erase_progress(5, 200), 2);     // 2.5 -> 2
}

TEST(ErasePlan, FormatLists)
{
    EXPECT_EQ(dvd_ram_format_list(), (FormatList{0x00, 0x82, 0x00, 0x08, 0x00, 0x22, 0x21, 0x20, 0x00, 0x00, 0x08, 0x00}));
    EXPECT_EQ(dvd_plus_rw_format_list(),
        (FormatList{0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98, 0x00, 0x00, 0x00}));
}

TEST(SpeedText, CdAndDvdMultiples)
{
    const NumberFormat br = NumberFormat::brazilian();
    EXPECT_EQ(speed_text(706, dtCDRW, br), "4X(706 KB/s)");
    EXPECT_EQ(speed_text(7056, dtCDR, br), "40X(7.056 KB/s)");
    EXPECT_EQ(speed_text(2770, dtDVDPlusRW, br), "2,0X(2.770 KB/s)");
    EXPECT_EQ(speed_text(3324, dtDVDRAM, br), "2,4X(3.324 KB/s)");
    // DVD-R and DVD+R are shown in CD multiples.
    EXPECT_EQ(speed_text(1385, dtDVDR, NumberFormat{}), "8X(1,385 KB/s)");
}

TEST(DiscInformation, StatusAndSessions)
{
    std::uint8_t info[56] = {};
    EXPECT_EQ(disc_status(info), kDiscEmpty);
    EXPECT_EQ(session_count(info), 0);

    info[2] = 0x01 | (0 << 2); // appendable, last session empty
    info[4] = 3;
    EXPECT_EQ(session_count(info), 2);
    info[2] = 0x02 | (3 << 2); // complete disc, last session complete
    EXPECT_EQ(session_count(info), 3);
    info[2] = 0x01 | (1 << 2) | 0x10; // appendable, last session incomplete, erasable
    EXPECT_EQ(session_count(info), 3);
    EXPECT_TRUE(disc_is_erasable(info));
}

TEST(DiscInformation, TrackInformationFields)
{
    std::uint8_t answer[40] = {0x00, 0x26};
    answer[11] = 0x10;                    // start 16
    answer[14] = 0x01, answer[15] = 0x02; // next writable 258
    answer[16] = 0x00, answer[17] = 0x05, answer[18] = 0x1D, answer[19] = 0xE3;
    answer[27] = 0x20;
    answer[31] = 0x07;
    const auto t = parse_track_information(answer);
    EXPECT_EQ(t.data_length, 0x26);
    EXPECT_EQ(t.track_start, 16u);
    EXPECT_EQ(t.next_writable, 258u);
    EXPECT_EQ(t.free_blocks, 0x00051DE3u);
    EXPECT_EQ(t.track_size, 0x20u);
    EXPECT_EQ(t.last_recorded, 7u);
}

TEST(DiscInformation, FormattedCapacityPicksTheDescriptor)
{
    std::uint8_t a[248] = {};
    auto descriptor = [&](int at, std::uint32_t blocks, std::array<std::uint8_t, 4> kind) {
        a[at] = blocks >> 24, a[at + 1] = blocks >> 16, a[at + 2] = blocks >> 8, a[at + 3] = blocks;
        std::copy(kind.begin(), kind.end(), a + at + 4);
    };
    descriptor(4, 1000, {0x02, 0x00, 0x08, 0x00}); // formatted media, not type 0
    descriptor(12, 2000, {0x98, 0x00, 0x00, 0x00});
    descriptor(20, 3000, {0x00, 0x00, 0x08, 0x00});
    EXPECT_EQ(formatted_capacity(a), 2000u);
    descriptor(12, 2000, {0x10, 0x00, 0x08, 0x00});
    EXPECT_EQ(formatted_capacity(a), 3000u);
    descriptor(20, 3000, {0x10, 0x00, 0x08, 0x00});
    EXPECT_EQ(formatted_capacity(a), 1000u);
    descriptor(4, 1000, {0x00, 0x00, 0x08, 0x00});
    EXPECT_EQ(formatted_capacity(a), 1000u);
}

TEST(DiscInformation, IsoVolumeSizeAndBufferCapacity)
{
    std::uint8_t block[2048] = {1, 'C', 'D', '0', '0', '1', 1};
    block[80] = 0x34, block[81] = 0x12;
    EXPECT_EQ(iso_volume_size(block), 0x1234u);
    block[0] = 2;
    EXPECT_EQ(iso_volume_size(block), 0x1234u);
    block[0] = 0xFF; // set terminator
    EXPECT_EQ(iso_volume_size(block), 0u);

    std::uint8_t answer[32] = {};
    answer[5] = 0x20; // 2 MB buffer
    answer[8] = answer[9] = answer[10] = answer[11] = 0xFF;
    EXPECT_EQ(parse_buffer_capacity(answer).free, 0x200000u);
    answer[8] = answer[9] = answer[10] = 0;
    answer[11] = 0x10;
    EXPECT_EQ(parse_buffer_capacity(answer).free, 0x10u);
    EXPECT_EQ(parse_buffer_capacity(answer).size, 0x200000u);
}

TEST(DiscType, ProfilesAndNames)
{
    EXPECT_EQ(disc_type_from_profile(0x0A), dtCDRW);
    EXPECT_EQ(disc_type_from_profile(0x13), dtDVDRWRestricted);
    EXPECT_EQ(disc_type_from_profile(0x2B), dtDVDPlusRDL);
    EXPECT_EQ(disc_type_from_profile(0x15), dtUnknown); // DVD-R DL is not written
    EXPECT_EQ(disc_type_from_profile(0x00), dtUnknown);
    EXPECT_EQ(disc_type_name(dtDVDRWRestricted), "DVD-RW");
    EXPECT_EQ(disc_type_name(dtDVDPlusRDL), "DVD+R DL");
    EXPECT_EQ(disc_type_name(16), "UNKNOWN");
}

TEST(DiscType, CdKindsAreTheThreeCdsAndAnUnknownDisc)
{
    for (std::uint8_t type : {dtUnknown, dtCDROM, dtCDR, dtCDRW})
        EXPECT_TRUE(is_cd(type)) << int(type);
    // DDCD and codes past the table are handled as DVD.
    for (int type : {int(dtDVDROM), int(dtDVDRWSequential), int(dtDVDPlusRDL), int(dtDDCDROM), int(dtDDCDRW), 16})
        EXPECT_FALSE(is_cd(type)) << int(type);
    EXPECT_FALSE(is_recordable_cd(dtCDROM));
    EXPECT_FALSE(is_recordable_cd(dtUnknown));
    EXPECT_FALSE(is_recordable_cd(dtDDCDR));
}

} // namespace
} // namespace valmuri
