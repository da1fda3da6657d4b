// The fault switches: each makes the recorder fail the way a real drive does.

#include "recorder_fixture.h"

#include <cstring>

namespace valmuri::vrecorder::test {
namespace {

using FaultTest = RecorderTest;

TEST_F(FaultTest, BusyForSomeCommandsThenServes)
{
    configure("[r]\nmedium=cd-r\nbusy_commands=2\n");
    std::vector<std::uint8_t> data(128);
    EXPECT_TRUE(in({0x12, 0, 0, 0, 0x80, 0}, data).good()) << "INQUIRY is never busy";
    for (int i = 0; i < 2; ++i) {
        Reply busy = test_unit_ready();
        EXPECT_EQ(busy.status, SS_ERR);
        EXPECT_EQ(busy.target_status, 0x08);
        EXPECT_EQ(busy.sense[12], 0) << "busy carries no sense";
    }
    EXPECT_TRUE(test_unit_ready().good());
}

TEST_F(FaultTest, FaultCommandLimitsTheCountToOneOpcode)
{
    configure("[r]\nmedium=cd-r\nbusy_commands=3\nfault_command=2A\n");
    EXPECT_TRUE(test_unit_ready().good());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(write(0, 1).target_status, 0x08);
    EXPECT_TRUE(write(0, 1).good());
}

TEST_F(FaultTest, NotReadyForSomeCommandsIsBecomingReady)
{
    configure("[r]\nmedium=cd-r\nnot_ready_commands=3\n");
    Reply first = test_unit_ready();
    EXPECT_EQ(first.key(), 0x2);
    EXPECT_EQ(first.asc(), 0x04);
    EXPECT_EQ(first.ascq(), 0x01);
    std::vector<std::uint8_t> sense(18);
    ASSERT_TRUE(in({0x03, 0, 0, 0, 18, 0}, sense).good());
    EXPECT_EQ(sense[12], 0x04) << "REQUEST SENSE shows the drive is not ready yet";
    EXPECT_EQ(test_unit_ready().asc(), 0x04);
    EXPECT_TRUE(test_unit_ready().good());
    ASSERT_TRUE(in({0x03, 0, 0, 0, 18, 0}, sense).good());
    EXPECT_EQ(sense[12], 0x00);
}

TEST_F(FaultTest, NeverReadyStaysNotReady)
{
    configure("[r]\nmedium=cd-r\nnever_ready=1\n");
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(test_unit_ready().asc(), 0x04);
    std::vector<std::uint8_t> data(56);
    EXPECT_EQ(in({0x51, 0, 0, 0, 0, 0, 0, 0, 56, 0}, data).asc(), 0x04);
    data.resize(0x80);
    EXPECT_TRUE(in({0x12, 0, 0, 0, 0x80, 0}, data).good());
}

TEST_F(FaultTest, NotReadyAfterAnOpcodeStartsCountingOnceItSucceeded)
{
    // A DVD+RW formatting in the background after FORMAT UNIT answered.
    configure("[r]\nmedium=dvd+rw\nnot_ready_commands=2\nnot_ready_after=04\n");
    std::vector<std::uint8_t> bad_list{0x00, 0x82, 0x00, 0x07, 0x00, 0x23, 0x05, 0x40, 0x98, 0x00, 0x00, 0x00};
    std::vector<std::uint8_t> list{0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98, 0x00, 0x00, 0x00};
    EXPECT_TRUE(test_unit_ready().good()) << "nothing counts before the format";
    ASSERT_FALSE(out({0x04, 0x11, 0, 0, 0, 0}, bad_list).good());
    EXPECT_TRUE(test_unit_ready().good()) << "a rejected format starts nothing";
    ASSERT_TRUE(out({0x04, 0x11, 0, 0, 0, 0}, list).good());
    std::vector<std::uint8_t> info(56);
    for (int i = 0; i < 2; ++i) {
        Reply busy = in({0x51, 0, 0, 0, 0, 0, 0, 0, 56, 0}, info);
        EXPECT_EQ(busy.key(), 0x2);
        EXPECT_EQ(busy.asc(), 0x04);
    }
    EXPECT_EQ(disc_information()[7] & 0x03, 0x03);
    ASSERT_TRUE(out({0x04, 0x11, 0, 0, 0, 0}, list).good());
    EXPECT_EQ(test_unit_ready().asc(), 0x04) << "every format starts the count again";
}

TEST_F(FaultTest, MediumErrorAtASectorFailsWritesAndReadsThere)
{
    configure("[w]\nmedium=cd-r\nmedium_error_sector=40\n[r]\nmedium=dvd+rw\nimage=plus.iso\nmedium_error_sector=7\n");
    ASSERT_TRUE(write(0, 27).good());
    Reply bad = write(27, 27);
    EXPECT_EQ(bad.key(), 0x3);
    EXPECT_EQ(bad.asc(), 0x0C);
    EXPECT_EQ(bad.sense[0], 0xF0) << "the failing block is in the information field";
    EXPECT_EQ(get_be32(&bad.sense[3]), 40u);
    EXPECT_EQ(nwa(track_information(1)), 27u) << "nothing of the failed write was recorded";

    std::vector<std::uint8_t> list{0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98, 0x00, 0x00, 0x00};
    ASSERT_TRUE(out({0x04, 0x11, 0, 0, 0, 0}, list, 1).good());
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(read(0, 7, data, 1).good());
    Reply unreadable = read(0, 8, data, 1);
    EXPECT_EQ(unreadable.key(), 0x3);
    EXPECT_EQ(unreadable.asc(), 0x11);
}

TEST_F(FaultTest, ACommandThatNeverCompletesCanBeAborted)
{
    configure("[r]\nmedium=cd-r\nnever_complete=2A\nnever_complete_after=1\n");
    ASSERT_TRUE(write(0, 1).good());

    std::vector<std::uint8_t> data(2048);
    SRB_ExecSCSICmd block{};
    block.SRB_Cmd = SC_EXEC_SCSI_CMD;
    block.SRB_Flags = SRB_EVENT_NOTIFY | SRB_DIR_OUT;
    block.SRB_BufLen = 2048;
    block.SRB_BufPointer64 = reinterpret_cast<std::uintptr_t>(data.data());
    block.SRB_SenseLen = 24;
    block.SRB_CDBLen = 10;
    std::uint8_t cdb[] = {0x2A, 0, 0, 0, 0, 1, 0, 0, 1, 0};
    std::memcpy(block.CDBByte, cdb, sizeof cdb);
    EXPECT_EQ(send_command_(&block), SS_PENDING);
    EXPECT_EQ(block.SRB_Status, SS_PENDING);

    SRB_Abort abort{};
    abort.SRB_Cmd = SC_ABORT_SRB;
    abort.SRB_ToAbort = reinterpret_cast<std::uintptr_t>(&block);
    EXPECT_EQ(send_command_(&abort), SS_COMP);
    EXPECT_EQ(block.SRB_Status, SS_ABORTED);
    EXPECT_EQ(send_command_(&abort), SS_ABORT_FAIL) << "only pending requests are aborted";

    SRB_ExecSCSICmd stranger{};
    abort.SRB_ToAbort = reinterpret_cast<std::uintptr_t>(&stranger);
    EXPECT_EQ(send_command_(&abort), SS_ABORT_FAIL);
    EXPECT_EQ(stranger.SRB_Status, 0);
    EXPECT_TRUE(test_unit_ready().good()) << "the drive answers other commands";
}

TEST_F(FaultTest, RejectedBlankIsAnEraseFailure)
{
    configure("[r]\nmedium=cd-rw\nreject_blank=1\n");
    Reply rejected = none({0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(rejected.status, SS_ERR);
    EXPECT_EQ(rejected.key(), 0x3);
    EXPECT_EQ(rejected.asc(), 0x51);
}

} // namespace
} // namespace valmuri::vrecorder::test
