// The command line's --drive option: parsing, naming a drive by number or
// path, and the default recorder.

#include "cli/drive_option.h"
#include "tests/drive/transport_fixture.h"

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace valmuri::test {
namespace {

using cli::DriveOptions;

TEST(DriveOption, OptionsAreTakenOutOfTheArguments)
{
    std::vector<std::string> args{"a.vlm", "--drive", "1", "--library=/x/lib.so", "--debug", "b"};
    DriveOptions options;
    std::string error;
    ASSERT_TRUE(cli::take_drive_options(args, options, error));
    EXPECT_EQ(args, (std::vector<std::string>{"a.vlm", "b"}));
    EXPECT_EQ(options.drive, "1");
    EXPECT_EQ(options.library, "/x/lib.so");
    EXPECT_TRUE(options.debug);

    std::vector<std::string> equals{"--drive=/dev/sr0"};
    ASSERT_TRUE(cli::take_drive_options(equals, options, error));
    EXPECT_EQ(options.drive, "/dev/sr0");

    for (const char* incomplete : {"--drive", "--drive=", "--library"}) {
        std::vector<std::string> missing{incomplete};
        error.clear();
        EXPECT_FALSE(cli::take_drive_options(missing, options, error)) << incomplete;
        EXPECT_NE(error.find("needs a value"), std::string::npos) << incomplete;
    }
}

TEST(DriveOption, DriveByNumberOrPath)
{
    const auto folder = std::filesystem::temp_directory_path() / ("valmuri-drive-option-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string device_file = (folder / "sr1").string();
    std::ofstream(device_file).put('x');
    std::filesystem::create_symlink(device_file, folder / "cdrom");

    const std::vector<std::string> devices{"0:0:0,?: VALMURI VIRTUAL RECORDER 1.00",
        "1:0:0," + device_file + " VALMURI TEST DRIVE      1.00"};
    EXPECT_EQ(cli::entry_drive_path(devices[0]), "?:");
    EXPECT_EQ(cli::entry_drive_path(devices[1]), device_file);

    EXPECT_EQ(cli::find_drive(devices, "0"), 0);
    EXPECT_EQ(cli::find_drive(devices, "1"), 1);
    EXPECT_EQ(cli::find_drive(devices, "2"), -1);
    EXPECT_EQ(cli::find_drive(devices, "99999999999"), -1);
    EXPECT_EQ(cli::find_drive(devices, device_file), 1);
    EXPECT_EQ(cli::find_drive(devices, (folder / "cdrom").string()), 1) << "a link to the device";
    EXPECT_EQ(cli::find_drive(devices, "?:"), -1);
    EXPECT_EQ(cli::find_drive(devices, "/dev/none"), -1);
    EXPECT_EQ(cli::find_drive(devices, ""), -1);
    std::filesystem::remove_all(folder);
}

class DriveSelectionTest : public TransportTest {
protected:
    void SetUp() override
    {
        TransportTest::SetUp();
        AspiPeerConfig config;
        config.device_count = 4;
        config.devices[0] = peer_device(0, 0, 0, 4, "OLDWORM WRITE ONCE      0.10", 0x01);
        config.devices[1] = peer_device(0, 1, 0, 5, "VALMURI READER ONLY     1.00");
        config.devices[2] = peer_device(0, 2, 0, 5, "VALMURI FIRST RECORDER  1.00", 0x01);
        config.devices[3] = peer_device(0, 3, 0, 5, "VALMURI SECOND RECORDER 1.00", 0x02);
        configure(config);
        options.library = ASPI_TEST_PEER_PATH;
    }

    TSCSIDevice device;
    DriveOptions options;
    std::string error;
};

TEST_F(DriveSelectionTest, DefaultIsTheFirstRecorder)
{
    ASSERT_TRUE(cli::select_drive(device, options, error)) << error;
    EXPECT_EQ(device.SelectedAddress(), (DeviceAddress{0, 2, 0}));
}

TEST_F(DriveSelectionTest, NamedDrive)
{
    options.drive = "3";
    ASSERT_TRUE(cli::select_drive(device, options, error)) << error;
    EXPECT_EQ(device.SelectedAddress(), (DeviceAddress{0, 3, 0}));
    options.drive = "1";
    ASSERT_TRUE(cli::select_drive(device, options, error)) << "a named drive need not write";
    EXPECT_EQ(device.SelectedAddress(), (DeviceAddress{0, 1, 0}));
}

TEST_F(DriveSelectionTest, UnknownDriveIsAOneLineError)
{
    options.drive = "7";
    EXPECT_FALSE(cli::select_drive(device, options, error));
    EXPECT_EQ(error, "unknown drive '7' (see valmuri-cli drives)");
}

TEST_F(DriveSelectionTest, NoRecorderAmongTheDrives)
{
    AspiPeerConfig config;
    config.device_count = 1;
    config.devices[0] = peer_device(0, 1, 0, 5, "VALMURI READER ONLY     1.00");
    configure(config);
    EXPECT_FALSE(cli::select_drive(device, options, error));
    EXPECT_EQ(error, "no recorder found");
    EXPECT_TRUE(device.SelectedAddress().is_none());
}

TEST_F(DriveSelectionTest, NoLayerNoDrive)
{
    options.library = "/nonexistent/libwnaspi32.so";
    EXPECT_FALSE(cli::select_drive(device, options, error));
    EXPECT_NE(error.find("no drive found"), std::string::npos);
}

} // namespace
} // namespace valmuri::test
