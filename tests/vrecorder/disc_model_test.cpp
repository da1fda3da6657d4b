// The disc bookkeeping on its own: the cases a burn rarely reaches.

#include <gtest/gtest.h>

#include <unistd.h>

#include "vrecorder/disc.h"
#include "vrecorder/disc_state_file.h"

namespace valmuri::vrecorder {
namespace {

TEST(DiscModel, ReservedTrackClosedEarlyIsPaddedAndReadable)
{
    Disc disc(MediumKind::dvd_r, 2298496);
    ASSERT_TRUE(disc.reserve_track(40).none());
    ASSERT_TRUE(disc.check_write(0, 16).none());
    disc.record_write(0, 16);
    EXPECT_EQ(disc.check_read(16, 1), sense::lba_out_of_range);
    ASSERT_TRUE(disc.close_track(1).none());
    EXPECT_TRUE(disc.check_read(16, 32).none()) << "padding fills the reservation";
    EXPECT_EQ(disc.check_write(16, 16), sense::invalid_address_for_write);
    EXPECT_EQ(disc.track_info(2)->start, 48u);
}

TEST(DiscModel, CloseTrackTakesExistingTracksTheBlankOneAndNoOther)
{
    Disc disc(MediumKind::cd_r, 359849);
    disc.record_write(0, 10);
    EXPECT_TRUE(disc.close_track(0xFF).none());
    EXPECT_TRUE(disc.tracks()[0].closed);
    EXPECT_TRUE(disc.close_track(1).none()) << "closing a closed track is harmless";
    EXPECT_TRUE(disc.close_track(2).none()) << "the blank track";
    EXPECT_EQ(disc.close_track(3), sense::invalid_field_in_cdb);
    EXPECT_EQ(disc.track_info(2)->start, 10u + 152) << "run-out and pre-gap between tracks";
}

TEST(DiscModel, DvdSessionsStartOnAnEccBlock)
{
    Disc disc(MediumKind::dvd_plus_r, 2295104);
    disc.record_write(0, 33);
    ASSERT_TRUE(disc.close_session(true).none());
    std::uint32_t second = *disc.invisible_track_start();
    EXPECT_EQ(second % 16, 0u);
    EXPECT_GE(second, 33u + 12288);
}

TEST(DiscModel, ASessionThatLeavesNoRoomClosesTheDisc)
{
    Disc disc(MediumKind::cd_r, 12000);
    disc.record_write(0, 500);
    ASSERT_TRUE(disc.close_session(true).none());
    EXPECT_EQ(disc.status(), DiscStatus::appendable);
    EXPECT_EQ(disc.track_info(2)->free_blocks, 100u);
    disc.record_write(11900, 50);
    ASSERT_TRUE(disc.close_session(true).none());
    EXPECT_EQ(disc.status(), DiscStatus::complete) << "no room for another lead-in";
    EXPECT_FALSE(disc.invisible_track_start());
}

TEST(DiscModel, AnAppendableDiscCanBeClosedWithoutNewData)
{
    Disc disc(MediumKind::cd_rw, 359849);
    disc.record_write(0, 100);
    ASSERT_TRUE(disc.close_session(true).none());
    ASSERT_TRUE(disc.close_session(false).none());
    EXPECT_EQ(disc.status(), DiscStatus::complete);
    EXPECT_EQ(disc.closed_sessions(), 1u);

    Disc blank(MediumKind::cd_r, 359849);
    ASSERT_TRUE(blank.close_session(false).none());
    EXPECT_EQ(blank.status(), DiscStatus::blank) << "nothing to close on a blank disc";
}

TEST(DiscModel, StateFileRoundTripsEveryField)
{
    DiscRecord record = Disc(MediumKind::dvd_rw, 2298496).record();
    record.closed_sessions = 2;
    record.tracks = {{1, 0, 100, 0, true}, {2, 16500, 200, 0, true}, {3, 21000, 16, 64, false}};
    auto path = std::filesystem::temp_directory_path() / ("disc-model-" + std::to_string(::getpid()) + ".state");
    ASSERT_TRUE(save_disc_record(path, record));
    std::optional<DiscRecord> loaded = load_disc_record(path);
    std::filesystem::remove(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, record);
}

} // namespace
} // namespace valmuri::vrecorder
