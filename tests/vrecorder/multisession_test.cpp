// Closing tracks and sessions, appendable discs and their next writable
// address, and a disc's state surviving the process that wrote it.

#include "recorder_fixture.h"

namespace valmuri::vrecorder::test {
namespace {

using MultisessionTest = RecorderTest;

TEST_F(MultisessionTest, ClosedCdSessionLeavesTheDiscAppendableAfterLeadOutAndLeadIn)
{
    configure("[r]\nmedium=cd-r\nimage=disc.iso\n");
    ASSERT_TRUE(write(0, 300, 0xA1).good());
    ASSERT_TRUE(synchronize_cache().good());
    ASSERT_TRUE(set_write_parameters(3).good());
    ASSERT_TRUE(close(2, 0).good());

    std::vector<std::uint8_t> info = disc_information();
    EXPECT_EQ(disc_status(info), 1);         // appendable
    EXPECT_EQ((info[2] >> 2) & 0x03, 0);     // the last session is empty
    EXPECT_EQ(info[4], 2);                   // one closed, one open for writing
    EXPECT_EQ(info[5], 2);
    EXPECT_EQ(info[6], 2);
    std::vector<std::uint8_t> track = track_information(2);
    EXPECT_EQ(nwa(track), 300u + 11400);     // lead-out 6750, lead-in 4500, pre-gap 150
    EXPECT_EQ(free_blocks(track), 359849u - 11700);
    EXPECT_EQ(track_size(track_information(1)), 300u);

    ASSERT_TRUE(write(11700, 50, 0xB2).good());
    ASSERT_TRUE(synchronize_cache().good());
    ASSERT_TRUE(close(2, 0).good());
    EXPECT_EQ(nwa(track_information(3)), 11750u + 6900) << "later sessions need a shorter lead-out";

    // Both sessions read back, and the session information names the last one.
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(read(299, 1, data).good());
    EXPECT_EQ(data[0], 0xA1);
    ASSERT_TRUE(read(11700, 50, data).good());
    EXPECT_EQ(data[49 * 2048], 0xB2);
    EXPECT_EQ(read(300, 1, data).asc(), 0x21) << "the lead-out between sessions is not readable";
    std::vector<std::uint8_t> toc(12, 0);
    ASSERT_TRUE(in({0x43, 0, 1, 0, 0, 0, 0, 0, 12, 0}, toc).good());
    EXPECT_EQ(toc[3], 2);
    EXPECT_EQ(toc[6], 2);
    EXPECT_EQ(get_be32(&toc[8]), 11700u);
}

TEST_F(MultisessionTest, FinalizingClosesTheDisc)
{
    configure("[r]\nmedium=cd-r\n");
    ASSERT_TRUE(write(0, 100).good());
    ASSERT_TRUE(synchronize_cache().good());
    ASSERT_TRUE(set_write_parameters(0).good());
    ASSERT_TRUE(close(2, 0).good());
    std::vector<std::uint8_t> info = disc_information();
    EXPECT_EQ(disc_status(info), 2);
    EXPECT_EQ((info[2] >> 2) & 0x03, 3);
    EXPECT_EQ(info[6], 1);
    EXPECT_EQ(free_blocks(track_information(1)), 0u);
    std::vector<std::uint8_t> track(40, 0);
    EXPECT_EQ(in({0x52, 1, 0, 0, 0, 2, 0, 0, 40, 0}, track).asc(), 0x24) << "no track after a closed disc";
}

TEST_F(MultisessionTest, DvdRReservedTrackClosesAsTheWriterClosesIt)
{
    configure("[r]\nmedium=dvd-r\n");
    ASSERT_TRUE(none({0x53, 0, 0, 0, 0, 0, 0, 0x00, 0x64, 0, 0, 0}).good()); // 100 blocks -> 112
    std::vector<std::uint8_t> reserved = track_information(1);
    EXPECT_EQ(track_size(reserved), 112u);
    EXPECT_NE(reserved[6] & 0x80, 0);
    EXPECT_EQ(nwa(track_information(2)), 112u);

    ASSERT_TRUE(write(0, 64).good());
    ASSERT_TRUE(write(64, 32).good());
    Reply overflow = write(96, 32);
    EXPECT_EQ(overflow.asc(), 0x63) << "a reserved track ends where it was reserved";
    // The writer's DVD-R page: incremental, fixed packets of 16, next session allowed.
    std::vector<std::uint8_t> list(60, 0);
    list[8] = 0x05;
    list[9] = 0x32;
    list[10] = 0x60;
    list[11] = 0xE5;
    list[12] = 0x08;
    list[13] = 16;
    put_be32(&list[18], 16);
    ASSERT_TRUE(out({0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0}, list).good());
    ASSERT_TRUE(close(1, 1).good());
    ASSERT_TRUE(close(1, 2).good()); // the blank track after it: nothing to do
    ASSERT_TRUE(close(2, 3).good());
    std::vector<std::uint8_t> info = disc_information();
    EXPECT_EQ(disc_status(info), 1);
    EXPECT_EQ(info[4], 2);
    EXPECT_EQ(nwa(track_information(2)) % 16, 0u);
    EXPECT_GT(nwa(track_information(2)), 112u);
}

TEST_F(MultisessionTest, DvdPlusRSessionCloseKeepsTheDiscOpenUntilFinalized)
{
    configure("[r]\nmedium=dvd+r\n");
    ASSERT_TRUE(write(0, 32).good());
    ASSERT_TRUE(close(1, 1).good());
    ASSERT_TRUE(close(2, 0xFF).good());
    EXPECT_EQ(disc_status(disc_information()), 1);
    std::uint32_t next = nwa(track_information(2));
    ASSERT_TRUE(write(next, 32).good());
    ASSERT_TRUE(close(1, 2).good());
    ASSERT_TRUE(close(6, 0).good());
    EXPECT_EQ(disc_status(disc_information()), 2);
}

TEST_F(MultisessionTest, DiscStateSurvivesANewProcess)
{
    configure("[r]\nmedium=cd-rw\nimage=disc.iso\n");
    ASSERT_TRUE(write(0, 40, 0x33).good());
    ASSERT_TRUE(synchronize_cache().good());
    ASSERT_TRUE(set_write_parameters(3).good());
    ASSERT_TRUE(close(2, 0).good());
    EXPECT_TRUE(fs::exists(folder() / "disc.iso.state"));

    restart();
    std::vector<std::uint8_t> info = disc_information();
    EXPECT_EQ(disc_status(info), 1);
    EXPECT_EQ(nwa(track_information(2)), 40u + 11400);
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(read(39, 1, data).good());
    EXPECT_EQ(data[0], 0x33);
}

TEST_F(MultisessionTest, AnImageWithoutStateIsAClosedDisc)
{
    std::ofstream(folder() / "old.iso", std::ios::binary) << std::string(5 * 2048, 'z');
    configure("[r]\nmedium=dvd-r\nimage=old.iso\n[rw]\nmedium=dvd+rw\nimage=old.iso\n");
    std::vector<std::uint8_t> info = disc_information(0);
    EXPECT_EQ(disc_status(info), 2);
    EXPECT_EQ(track_size(track_information(1, 0)), 5u);
    // On a DVD+RW the same image is a formatted disc holding that much.
    EXPECT_EQ(nwa(track_information(1, 1)), 5u);
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(read(4, 1, data, 1).good());
    EXPECT_EQ(data[0], 'z');
}

} // namespace
} // namespace valmuri::vrecorder::test
