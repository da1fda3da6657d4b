#include "drive/scsi_device.h"
#include "drive/transport.h"

#include <gtest/gtest.h>

namespace valmuri {
namespace {

TEST(ExecScsiCommand, NothingLoadedIsNotSentAndSaysSo)
{
    release_aspi_layers();
    TSCSIDevice device;
    SRB_ExecSCSICmd srb{};
    srb.SRB_Flags = SRB_EVENT_NOTIFY;
    srb.SRB_CDBLen = 6;
    EXPECT_EQ(device.ExecSCSICommand(srb, 5000), SS_NOT_SENT);
    EXPECT_EQ(srb.SRB_Status, SS_NOT_SENT);
    EXPECT_EQ(srb.SRB_Cmd, 0) << "the block is otherwise untouched";
    EXPECT_FALSE(device.LastErrorText().empty());
}

} // namespace
} // namespace valmuri
