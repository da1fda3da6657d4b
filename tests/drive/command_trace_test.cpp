#include "drive/command_trace.h"

#include <gtest/gtest.h>

#include <cstring>

namespace valmuri {
namespace {

TEST(CommandTrace, LineCarriesCdbFlagsLengthStatusSenseAndTime)
{
    SRB_ExecSCSICmd write{};
    write.SRB_Flags = 0x50;
    write.SRB_BufLen = 55296;
    write.SRB_CDBLen = 10;
    write.SRB_SenseLen = 24;
    const std::uint8_t cdb[10] = {0x2A, 0, 0, 0, 0x01, 0x2C, 0, 0, 27, 0};
    std::memcpy(write.CDBByte, cdb, sizeof cdb);
    write.SRB_Status = 0x01;
    EXPECT_EQ(command_trace_line(write, 12),
              "CDB 2A 00 00 00 01 2C 00 00 1B 00 | flags 50 length 55296 | status 01 host 00 target 00 | 12 ms");

    // A refusal with fixed-format sense: the 18 bytes the drive sent.
    write.SRB_Status = 0x04;
    write.SRB_TargStat = 0x02;
    const std::uint8_t sense[18] = {0x70, 0, 0x03, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x0C, 0x00};
    std::memcpy(write.SenseArea, sense, sizeof sense);
    EXPECT_EQ(command_trace_line(write, 3),
              "CDB 2A 00 00 00 01 2C 00 00 1B 00 | flags 50 length 55296 | status 04 host 00 target 02 sense 70 00 03 "
              "00 00 00 00 0A 00 00 00 00 0C 00 00 00 00 00 | 3 ms");

    // A host adapter error: no sense, the host status says it.
    SRB_ExecSCSICmd lost{};
    lost.SRB_CDBLen = 6;
    lost.SRB_Status = 0x04;
    lost.SRB_HaStat = 0x11;
    EXPECT_EQ(command_trace_line(lost, 0),
              "CDB 00 00 00 00 00 00 | flags 00 length 0 | status 04 host 11 target 00 | 0 ms");
}

TEST(CommandTrace, SwitchesOnAndOff)
{
    EXPECT_FALSE(set_command_trace("/nonexistent-folder/trace.log"));
    EXPECT_FALSE(command_trace_on());
    EXPECT_TRUE(set_command_trace(""));
    EXPECT_FALSE(command_trace_on());
}

} // namespace
} // namespace valmuri
