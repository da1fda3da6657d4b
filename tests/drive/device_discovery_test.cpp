// The device scan, SelectDevice, identification, drive paths and quirks.

#include "drive/scsi_device.h"
#include "tests/drive/transport_fixture.h"

namespace valmuri::test {
namespace {

class DiscoveryTest : public TransportTest {
protected:
    void SetUp() override
    {
        TransportTest::SetUp();
        device.OnDebugMessage = [this](TSCSIDevice*, const std::string& message, int type) {
            lines.push_back(std::to_string(type) + " " + message);
        };
        device.OnDeviceChange = [this](TSCSIDevice* sender) {
            EXPECT_EQ(sender, &device);
            ++changes;
        };
    }

    // The peer with the given devices, loaded and scanned.
    void scan(std::initializer_list<AspiPeerDevice> devices, std::uint8_t adapters = 1)
    {
        AspiPeerConfig config;
        config.adapter_count = adapters;
        for (const auto& d : devices)
            config.devices[config.device_count++] = d;
        configure(config);
        ASSERT_TRUE(device.InitializeASPI(false, ASPI_TEST_PEER_PATH));
    }

    TSCSIDevice device;
    std::vector<std::string> lines;
    int changes = 0;
};

const char* const kDrive = "VALMURI TEST DRIVE      1.00";

TEST_F(DiscoveryTest, ListsOpticalAndWormDevicesOnly)
{
    scan({peer_device(0, 1, 0, 5, kDrive), peer_device(0, 2, 3, 4, "OLDWORM WRITE ONCE      0.10"),
        peer_device(0, 4, 0, 0, "DISK    NOT LISTED      1.00")});
    EXPECT_EQ(device.Devices(), (std::vector<std::string>{"0:1:0,?: VALMURI TEST DRIVE      1.00",
                                    "0:2:3,?: OLDWORM WRITE ONCE      0.10 (not supported)"}));
    EXPECT_TRUE(device.SelectedAddress().is_none()) << "the scan restores the selection";
    EXPECT_EQ(device.LastErrorText(), "");
}

TEST_F(DiscoveryTest, LayerReportingNoAdaptersIsScannedAsSeven)
{
    scan({peer_device(6, 7, 7, 5, kDrive)}, 0);
    EXPECT_EQ(device.HostAdapterCount(), 7);
    ASSERT_EQ(device.Devices().size(), 1u);
    EXPECT_EQ(device.Devices()[0].substr(0, 6), "6:7:7,");
    EXPECT_EQ(peer_record().highest_adapter_inquired, 6);
}

TEST_F(DiscoveryTest, FailedAdapterInquiryLeavesTheListEmpty)
{
    AspiPeerConfig config;
    config.fail_adapter_inquiry = true;
    config.device_count = 1;
    config.devices[0] = peer_device(0, 1, 0, 5, kDrive);
    configure(config);
    ASSERT_TRUE(device.InitializeASPI(false, ASPI_TEST_PEER_PATH));
    EXPECT_EQ(device.HostAdapterCount(), -1);
    EXPECT_TRUE(device.Devices().empty());
    EXPECT_EQ(peer_record().executes, 0);
}

TEST_F(DiscoveryTest, DebugLinesNameTheLayerAndEachAdapter)
{
    scan({});
    device.SetDoDebug(true);
    lines.clear();
    device.BuildDeviceList();
    EXPECT_EQ(lines, (std::vector<std::string>{"1 >>> WNASPI32.DLL", "1 >>> TEST PEER ASPI   (PEER ADAPTER)"}));
}

TEST_F(DiscoveryTest, EmulatedDrivesAreListedWithTheirDevicePath)
{
    system.add("/dev/sr0", 3, 0);
    system.add("/dev/sr1", 3, 1).has_address = false;
    ASSERT_TRUE(device.InitializeASPI(true, ""));
    EXPECT_EQ(device.Devices(), (std::vector<std::string>{"0:0:0,/dev/sr0 VALMURI TEST DRIVE      1.00",
                                    "1:0:0,/dev/sr1 VALMURI TEST DRIVE      1.00"}));

    device.SelectDevice(device.Devices()[1]);
    EXPECT_EQ(device.GetDriveLetter(), "/dev/sr1");
}

TEST_F(DiscoveryTest, LibraryDrivePathFromTheKernelAddressOrTheDriveNumber)
{
    scan({peer_device(0, 1, 0, 5, kDrive), peer_device(2, 0, 0, 5, kDrive)});
    system.add("/dev/sr0", 1, 1);
    system.add("/dev/sr1", 0, 1).address.lun = 5; // the LUN is not compared
    device.SelectDevice("0:1:0,?: x");
    EXPECT_EQ(device.GetDriveLetter(), "/dev/sr1");
    EXPECT_EQ(system.open_count(), 0);

    AspiPeerConfig config;
    config.device_count = 1;
    config.devices[0] = peer_device(2, 0, 0, 5, kDrive);
    config.disk_info_status = SS_COMP;
    config.disk_info_drive = 0;
    configure(config);
    device.SelectDevice("2:0:0,?: x");
    EXPECT_EQ(device.GetDriveLetter(), "/dev/sr0");
    config.disk_info_drive = 4; // no /dev/sr4 on this system
    configure(config);
    EXPECT_EQ(device.GetDriveLetter(), "");
}

TEST_F(DiscoveryTest, SelectIdentifiesTheDevice)
{
    scan({peer_device(0, 1, 0, 5, kDrive), peer_device(0, 2, 0, 4, "OLDWORM WRITE ONCE      0.10")});
    device.SelectDevice("0:1:0,E: VALMURI TEST DRIVE      1.00");
    EXPECT_EQ(device.SelectedAddress(), (DeviceAddress{0, 1, 0}));
    EXPECT_EQ(device.DeviceId(), "0:1:0,E: VALMURI TEST DRIVE      1.00");
    EXPECT_EQ(device.DeviceType(), 5);
    EXPECT_EQ(device.DeviceDescription(), "VALMURI  TEST DRIVE       1.00");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(lines.empty());

    device.SelectDevice(device.Devices()[1]);
    EXPECT_EQ(device.DeviceType(), 4) << "a WORM device can still be selected";
    EXPECT_EQ(changes, 2);
}

TEST_F(DiscoveryTest, RejectedEntriesClearTheSelection)
{
    scan({peer_device(0, 1, 0, 5, kDrive), peer_device(1, 0, 0, 5, kDrive)});
    const std::string invalid = "0 INVALID DEVICE ID / NOT A CD OR DVD DRIVE";
    auto expect_cleared = [this] {
        EXPECT_TRUE(device.SelectedAddress().is_none());
        EXPECT_EQ(device.DeviceId(), "");
        EXPECT_EQ(device.DeviceDescription(), "");
        EXPECT_EQ(device.DeviceType(), 127);
    };

    for (const std::string id : {"10:0:0,?: TWO DIGITS", "0:1:X,?: x", "x:1:0,?: x"}) {
        device.SelectDevice("0:1:0,?: x");
        lines.clear();
        device.SelectDevice(id);
        EXPECT_EQ(lines, std::vector<std::string>{invalid}) << id;
        expect_cleared();
    }

    device.SelectDevice("0:1:0,?: x");
    lines.clear();
    device.SelectDevice("1:0:");
    EXPECT_EQ(lines, std::vector<std::string>{invalid});
    expect_cleared();

    device.SelectDevice("0:1:0,?: x");
    lines.clear();
    device.SelectDevice("");
    EXPECT_TRUE(lines.empty());
    expect_cleared();

    // An address where nothing answers: not the type of the drive before.
    device.SelectDevice("0:1:0,?: x");
    lines.clear();
    device.SelectDevice("0:6:0,?: GONE");
    EXPECT_EQ(lines, std::vector<std::string>{invalid});
    expect_cleared();

    SRB_ExecSCSICmd srb{};
    EXPECT_EQ(device.ExecSCSICommand(srb, 10000), SS_NOT_SENT);
}

struct QuirkCase {
    const char* identification;
    bool underrun;
    bool link_size;
    bool immediate_close;
    bool slow_drive;
    bool slow_host;
};

TEST_F(DiscoveryTest, ModelQuirks)
{
    const QuirkCase cases[] = {
        {"VALMURI TEST DRIVE      1.00", false, false, true, false, false},
        {"YAMAHA  CD-W512EB       1.0A", true, false, true, false, false},
        {"RICOH   CRX175E         1.00", false, true, true, false, false},
        {"SONY    CD-RW  CRX800E  1.00", false, true, true, false, false},
        {"SOMEONE CDRW321040X     1.00", false, false, false, false, false},
        {"PIONEER DVD-RW  DVR-104 1.00", false, false, true, true, true},
        {"PIONEER DVD-RW  DVR-105 1.00", false, false, true, false, true},
        {"MATSHITAUJDA750         1.00", false, false, true, false, true},
        {"TDK     VELOCD          1.00", false, false, true, false, true},
        {"KX      ZZZ             1.00", false, false, true, false, false}, // short vendor is blanked
    };
    for (const QuirkCase& c : cases) {
        scan({peer_device(0, 1, 0, 5, c.identification)});
        device.SelectDevice("0:1:0,?: x");
        ASSERT_EQ(device.DeviceType(), 5) << c.identification;
        EXPECT_EQ(device.ForcedUnderrunProtection(), c.underrun) << c.identification;
        EXPECT_EQ(device.LinkSizeQuirk(), c.link_size) << c.identification;
        EXPECT_EQ(TSCSIDevice::ImmediateClose(), c.immediate_close) << c.identification;
        EXPECT_EQ(device.SlowReadyDrive(), c.slow_drive) << c.identification;
        EXPECT_EQ(TSCSIDevice::SlowReadyHost(), c.slow_host) << c.identification;
        release_aspi_layers();
    }
}

TEST_F(DiscoveryTest, ControlCharactersInIdentificationBecomeSpaces)
{
    AspiPeerDevice drive = peer_device(0, 1, 0, 5, "AB");
    drive.identification[2] = '\0';
    std::memcpy(drive.identification + 8, "KQ\tDRIVE", 8);
    scan({drive});
    device.SelectDevice("0:1:0,?: x");
    EXPECT_EQ(device.DeviceDescription().substr(0, 18), "AB       KQ DRIVE ");
    EXPECT_FALSE(TSCSIDevice::SlowReadyHost()) << "vendor shorter than 3 is blanked";
}

TEST_F(DiscoveryTest, NewDeviceOnALoadedTransportScansAtOnce)
{
    scan({peer_device(0, 1, 0, 5, kDrive)});
    TSCSIDevice second;
    EXPECT_EQ(second.Devices().size(), 1u);
    EXPECT_TRUE(second.SelectedAddress().is_none());
}

} // namespace
} // namespace valmuri::test
