// Every command the engine sends reaches the kernel with the data phase its
// CDB announces: the SG_IO direction of the opcode and exactly the number of
// bytes its length field asks for. Checked on the requests a fake
// pass-through system receives, so the writer's and the erase's writes are
// checked as the kernel would see them.

#include "drive/aspi_library.h"
#include "drive/command_shape.h"
#include "drive/pass_through_system.h"
#include "drive/scsi_device.h"
#include "drive/transport.h"
#include "engine/writer_drive.h"
#include "platform/endian.h"
#include "tests/drive/fake_pass_through.h"

#include <gtest/gtest.h>

#include <ctime>
#include <vector>

#include <scsi/sg.h>

namespace valmuri::test {
namespace {

class CommandPhasesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        release_aspi_layers();
        set_pass_through_system(&system);
        set_program_folder("/nonexistent/valmuri-test");
        system.add("/dev/sr0", 0, 0);
        ASSERT_TRUE(device.InitializeASPI(true, ""));
        ASSERT_FALSE(device.Devices().empty());
        device.SelectDevice(device.Devices()[0]);
    }

    void TearDown() override
    {
        release_aspi_layers();
        set_pass_through_system(nullptr);
        set_program_folder("");
        set_close_handle_after_command(true);
    }

    // Checks every request sent since `from` against the command table.
    void expect_phases_follow_the_table(std::size_t from = 0)
    {
        for (std::size_t i = from; i < system.sent.size(); ++i) {
            const SentRequest& request = system.sent[i];
            const std::uint8_t opcode = request.cdb[0];
            SCOPED_TRACE(testing::Message() << "opcode 0x" << std::hex << int{opcode});
            const CommandShape* shape = command_shape(opcode);
            ASSERT_NE(shape, nullptr) << "an opcode without a shape";
            EXPECT_GE(request.cdb.size(), shape->cdb_length);
            const int direction = shape->phase == DataPhase::In ? SG_DXFER_FROM_DEV
                : shape->phase == DataPhase::Out                ? SG_DXFER_TO_DEV
                                                                : SG_DXFER_NONE;
            EXPECT_EQ(request.header.dxfer_direction, direction);
            std::uint32_t expected = 0;
            if (shape->source == LengthSource::ParameterList)
                expected = parameter_list_length(static_cast<const std::uint8_t*>(request.header.dxferp));
            else
                expected = cdb_transfer_length(*shape, request.cdb.data());
            EXPECT_EQ(request.header.dxfer_len, expected);
        }
    }

    FakePassThrough system;
    TSCSIDevice device;
};

TEST_F(CommandPhasesTest, EveryCommandOperationSendsTheDataPhaseOfItsCdb)
{
    std::vector<std::uint8_t> buffer(65536, 0);
    std::uint8_t format_list[12] = {0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98};
    std::uint8_t descriptor[28] = {};
    std::uint8_t sense[40] = {};
    std::tm now{};

    const std::size_t from = system.sent.size();
    device.TestUnitReady(5000);
    device.RezeroUnit();
    device.RequestSense(sense, sizeof sense);
    device.FormatUnit(0x11, format_list, sizeof format_list);
    device.StartStopUnit(false);
    device.PreventAllowMediumRemoval(true);
    device.ReadFormatCapacities();
    device.Read10(100, 16, 16 * 2048, buffer.data());
    device.Write10(200, 27, 27 * 2048, buffer.data());
    device.SynchronizeCache(30000, true);
    device.ReadTOC(4, buffer.data(), 0, true, 0, 26);
    device.GetConfiguration(2, 0x2F, 114, buffer.data());
    device.ReadDiscInformation(buffer.data(), 56);
    device.ReadTrackInformation(2);
    device.ReserveTrack(1000);
    device.SendOPCInformation();
    device.ModeSelect10(buffer.data(), 60);
    device.ModeSense10(0x2A, buffer.data(), true, 255, 254);
    device.CloseTrackSession(true, true);
    device.CloseTrackSessionRaw(false, 2, 0);
    device.ReadBufferCapacity();
    device.Blank(1);
    device.SetStreaming(descriptor, sizeof descriptor);
    device.SetCDSpeed(0, 0);
    device.SendDVDStructure(0x0F, buffer.data(), 22);
    device.SendTimestamp(now);
    // The operations built on them.
    device.GetCapabilities();
    device.GetDiscType();
    device.GetDiscFreeBlocks();
    device.SetWriteParameters(false, true, false, 2);
    device.ProbeWriteModes();
    EXPECT_GT(system.sent.size() - from, 30u);
    expect_phases_follow_the_table(from);
}

TEST_F(CommandPhasesTest, WritersWriteGoesOutToTheDeviceWithEverySector)
{
    DeviceWriterDrive writer(device);
    std::vector<std::uint8_t> block(27 * 2048, 0x5A);
    const std::size_t from = system.sent.size();
    ASSERT_TRUE(writer.write10(1234, 27, block.data(), static_cast<std::uint32_t>(block.size())));
    ASSERT_EQ(system.sent.size(), from + 1);
    const SentRequest& write = system.sent.back();
    EXPECT_EQ(write.cdb[0], 0x2A);
    EXPECT_EQ(get_be32(&write.cdb[2]), 1234u);
    EXPECT_EQ(get_be16(&write.cdb[7]), 27);
    EXPECT_EQ(write.header.dxfer_direction, SG_DXFER_TO_DEV);
    EXPECT_EQ(write.header.dxfer_len, 27u * 2048);
    EXPECT_EQ(write.header.dxferp, block.data());
}

TEST_F(CommandPhasesTest, ReadOrWriteIntoTooSmallABufferIsNotSent)
{
    std::vector<std::uint8_t> block(2048, 0);
    const std::size_t from = system.sent.size();
    EXPECT_FALSE(device.Write10(0, 2, 2048, block.data()));
    EXPECT_FALSE(device.Read10(0, 2, 2048, block.data()));
    EXPECT_EQ(system.sent.size(), from);
}

} // namespace
} // namespace valmuri::test
