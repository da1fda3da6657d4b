// valmuri-cli erase run as a user runs it, against the virtual recorder.

#include "shell_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using valmuri::test::CliRun;
using valmuri::test::shell;
using valmuri::test::sq;

class EraseVerbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path()
            / ("valmuri-erase-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    void TearDown() override { fs::remove_all(folder_); }

    void recorders(const std::string& ini)
    {
        std::ofstream(folder_ / "vrecorder.ini") << ini;
    }

    CliRun run(const std::string& arguments)
    {
        const std::string binary = std::string(VALMURI_BINARY_DIR);
        return shell("cd " + sq(folder_) + " && VALMURI_VRECORDER=" + sq(folder_ / "vrecorder.ini")
                     + " XDG_DATA_HOME=" + sq(folder_) + " " + sq(binary + "/valmuri-cli") + " erase --library "
                     + sq(binary + "/libwnaspi32.so") + " " + arguments);
    }

    fs::path folder_;
};

TEST_F(EraseVerbTest, ErasesACdRw)
{
    recorders("[rw]\nmedium=cd-rw\nimage=rw.iso\n");
    std::ofstream(folder_ / "rw.iso") << std::string(4096, 'x'); // something on the disc
    const CliRun quick = run("");
    EXPECT_EQ(quick.status, 0) << quick.output;
    EXPECT_NE(quick.output.find("Disc erased."), std::string::npos) << quick.output;
    EXPECT_FALSE(fs::exists(folder_ / "rw.iso"));

    const CliRun full = run("--full --eject --drive 0");
    EXPECT_EQ(full.status, 0) << full.output;
}

TEST_F(EraseVerbTest, FormatsADvdPlusRw)
{
    recorders("[dvd]\nmedium=dvd+rw\nimage=dvd.iso\n");
    const CliRun r = run("");
    EXPECT_EQ(r.status, 0) << r.output;
}

TEST_F(EraseVerbTest, FailuresEndWithOneLineAndNonZeroStatus)
{
    recorders("[r]\nmedium=cd-r\n[rw]\nmedium=cd-rw\nreject_blank=1\n[empty]\nmedium=none\n");

    const CliRun cd_r = run("--drive 0");
    EXPECT_NE(cd_r.status, 0);
    EXPECT_EQ(cd_r.output, "valmuri-cli: the disc in the drive (CD-R) cannot be erased\n");

    const CliRun refused = run("--drive 1");
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.output.find("valmuri-cli: the drive refused to erase the disc (MEDIUM ERROR (ERASE FAILURE))"),
        std::string::npos)
        << refused.output;

    const CliRun empty = run("--drive 2");
    EXPECT_NE(empty.status, 0);
    EXPECT_EQ(empty.output.rfind("valmuri-cli: no disc in the drive", 0), 0u) << empty.output;

    const CliRun unknown = run("--drive 7");
    EXPECT_NE(unknown.status, 0);
    EXPECT_EQ(std::count(unknown.output.begin(), unknown.output.end(), '\n'), 1) << unknown.output;

    const CliRun bad_option = run("--fast");
    EXPECT_NE(bad_option.status, 0);
    EXPECT_EQ(bad_option.output, "valmuri-cli: unknown option --fast\n");
}

} // namespace
