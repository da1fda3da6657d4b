// The drive side of the engine against the built recorder library, loaded
// as the engine loads any ASPI manager: device list, disc detection, room,
// readiness and erase.

#include "recorder_fixture.h"

#include "drive/capabilities.h"
#include "drive/disc_type.h"
#include "drive/erase_plan.h"
#include "drive/scsi_device.h"
#include "drive/write_parameters.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"

namespace valmuri::vrecorder::test {
namespace {

class EngineDriveTest : public RecorderTest {
protected:
    void attach(const std::string& ini)
    {
        configure(ini);
        device.set_clock(clock);
        device.set_dispatcher(dispatcher);
        ASSERT_TRUE(device.InitializeASPI(false, std::string(VALMURI_BINARY_DIR) + "/libwnaspi32.so"));
        ASSERT_FALSE(device.Devices().empty());
        device.SelectDevice(device.Devices()[0]);
        ASSERT_EQ(device.DeviceType(), 5);
    }

    void TearDown() override
    {
        device.UnloadASPI();
        RecorderTest::TearDown();
    }

    VirtualClock clock;
    QueueDispatcher dispatcher;
    TSCSIDevice device;
};

TEST_F(EngineDriveTest, TheRecordersAreListedAndIdentified)
{
    attach("[one]\nmedium=cd-r\n[two]\nmedium=dvd+rw\n");
    ASSERT_EQ(device.Devices().size(), 2u);
    EXPECT_EQ(device.Devices()[0].rfind("0:0:0,", 0), 0u) << device.Devices()[0];
    EXPECT_EQ(device.Devices()[1].rfind("0:1:0,", 0), 0u) << device.Devices()[1];
    EXPECT_NE(device.Devices()[0].find("VALMURI VIRTUAL RECORDER1.0 "), std::string::npos) << device.Devices()[0];
    EXPECT_EQ(device.DeviceDescription(), "VALMURI  VIRTUAL RECORDER 1.0 ");
    EXPECT_FALSE(device.SlowReadyDrive());
    EXPECT_FALSE(TSCSIDevice::SlowReadyHost());

    EXPECT_EQ(device.GetDiscType(), dtCDR);
    EXPECT_EQ(device.WriteModes(), wmSAO | wmTAO);
    std::uint32_t caps = device.DeviceCapabilities();
    EXPECT_TRUE(caps & capWriteCDR);
    EXPECT_TRUE(caps & capTestWrite);
    EXPECT_TRUE(caps & capUnderrunProtection);
    EXPECT_TRUE(caps & capWriteDVDPlusRW);
    EXPECT_EQ(device.MaxWriteSpeed(), 8467);

    device.SelectDevice(device.Devices()[1]);
    EXPECT_EQ(device.GetDiscType(), dtDVDPlusRW);
    EXPECT_TRUE(device.IsDiscErasable());
}

TEST_F(EngineDriveTest, FreeBlocksFollowTheDisc)
{
    attach("[r]\nmedium=cd-r\n");
    EXPECT_EQ(device.GetDiscFreeBlocks(), 359849u);
    EXPECT_EQ(device.GetSessionCount(), 0);
    std::vector<std::uint8_t> block(27 * 2048, 0x7E);
    ASSERT_TRUE(device.Write10(0, 27, static_cast<std::uint32_t>(block.size()), block.data()));
    ASSERT_TRUE(device.SynchronizeCache(120000, false));
    device.SetFinalizeDisc(false);
    ASSERT_TRUE(device.SetWriteParameters(false, false, false, dtCDR));
    ASSERT_TRUE(device.CloseTrackSession(false, true));
    EXPECT_EQ(device.GetDiscStatus(), 1);
    EXPECT_EQ(device.GetSessionCount(), 1);
    ASSERT_TRUE(device.ReadTrackInformation(2));
    EXPECT_EQ(device.TrackInfo().next_writable, 27u + 11400);
    EXPECT_EQ(device.GetDiscFreeBlocks(), 359849u - 27 - 11400);
}

TEST_F(EngineDriveTest, ReadinessWaitsThroughANotReadySpell)
{
    attach("[slow]\nmedium=cd-r\nnot_ready_commands=4\n[dead]\nmedium=cd-r\nnever_ready=1\n");
    EXPECT_TRUE(device.WaitForReady(10000, 500));
    device.SelectDevice(device.Devices()[1]);
    std::uint64_t before = clock.now_ms();
    EXPECT_FALSE(device.WaitForReady(10000, 500));
    EXPECT_LE(clock.now_ms() - before, 11000u);
}

TEST_F(EngineDriveTest, QuickEraseOfACdRwAndARefusedOneOfACdR)
{
    attach("[rw]\nmedium=cd-rw\nimage=rw.iso\n[r]\nmedium=cd-r\n");
    // Probing the write modes left raw blocks selected; a CD write needs mode 1.
    std::vector<std::uint8_t> block(32 * 2048, 1);
    EXPECT_FALSE(device.Write10(0, 32, static_cast<std::uint32_t>(block.size()), block.data()));
    EXPECT_EQ(device.LastErrorText(), "ILLEGAL REQUEST (ILLEGAL MODE FOR THIS TRACK)");
    ASSERT_TRUE(device.SetWriteParameters(false, false, false, dtCDRW));
    ASSERT_TRUE(device.Write10(0, 32, static_cast<std::uint32_t>(block.size()), block.data()));
    ASSERT_TRUE(device.SynchronizeCache(120000, false));
    ASSERT_TRUE(fs::exists(folder() / "rw.iso"));

    std::vector<bool> done;
    device.OnEraseDone = [&](TSCSIDevice*, bool with_error) { done.push_back(with_error); };
    ASSERT_TRUE(device.EraseDisc(kBlankQuick));
    for (int i = 0; i < 2000 && done.empty(); ++i)
        dispatcher.pump_wait(10);
    ASSERT_EQ(done, std::vector<bool>{false});
    EXPECT_EQ(device.GetDiscStatus(), 0);
    EXPECT_FALSE(fs::exists(folder() / "rw.iso"));

    done.clear();
    device.SelectDevice(device.Devices()[1]);
    EXPECT_FALSE(device.EraseDisc(kBlankQuick));
    EXPECT_EQ(done, std::vector<bool>{true});
    EXPECT_FALSE(device.Erasing());
}

} // namespace
} // namespace valmuri::vrecorder::test
