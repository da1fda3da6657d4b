// The pass-through emulation over a fake system: enumeration and addresses,
// the emulated entry points, SG_IO request building and handle use.

#include "drive/spti_emulation.h"
#include "tests/drive/transport_fixture.h"

#include <atomic>
#include <thread>

#include <scsi/sg.h>

namespace valmuri::test {
namespace {

using EmulationTest = TransportTest;

SRB_ExecSCSICmd execute_block(std::uint8_t ha, std::uint8_t target, std::uint8_t lun, std::uint8_t opcode)
{
    SRB_ExecSCSICmd srb{};
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = ha;
    srb.SRB_Target = target;
    srb.SRB_Lun = lun;
    srb.SRB_SenseLen = 24;
    srb.SRB_CDBLen = 10;
    srb.CDBByte[0] = opcode;
    return srb;
}

TEST_F(EmulationTest, DrivesGetCompactAdaptersAndUnaddressedDrivesAnExtraOne)
{
    system.add("/dev/sr0", 4, 0);
    system.add("/dev/sr1", 9, 0).has_address = false;
    system.add("/dev/sr2", 7, 1);
    ASSERT_TRUE(LoadASPI(true, ""));
    EXPECT_EQ(aspi_layer_name(), "KVASPI32");

    // Kernel hosts 4 and 7 become adapters 0 and 1; the drive without an
    // address goes onto adapter 2 as target 0, LUN 0.
    EXPECT_EQ(emulation_device_path(0, 0, 0), "/dev/sr0");
    EXPECT_EQ(emulation_device_path(1, 1, 0), "/dev/sr2");
    EXPECT_EQ(emulation_device_path(2, 0, 0), "/dev/sr1");
    EXPECT_EQ(emulation_device_path(0, 1, 0), "");
    EXPECT_EQ(GetASPI32SupportInfo(), 0x0103u);
    // Every probe closes its handle.
    EXPECT_EQ(system.open_count(), 0);
}

TEST_F(EmulationTest, TwoDrivesOneWithoutAddressMakeTwoAdapters)
{
    system.add("/dev/sr0", 0, 0);
    system.add("/dev/sr1", 0, 0).has_address = false;
    ASSERT_TRUE(LoadASPI(true, ""));
    EXPECT_EQ(GetASPI32SupportInfo() & 0xFF, 2u);
    EXPECT_EQ(emulation_device_path(1, 0, 0), "/dev/sr1");
}

TEST_F(EmulationTest, TargetsOrLunsTheScanCannotReachCountAsUnaddressed)
{
    system.add("/dev/sr0", 0, 12);
    ASSERT_TRUE(LoadASPI(true, ""));
    EXPECT_EQ(emulation_device_path(1, 0, 0), "/dev/sr0");
}

TEST_F(EmulationTest, ProbeFallsBackToReadOnlyAndSkipsDrivesThatFail)
{
    FakeDrive& read_only = system.add("/dev/sr0", 0, 0);
    read_only.opens_read_write = false;
    system.add("/dev/sr1", 0, 1).opens_read_only = false;
    system.drives[1].opens_read_write = false; // cannot be opened at all
    system.add("/dev/sr2", 0, 2).inquiry_call_fails = true;
    ASSERT_TRUE(LoadASPI(true, ""));

    const auto entries = SptiEmulation::instance().entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].device_path, "/dev/sr0");
    EXPECT_EQ(system.opens[0], "rw /dev/sr0");
    EXPECT_EQ(system.opens[1], "ro /dev/sr0");
    EXPECT_EQ(system.open_count(), 0) << "the drive whose INQUIRY failed is closed too";

    // The read-only drive is used for commands as well.
    SRB_ExecSCSICmd srb = execute_block(0, 0, 0, 0x00);
    EXPECT_EQ(SendASPI32Command(&srb), SS_COMP);
}

