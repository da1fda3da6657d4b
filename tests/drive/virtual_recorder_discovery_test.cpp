// The virtual recorder found through the library layer, as a user without a
// drive meets it: in the program folder, without settings in the program.

#include "drive/scsi_device.h"
#include "tests/drive/transport_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace valmuri::test {
namespace {

namespace fs = std::filesystem;

class VirtualRecorderTest : public TransportTest {
protected:
    void SetUp() override
    {
        TransportTest::SetUp();
        library_ = fs::path(VALMURI_BINARY_DIR) / "libwnaspi32.so";
        if (!fs::exists(library_))
            GTEST_SKIP() << "no virtual recorder in " << VALMURI_BINARY_DIR;
        folder_ = fs::temp_directory_path() / ("valmuri-vrecorder-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        std::ofstream(folder_ / "vrecorder.ini") << "[cd]\nmedium=cd-r\nimage=cd.iso\n\n"
                                                    "[dvd]\nmedium=dvd+rw\nimage=dvd.iso\n";
        ::setenv("VALMURI_VRECORDER", (folder_ / "vrecorder.ini").c_str(), 1);
        set_program_folder(VALMURI_BINARY_DIR);
    }

    void TearDown() override
    {
        TransportTest::TearDown();
        ::unsetenv("VALMURI_VRECORDER");
        if (!folder_.empty())
            fs::remove_all(folder_);
    }

    fs::path library_;
    fs::path folder_;
};

TEST_F(VirtualRecorderTest, FoundInTheProgramFolderWhenNoDriveIsPresent)
{
    TSCSIDevice device;
    ASSERT_TRUE(device.InitializeASPI(true, ""));
    EXPECT_EQ(aspi_layer_name(), "WNASPI32.DLL");
    ASSERT_EQ(device.Devices().size(), 2u);
    EXPECT_EQ(device.Devices()[0].substr(0, 9), "0:0:0,?: ");
    EXPECT_EQ(device.Devices()[1].substr(0, 9), "0:1:0,?: ");
    EXPECT_NE(device.Devices()[0].find("VIRTUAL RECORDER"), std::string::npos) << device.Devices()[0];

    device.SelectDevice(device.Devices()[0]);
    ASSERT_FALSE(device.SelectedAddress().is_none());
    EXPECT_EQ(device.DeviceType(), 5);
    EXPECT_NE(device.DeviceCapabilities() & capWriteCDR, 0u);
    EXPECT_EQ(device.GetDriveLetter(), "");
    EXPECT_EQ(device.GetDiscType(), dtCDR);

    device.SelectDevice(device.Devices()[1]);
    EXPECT_EQ(device.GetDiscType(), dtDVDPlusRW);
}

TEST_F(VirtualRecorderTest, ListedByTheCommandLine)
{
    if (!linux_pass_through_system().optical_drives().empty())
        GTEST_SKIP() << "a real drive comes before the virtual recorder";
    const fs::path cli = fs::path(VALMURI_BINARY_DIR) / "valmuri-cli";
    if (!fs::exists(cli))
        GTEST_SKIP() << "valmuri-cli is not built";
    FILE* pipe = ::popen((cli.string() + " drives 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe))
        output += chunk;
    EXPECT_EQ(::pclose(pipe), 0) << output;
    EXPECT_NE(output.find("Layer: WNASPI32.DLL"), std::string::npos) << output;
    EXPECT_NE(output.find("0  0:0:0,?: "), std::string::npos) << output;
    EXPECT_NE(output.find("medium: CD-R, empty"), std::string::npos) << output;
    EXPECT_NE(output.find("medium: DVD+RW"), std::string::npos) << output;
}

} // namespace
} // namespace valmuri::test
