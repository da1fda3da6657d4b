// The send path: what ExecSCSICommand puts into a block, how it waits for a
// layer that completes later, and how a request that never completes ends.

#include "drive/scsi_device.h"
#include "tests/drive/transport_fixture.h"

#include <atomic>
#include <thread>

namespace valmuri::test {
namespace {

class AddressedDevice : public TSCSIDevice {
public:
    void select(DeviceAddress address) { selected_ = address; }
};

// Advances a virtual clock from a thread of its own until stopped, so that
// a wait measured on that clock runs out without real waiting.
class ClockDriver {
public:
    explicit ClockDriver(VirtualClock& clock)
        : thread_([this, &clock] {
            while (!stop_.load()) {
                clock.advance_ms(250);
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        })
    {
    }
    ~ClockDriver()
    {
        stop_.store(true);
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class ExecTest : public TransportTest {
protected:
    void SetUp() override
    {
        TransportTest::SetUp();
        AspiPeerConfig config;
        config.device_count = 1;
        config.devices[0] = peer_device(0, 1, 2, 5, "VALMURI TEST DRIVE      1.00");
        configure(config);
        load_peer();
        device.select(DeviceAddress{0, 1, 2});
        device.OnDebugMessage = [this](TSCSIDevice*, const std::string& message, int type) {
            lines.push_back(std::to_string(type) + " " + message);
        };
    }

    void set_mode(int mode)
    {
        AspiPeerConfig config;
        config.mode = mode;
        config.device_count = 1;
        config.devices[0] = peer_device(0, 1, 2, 5, "VALMURI TEST DRIVE      1.00");
        configure(config);
    }

    static SRB_ExecSCSICmd read_block(std::uint8_t* data, std::uint32_t length)
    {
        SRB_ExecSCSICmd srb{};
        srb.SRB_Flags = SRB_EVENT_NOTIFY | SRB_DIR_IN;
        srb.SRB_CDBLen = 10;
        srb.CDBByte[0] = 0x28;
        srb.CDBByte[1] = 0x1F;
        set_srb_buffer(srb, data, length);
        return srb;
    }

    AddressedDevice device;
    std::vector<std::string> lines;
};

TEST_F(ExecTest, FillsAddressSenseLengthLunAndPostEvent)
{
    alignas(8) std::uint8_t data[16];
    SRB_ExecSCSICmd srb = read_block(data, sizeof data);
    EXPECT_EQ(device.ExecSCSICommand(srb, 10000), 1);
    EXPECT_EQ(srb.SRB_Status, SS_COMP);

    const SRB_ExecSCSICmd& sent = peer_record().last;
    EXPECT_EQ(sent.SRB_Cmd, SC_EXEC_SCSI_CMD);
    EXPECT_EQ(sent.SRB_HaId, 0);
    EXPECT_EQ(sent.SRB_Target, 1);
    EXPECT_EQ(sent.SRB_Lun, 2);
    EXPECT_EQ(sent.SRB_SenseLen, 24);
    EXPECT_EQ(sent.CDBByte[1], 0x5F) << "LUN in bits 5-7, bits 0-4 kept";
    EXPECT_NE(std::uint32_t{sent.SRB_PostProc}, 0u);
    EXPECT_EQ(srb_buffer(sent), data) << "full address at 28";
    EXPECT_EQ(std::uint32_t{sent.SRB_BufPointer}, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(data)));
    EXPECT_EQ(peer_record().last_request_address, reinterpret_cast<std::uintptr_t>(&srb));
    EXPECT_TRUE(lines.empty());
}

TEST_F(ExecTest, WithoutNotifyFlagThereIsNoEvent)
{
    SRB_ExecSCSICmd srb{};
    srb.SRB_CDBLen = 6;
    device.ExecSCSICommand(srb, 10000);
    EXPECT_EQ(std::uint32_t{peer_record().last.SRB_PostProc}, 0u);
    EXPECT_EQ(srb.SRB_Status, SS_COMP);
}

TEST_F(ExecTest, RequestCompletedLaterThroughTheEvent)
{
    set_mode(ASPI_PEER_LATER);
    std::uint8_t data[128] = {};
    SRB_ExecSCSICmd srb = read_block(data, sizeof data);
    srb.CDBByte[0] = 0x12;
    device.ExecSCSICommand(srb, 10000);
    EXPECT_EQ(srb.SRB_Status, SS_COMP);
    EXPECT_EQ(data[0], 5);
    EXPECT_EQ(peer_record().aborts, 0);
    EXPECT_EQ(device.LastErrorText(), "");
}

TEST_F(ExecTest, RequestThatNeverCompletesTimesOutAfterAtLeastTenSeconds)
{
    set_mode(ASPI_PEER_NEVER);
    VirtualClock clock;
    device.set_clock(clock);
    std::uint8_t data[8];
    SRB_ExecSCSICmd srb = read_block(data, sizeof data);
    {
        ClockDriver driver(clock);
        device.ExecSCSICommand(srb, 5000);
    }
    EXPECT_GE(clock.now_ms(), 10000u) << "a 5000 ms time-out still waits 10000 ms";
    EXPECT_EQ(srb.SRB_Status, SS_ERR);
    EXPECT_EQ(srb.SRB_HaStat, HASTAT_TIMEOUT);
    EXPECT_EQ(device.LastErrorText(), "COMMAND TIMEOUT");

    const AspiPeerRecord record = peer_record();
    EXPECT_EQ(record.aborts, 1);
    EXPECT_EQ(record.aborted_address, reinterpret_cast<std::uintptr_t>(&srb));
    EXPECT_EQ(record.abort_adapter, 0);
    EXPECT_TRUE(record.event_open_at_abort) << "a late completion must not hit a recycled descriptor";
}

TEST_F(ExecTest, LongerTimeOutsWaitTheirLength)
{
    set_mode(ASPI_PEER_NEVER);
    VirtualClock clock;
    device.set_clock(clock);
    SRB_ExecSCSICmd srb{};
    srb.SRB_Flags = SRB_EVENT_NOTIFY;
    srb.SRB_CDBLen = 10;
    {
        ClockDriver driver(clock);
        device.ExecSCSICommand(srb, 60000);
    }
    EXPECT_GE(clock.now_ms(), 60000u);
    EXPECT_EQ(srb.SRB_HaStat, HASTAT_TIMEOUT);
}

TEST_F(ExecTest, PendingWithoutEventIsATimeOutAtOnce)
{
    set_mode(ASPI_PEER_NEVER);
    VirtualClock clock;
    device.set_clock(clock);
    SRB_ExecSCSICmd srb{};
    srb.SRB_CDBLen = 6;
    device.ExecSCSICommand(srb, 10000);
    EXPECT_EQ(clock.now_ms(), 0u);
    EXPECT_EQ(srb.SRB_Status, SS_ERR);
    EXPECT_EQ(srb.SRB_HaStat, HASTAT_TIMEOUT);
    EXPECT_EQ(peer_record().aborts, 1);
}

TEST_F(ExecTest, NoSelectedDeviceOrNoLayerSendsNothing)
{
    device.select(DeviceAddress{});
    SRB_ExecSCSICmd srb{};
    srb.SRB_Flags = SRB_EVENT_NOTIFY;
    EXPECT_EQ(device.ExecSCSICommand(srb, 10000), SS_NOT_SENT);
    EXPECT_EQ(srb.SRB_Status, SS_NOT_SENT);
    EXPECT_EQ(srb.SRB_Cmd, 0);
    EXPECT_EQ(std::uint32_t{srb.SRB_PostProc}, 0u);
    EXPECT_EQ(peer_record().executes, 0);

    device.select(DeviceAddress{0, 1, 2});
    release_aspi_layers();
    SRB_ExecSCSICmd unsent{};
    EXPECT_EQ(device.ExecSCSICommand(unsent, 10000), SS_NOT_SENT);
    EXPECT_EQ(unsent.SRB_Status, SS_NOT_SENT);
    EXPECT_FALSE(device.LastErrorText().empty());
}

TEST_F(ExecTest, UnalignedBufferIsReported)
{
    alignas(8) std::uint8_t data[16];
    SRB_ExecSCSICmd srb = read_block(data + 1, 8);
    device.ExecSCSICommand(srb, 10000);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "0 aaaa" + std::to_string(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(data + 1))));
}

TEST_F(ExecTest, ErrorStateIsClearedByTheNextCommand)
{
    SRB_ExecSCSICmd bad{};
    bad.SRB_CDBLen = 6;
    device.select(DeviceAddress{0, 3, 0}); // the peer has no device there
    device.ExecSCSICommand(bad, 10000);
    EXPECT_EQ(bad.SRB_Status, SS_NO_DEVICE);
    EXPECT_FALSE(device.LastErrorText().empty());

    device.select(DeviceAddress{0, 1, 2});
    SRB_ExecSCSICmd good{};
    good.SRB_CDBLen = 6;
    device.ExecSCSICommand(good, 10000);
    EXPECT_EQ(device.LastErrorText(), "");
    EXPECT_FALSE(device.TargetBusy());
}

TEST_F(ExecTest, DeviceLockIsScoped)
{
    auto try_from_another_thread = [this] {
        bool taken = false;
        std::thread([&] {
            taken = device.device_mutex().try_lock();
            if (taken)
                device.device_mutex().unlock();
        }).join();
        return taken;
    };
    {
        auto lock = device.Lock();
        EXPECT_TRUE(lock.owns_lock());
        EXPECT_FALSE(try_from_another_thread());
    }
    EXPECT_TRUE(try_from_another_thread());
}

} // namespace
} // namespace valmuri::test