TEST_F(EmulationTest, ProbeSendsInquiryOf96Bytes)
{
    system.add("/dev/sr0", 0, 0);
    ASSERT_TRUE(LoadASPI(true, ""));
    ASSERT_EQ(system.sent.size(), 1u);
    EXPECT_EQ(system.sent[0].cdb, (std::vector<std::uint8_t>{0x12, 0, 0, 0, 0x60, 0}));
    EXPECT_EQ(system.sent[0].header.dxfer_len, 96u);
    EXPECT_EQ(system.sent[0].header.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(system.sent[0].header.mx_sb_len, 24);
    EXPECT_EQ(system.sent[0].header.timeout, 120000u);
}

TEST_F(EmulationTest, NoDriveNoLibraryLoadsNothing)
{
    EXPECT_FALSE(LoadASPI(true, ""));
    EXPECT_FALSE(aspi_loaded());
    EXPECT_EQ(aspi_layer_name(), "");
    EXPECT_EQ(GetASPI32SupportInfo(), static_cast<std::uint32_t>(SS_NO_ADAPTERS) << 8);
    // A drive plugged in later is found by the next load.
    system.add("/dev/sr0", 0, 0);
    EXPECT_TRUE(LoadASPI(true, ""));
}

TEST_F(EmulationTest, HostAdapterInquiryAnswer)
{
    system.add("/dev/sr0", 0, 0);
    ASSERT_TRUE(LoadASPI(true, ""));

    SRB_HAInquiry block{};
    block.SRB_Cmd = SC_HA_INQUIRY;
    EXPECT_EQ(SendASPI32Command(&block), SS_COMP);
    EXPECT_EQ(block.HA_Count, 1);
    EXPECT_EQ(block.HA_SCSI_ID, 7);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block.HA_ManagerId), 16), "VALMURI SOFTWARE");
    EXPECT_STREQ(reinterpret_cast<char*>(block.HA_Identifier), "SPTI 0");
    const std::uint8_t parameters[8] = {7, 0, 0, 8, 0, 0, 0xFF, 0};
    EXPECT_EQ(std::memcmp(block.HA_Unique, parameters, 8), 0);

    SRB_HAInquiry beyond{};
    beyond.SRB_HaId = 1;
    EXPECT_EQ(SendASPI32Command(&beyond), SS_INVALID_HA);
    EXPECT_EQ(beyond.SRB_Status, SS_INVALID_HA);
    EXPECT_EQ(beyond.HA_Count, 1) << "the count is always set";
}

TEST_F(EmulationTest, DeviceTypeDiskInfoAndUnknownCommands)
{
    system.add("/dev/sr0", 0, 0);
    ASSERT_TRUE(LoadASPI(true, ""));

    SRB_GDEVBlock type{};
    type.SRB_Cmd = SC_GET_DEV_TYPE;
    EXPECT_EQ(SendASPI32Command(&type), SS_COMP);
    EXPECT_EQ(type.SRB_DeviceType, 5);
    type.SRB_Target = 3;
    EXPECT_EQ(SendASPI32Command(&type), SS_NO_DEVICE);
    EXPECT_EQ(type.SRB_DeviceType, 0x1F);

    SRB_GetDiskInfo info{};
    info.SRB_Cmd = SC_GET_DISK_INFO;
    EXPECT_EQ(SendASPI32Command(&info), SS_ERR);
    EXPECT_EQ(info.SRB_Status, SS_PENDING);

    SRB_Abort abort{};
    abort.SRB_Cmd = SC_ABORT_SRB;
    EXPECT_EQ(SendASPI32Command(&abort), SS_ERR);
    EXPECT_EQ(abort.SRB_Status, SS_ERR);

    EXPECT_EQ(SptiEmulation::instance().send(nullptr), SS_ERR);
}

TEST_F(EmulationTest, InquiryIsAnsweredFromTheProbeAndUnknownAddressesAreNoDevice)
{
    system.add("/dev/sr0", 0, 0);
    ASSERT_TRUE(LoadASPI(true, ""));
    const std::size_t probe_requests = system.sent.size();

    std::uint8_t data[128];
    std::memset(data, 0xAA, sizeof data);
    SRB_ExecSCSICmd srb = execute_block(0, 0, 0, 0x12);
    set_srb_buffer(srb, data, sizeof data);
    EXPECT_EQ(SendASPI32Command(&srb), SS_COMP);
    EXPECT_EQ(data[0], 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 7), "VALMURI");
    EXPECT_EQ(data[36], 0xAA) << "36 bytes are answered";
    EXPECT_EQ(system.sent.size(), probe_requests) << "the drive is not asked";

    SRB_ExecSCSICmd elsewhere = execute_block(0, 5, 0, 0x12);
    EXPECT_EQ(SendASPI32Command(&elsewhere), SS_NO_DEVICE);

    // A short buffer gets no more than its length.
    std::uint8_t small[8] = {};
    std::uint8_t guard = 0x55;
    SRB_ExecSCSICmd short_request = execute_block(0, 0, 0, 0x12);
    set_srb_buffer(short_request, small, sizeof small);
    EXPECT_EQ(SendASPI32Command(&short_request), SS_COMP);
    EXPECT_EQ(small[0], 5);
    EXPECT_EQ(guard, 0x55);
}

