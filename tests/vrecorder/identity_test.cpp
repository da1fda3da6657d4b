// The recorder as an ASPI manager: adapter, device list and INQUIRY, and
// the request blocks it refuses.

#include "recorder_fixture.h"

#include <cstring>

namespace valmuri::vrecorder::test {
namespace {

using IdentityTest = RecorderTest;

TEST_F(IdentityTest, AdapterAndDevicesNameTheRecorders)
{
    configure("[first]\nmedium=cd-r\n[second]\nmedium=dvd+rw\n");
    EXPECT_EQ(support_info_(), 0x0101u); // one adapter, status complete

    SRB_HAInquiry adapter{};
    adapter.SRB_Cmd = SC_HA_INQUIRY;
    EXPECT_EQ(send_command_(&adapter), SS_COMP);
    EXPECT_EQ(adapter.HA_Count, 1);
    EXPECT_EQ(adapter.HA_SCSI_ID, 7);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(adapter.HA_ManagerId), 16), "VALMURI MP3 ASPI");
    EXPECT_EQ(adapter.HA_Unique[3], 8);

    for (std::uint8_t target = 0; target < 3; ++target) {
        SRB_GDEVBlock device{};
        device.SRB_Cmd = SC_GET_DEV_TYPE;
        device.SRB_Target = target;
        std::uint8_t status = send_command_(&device);
        EXPECT_EQ(status, target < 2 ? SS_COMP : SS_NO_DEVICE) << int(target);
        EXPECT_EQ(device.SRB_DeviceType, target < 2 ? 5 : 0x1F);
    }
    adapter.SRB_HaId = 1;
    EXPECT_EQ(send_command_(&adapter), SS_INVALID_HA);
}

TEST_F(IdentityTest, InquiryGivesACdDeviceWithAClearName)
{
    configure("[r]\nmedium=cd-r\n");
    std::vector<std::uint8_t> data(128, 0xEE);
    Reply reply = in({0x12, 0, 0, 0, 0x80, 0}, data);
    ASSERT_TRUE(reply.good()) << reply.sense_text();
    EXPECT_EQ(data[0], 0x05);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&data[8]), 8), "VALMURI ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&data[16]), 16), "VIRTUAL RECORDER");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&data[32]), 4), "1.0 ");
    EXPECT_EQ(data[100], 0xEE) << "only the 96 bytes of inquiry data are transferred";

    // LUN 1 of a present target: "no device here", so a scan skips it.
    SRB_ExecSCSICmd block{};
    block.SRB_Cmd = SC_EXEC_SCSI_CMD;
    block.SRB_Flags = SRB_DIR_IN;
    block.SRB_Lun = 1;
    block.SRB_BufLen = 128;
    block.SRB_BufPointer64 = reinterpret_cast<std::uintptr_t>(data.data());
    block.SRB_SenseLen = 24;
    block.SRB_CDBLen = 6;
    std::uint8_t cdb[] = {0x12, 0x20, 0, 0, 0x80, 0};
    std::memcpy(block.CDBByte, cdb, sizeof cdb);
    EXPECT_TRUE(send(block).good());
    EXPECT_EQ(data[0], 0x7F);

    // A target that does not exist is not a device at all.
    EXPECT_EQ(in({0x12, 0, 0, 0, 0x80, 0}, data, 3).status, SS_NO_DEVICE);
}

TEST_F(IdentityTest, MalformedRequestsAreRefusedWithoutTouchingMemory)
{
    configure("[r]\nmedium=cd-r\n");
    SRB_ExecSCSICmd block{};
    block.SRB_Cmd = SC_EXEC_SCSI_CMD;
    block.SRB_Flags = SRB_DIR_IN;
    block.SRB_BufLen = 36; // but no buffer
    block.SRB_CDBLen = 6;
    block.CDBByte[0] = 0x12;
    block.CDBByte[4] = 36;
    EXPECT_EQ(send(block).status, SS_INVALID_SRB);

    std::vector<std::uint8_t> data(16);
    block.SRB_BufLen = 16;
    block.SRB_BufPointer64 = reinterpret_cast<std::uintptr_t>(data.data());
    block.SRB_Flags = SRB_DIR_IN | SRB_DIR_OUT;
    EXPECT_EQ(send(block).status, SS_INVALID_SRB);

    block.SRB_Flags = SRB_DIR_IN;
    block.SRB_BufLen = 64 * 1024 * 1024;
    EXPECT_EQ(send(block).status, SS_BUFFER_TO_BIG);

    EXPECT_EQ(send_command_(nullptr), SS_INVALID_SRB);

    Reply unknown = none({0xD8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(unknown.status, SS_ERR);
    EXPECT_EQ(unknown.target_status, 0x02);
    EXPECT_EQ(unknown.key(), 0x5);
    EXPECT_EQ(unknown.asc(), 0x20);

    // Data in where the drive expects data out is a data phase error.
    std::vector<std::uint8_t> sector(2048);
    Reply wrong_way = in({0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, sector);
    EXPECT_EQ(wrong_way.status, SS_ERR);
    EXPECT_EQ(wrong_way.host_status, 0x12);
}

TEST_F(IdentityTest, WithoutConfigurationOneBlankCdRecorderIsThere)
{
    setenv("XDG_DATA_HOME", (folder() / "data").c_str(), 1);
    setenv("VALMURI_VRECORDER", (folder() / "missing.ini").c_str(), 1);
    EXPECT_EQ(support_info_(), 0x0101u);
    EXPECT_EQ(current_profile(), 0x0009);
    std::vector<std::uint8_t> track = track_information(1);
    EXPECT_EQ(free_blocks(track), 359849u); // 80 minutes
    ASSERT_TRUE(write(0, 16).good());
    ASSERT_TRUE(synchronize_cache().good());
    EXPECT_TRUE(fs::exists(folder() / "data" / "valmuri-mp3" / "disc.iso"));
}

TEST_F(IdentityTest, AnEmptyConfigurationHasNoAdapters)
{
    configure("; nothing configured\n");
    EXPECT_EQ(support_info_() >> 8, std::uint32_t{SS_NO_ADAPTERS});
    EXPECT_EQ(support_info_() & 0xFF, 0u);
}

} // namespace
} // namespace valmuri::vrecorder::test