TEST_F(EmulationTest, SgIoRequestFollowsTheBlock)
{
    std::uint8_t data[64] = {};
    std::uint8_t sense[32];
    sg_io_hdr io;

    SRB_ExecSCSICmd read = execute_block(0, 0, 0, 0x28);
    read.SRB_Flags = SRB_EVENT_NOTIFY | SRB_DIR_IN;
    read.CDBByte[5] = 0x10;
    set_srb_buffer(read, data, sizeof data);
    build_sg_io_request(read, io, sense, sizeof sense);
    EXPECT_EQ(io.interface_id, 'S');
    EXPECT_EQ(io.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(io.dxferp, data);
    EXPECT_EQ(io.dxfer_len, 64u);
    EXPECT_EQ(io.cmd_len, 10);
    EXPECT_EQ(io.cmdp[5], 0x10);
    EXPECT_EQ(io.sbp, sense);
    EXPECT_EQ(io.mx_sb_len, 24);
    EXPECT_EQ(io.timeout, 120000u);

    SRB_ExecSCSICmd write = read;
    write.SRB_Flags = SRB_EVENT_NOTIFY | SRB_DIR_OUT;
    build_sg_io_request(write, io, sense, sizeof sense);
    EXPECT_EQ(io.dxfer_direction, SG_DXFER_TO_DEV);

    // Both direction bits: data in wins.
    write.SRB_Flags = SRB_DIR_IN | SRB_DIR_OUT;
    build_sg_io_request(write, io, sense, sizeof sense);
    EXPECT_EQ(io.dxfer_direction, SG_DXFER_FROM_DEV);

    SRB_ExecSCSICmd none = execute_block(0, 0, 0, 0x00);
    none.SRB_Flags = SRB_EVENT_NOTIFY;
    none.SRB_CDBLen = 6;
    build_sg_io_request(none, io, sense, sizeof sense);
    EXPECT_EQ(io.dxfer_direction, SG_DXFER_NONE);
    EXPECT_EQ(io.dxfer_len, 0u);

    // Lengths a caller got wrong stay inside the buffers.
    none.SRB_CDBLen = 40;
    none.SRB_SenseLen = 200;
    build_sg_io_request(none, io, sense, sizeof sense);
    EXPECT_EQ(io.cmd_len, 16);
    EXPECT_EQ(io.mx_sb_len, 32);
}

TEST_F(EmulationTest, FailedCommandCarriesSenseAndTargetStatus)
{
    FakeDrive& drive = system.add("/dev/sr0", 0, 0);
    drive.answer = [](sg_io_hdr& io) {
        io.status = 0x02;
        io.driver_status = 0x08;
        const std::uint8_t sense[18] = {0x70, 0, 0x03, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x0C, 0x00};
        std::memcpy(io.sbp, sense, sizeof sense);
        io.sb_len_wr = sizeof sense;
        return true;
    };
    ASSERT_TRUE(LoadASPI(true, ""));
    SRB_ExecSCSICmd srb = execute_block(0, 0, 0, 0x2A);
    EXPECT_EQ(SendASPI32Command(&srb), SS_ERR);
    EXPECT_EQ(srb.SRB_Status, SS_ERR);
    EXPECT_EQ(srb.SRB_TargStat, 0x02);
    EXPECT_EQ(srb.SRB_HaStat, 0);
    EXPECT_EQ(srb.SenseArea[2], 0x03);
    EXPECT_EQ(srb.SenseArea[12], 0x0C);

    // The kernel's own time-out becomes the ASPI command time-out.
    drive.answer = [](sg_io_hdr& io) {
        io.host_status = 0x03;
        return true;
    };
    SRB_ExecSCSICmd slow = execute_block(0, 0, 0, 0x35);
    EXPECT_EQ(SendASPI32Command(&slow), SS_ERR);
    EXPECT_EQ(slow.SRB_HaStat, HASTAT_TIMEOUT);

    // A call that fails at the system: error with target status 0.
    drive.answer = [](sg_io_hdr& io) {
        io.status = 0x02;
        return false;
    };
    SRB_ExecSCSICmd broken = execute_block(0, 0, 0, 0x00);
    EXPECT_EQ(SendASPI32Command(&broken), SS_ERR);
    EXPECT_EQ(broken.SRB_TargStat, 0);
    // ... and never looks like a drive without sense data (a busy one).
    EXPECT_EQ(broken.SRB_HaStat, HASTAT_BUS_FREE);

    // A drive the kernel no longer reaches, and a driver error without a
    // SCSI status, are host adapter errors too.
    drive.answer = [](sg_io_hdr& io) {
        io.host_status = 0x01;
        return true;
    };
    SRB_ExecSCSICmd gone = execute_block(0, 0, 0, 0x2A);
    EXPECT_EQ(SendASPI32Command(&gone), SS_ERR);
    EXPECT_EQ(gone.SRB_HaStat, HASTAT_SEL_TO);
    drive.answer = [](sg_io_hdr& io) {
        io.driver_status = 0x04;
        return true;
    };
    SRB_ExecSCSICmd driver = execute_block(0, 0, 0, 0x2A);
    EXPECT_EQ(SendASPI32Command(&driver), SS_ERR);
    EXPECT_EQ(driver.SRB_HaStat, HASTAT_BUS_FREE);
}

TEST_F(EmulationTest, HandlesCloseAfterEveryCommandOnlyWhenAsked)
{
    system.add("/dev/sr0", 0, 0);
    ASSERT_TRUE(LoadASPI(true, ""));
    const int probe_opens = system.successful_opens;

    SRB_ExecSCSICmd first = execute_block(0, 0, 0, 0x00);
    SRB_ExecSCSICmd second = first;
    set_close_handle_after_command(true);
    SendASPI32Command(&first);
    SendASPI32Command(&second);
    EXPECT_EQ(system.successful_opens - probe_opens, 2);
    EXPECT_EQ(system.open_count(), 0);

    set_close_handle_after_command(false);
    SendASPI32Command(&first);
    SendASPI32Command(&second);
    SendASPI32Command(&first);
    EXPECT_EQ(system.successful_opens - probe_opens, 3);
    EXPECT_EQ(system.open_count(), 1);

    // Unloading closes the drive that stayed open.
    ASSERT_TRUE(ReloadASPI());
    release_aspi_layers();
    EXPECT_EQ(system.open_count(), 0);
}

TEST_F(EmulationTest, SecondThreadsCommandRunsBesideALongOneAndTheHandleStaysOpen)
{
    FakeDrive& drive = system.add("/dev/sr0", 0, 0);
    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};
    drive.answer = [&](sg_io_hdr& io) {
        if (io.cmdp[0] == 0x35) {
            inside.store(true);
            while (!release.load())
                std::this_thread::yield();
        }
        return true;
    };
    ASSERT_TRUE(LoadASPI(true, ""));
    set_close_handle_after_command(true);

    SRB_ExecSCSICmd long_command = execute_block(0, 0, 0, 0x35);
    std::thread writer([&] { SendASPI32Command(&long_command); });
    while (!inside.load())
        std::this_thread::yield();

    SRB_ExecSCSICmd short_command = execute_block(0, 0, 0, 0x00);
    EXPECT_EQ(SendASPI32Command(&short_command), SS_COMP);
    EXPECT_EQ(system.open_count(), 1) << "not closed under the running command";
    EXPECT_EQ(system.sent.back().fd, system.sent[system.sent.size() - 2].fd);

    release.store(true);
    writer.join();
    EXPECT_EQ(long_command.SRB_Status, SS_COMP);
    EXPECT_EQ(system.open_count(), 0) << "closed when the last command ends";
}

TEST_F(EmulationTest, DriveThatCannotBeOpenedFailsTheCommand)
{
    system.add("/dev/sr0", 0, 0);
    ASSERT_TRUE(LoadASPI(true, ""));
    system.drives[0].opens_read_write = false;
    system.drives[0].opens_read_only = false;
    SRB_ExecSCSICmd srb = execute_block(0, 0, 0, 0x00);
    EXPECT_EQ(SendASPI32Command(&srb), SS_ERR);
    EXPECT_EQ(srb.SRB_TargStat, 0);
}

} // namespace
} // namespace valmuri::test
