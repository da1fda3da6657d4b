// valmuri-cli burn run as a user runs it, against the virtual recorder; the
// discs it writes are read back with isoinfo, xorriso, bsdtar and pycdlib.

#include "shell_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using valmuri::test::CliRun;
using valmuri::test::shell;
using valmuri::test::sq;

std::string contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A child process whose stdout and stderr are read while it runs.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
    {
        int pipe_ends[2];
        if (::pipe2(pipe_ends, O_CLOEXEC) != 0)
            return;
        // Everything the child needs is made before fork.
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        std::vector<char*> env;
        for (const auto& e : environment)
            env.push_back(const_cast<char*>(e.c_str()));
        env.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(pipe_ends[1], STDOUT_FILENO);
            ::dup2(pipe_ends[1], STDERR_FILENO);
            ::execve(args[0], args.data(), env.data());
            ::_exit(127);
        }
        ::close(pipe_ends[1]);
        output_fd_ = pipe_ends[0];
        ::fcntl(output_fd_, F_SETFL, O_NONBLOCK);
    }
    ~Child()
    {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_fd_ >= 0)
            ::close(output_fd_);
    }

    bool started() const { return pid_ > 0 && output_fd_ >= 0; }
    void signal(int number) { ::kill(pid_, number); }
    const std::string& output()
    {
        std::array<char, 4096> chunk;
        for (ssize_t n; (n = ::read(output_fd_, chunk.data(), chunk.size())) > 0;)
            output_.append(chunk.data(), static_cast<std::size_t>(n));
        return output_;
    }
    // Waits at most timeout for the child to end; its wait status, or
    // nothing when it is still running.
    std::optional<int> wait(std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                output();
                return status;
            }
            if (std::chrono::steady_clock::now() > deadline)
                return std::nullopt;
            output();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

private:
    pid_t pid_ = -1;
    int output_fd_ = -1;
    bool exited_ = false;
    std::string output_;
};

class BurnVerbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path()
            / ("valmuri-burn-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "src");
        sources_ = {source("Faixa 01 - Abertura.mp3", 1234567), source("b.mp3", 1), source("Três.mp3", 70000),
                    source("empty.mp3", 0)};
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path source(const std::string& name, std::size_t size)
    {
        const fs::path path = folder_ / "src" / name;
        std::mt19937 random(static_cast<unsigned>(size + name.size()));
        std::string bytes(size, '\0');
        for (auto& c : bytes)
            c = static_cast<char>(random());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    void recorder(const std::string& medium) { std::ofstream(folder_ / "vrecorder.ini") << "[r]\nmedium=" << medium << "\nimage=disc.iso\n"; }

    CliRun cli(const std::string& verb, const std::string& arguments)
    {
        const std::string binary = VALMURI_BINARY_DIR;
        return shell("cd " + sq(folder_) + " && VALMURI_VRECORDER=" + sq(folder_ / "vrecorder.ini")
                     + " XDG_DATA_HOME=" + sq(folder_) + " " + sq(binary + "/valmuri-cli") + " " + verb
                     + (verb == "burn" ? " --library " + sq(binary + "/libwnaspi32.so") : std::string()) + " "
                     + arguments);
    }

    std::string files(const std::vector<fs::path>& paths) const
    {
        std::string out;
        for (const auto& p : paths)
            out += " " + sq(p);
        return out;
    }

    // Every source comes back byte for byte through each reader.
    void expect_readable(const fs::path& image, const std::vector<fs::path>& expected)
    {
        const fs::path out = folder_ / "out";
        fs::remove_all(out);
        fs::create_directories(out / "bsdtar");
        fs::create_directories(out / "xorriso");
        ASSERT_EQ(shell("bsdtar -xf " + sq(image) + " -C " + sq(out / "bsdtar")).status, 0);
        for (const auto& source : expected) {
            const std::string name = source.filename().string();
            EXPECT_EQ(shell("cmp " + sq(source) + " " + sq(out / "bsdtar" / name)).status, 0) << "bsdtar " << name;
            const CliRun x = shell("xorriso -osirrox on -indev " + sq(image) + " -extract " + sq("/" + name)
                                   + " " + sq(out / "xorriso" / name));
            EXPECT_EQ(shell("cmp " + sq(source) + " " + sq(out / "xorriso" / name)).status, 0)
                << "xorriso " << name << x.output;
            // isoinfo matches Joliet names in its own character set: ASCII names only.
            if (std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; })) {
                const CliRun iso = shell("isoinfo -J -i " + sq(image) + " -x " + sq("/" + name + ";1") + " | cmp - "
                                         + sq(source));
                EXPECT_EQ(iso.status, 0) << "isoinfo " << name << iso.output;
            }
            const CliRun py = shell("/usr/bin/python3 -c \"import pycdlib,io,sys\np=pycdlib.PyCdlib();p.open(sys.argv[1])\n"
                                    "b=io.BytesIO();p.get_file_from_iso_fp(b,joliet_path='/'+sys.argv[2]+';1')\n"
                                    "sys.exit(0 if b.getvalue()==open(sys.argv[3],'rb').read() else 1)\" "
                                    + sq(image) + " " + sq(name) + " " + sq(source));
            EXPECT_EQ(py.status, 0) << "pycdlib " << name << py.output;
        }
    }

    fs::path folder_;
    std::vector<fs::path> sources_;
};

TEST_F(BurnVerbTest, CdRImageEqualsTheImageFileExceptItsDates)
{
    recorder("cd-r");
    const CliRun burn = cli("burn", files(sources_));
    ASSERT_EQ(burn.status, 0) << burn.output;
    EXPECT_NE(burn.output.find("Disc written:"), std::string::npos) << burn.output;
    expect_readable(folder_ / "disc.iso", sources_);

    const CliRun image = cli("image", "-o " + sq(folder_ / "file.iso") + files(sources_));
    ASSERT_EQ(image.status, 0) << image.output;
    ASSERT_EQ(fs::file_size(folder_ / "file.iso"), fs::file_size(folder_ / "disc.iso"));
    // Only dates may differ: those of the two volume descriptors and the
    // recording dates of the "." and ".." records of the root extents.
    const CliRun diff = shell("cmp -l " + sq(folder_ / "file.iso") + " " + sq(folder_ / "disc.iso")
                              + " | awk '{ o = $1 - 1; s = int(o / 2048); b = o % 2048;"
                                " if (!((s == 16 || s == 17) && b >= 813 && b < 847)"
                                " && !(s > 17 && s < 150 && ((b >= 18 && b < 25) || (b >= 52 && b < 59)))) print o }'");
    EXPECT_EQ(diff.output, "");
}

TEST_F(BurnVerbTest, EveryWritableMediumGivesAReadableDisc)
{
    for (const std::string medium : {"cd-rw", "dvd-r", "dvd+r", "dvd+rw", "dvd-ram", "dvd-rw", "dvd-rw-restricted"}) {
        SCOPED_TRACE(medium);
        fs::remove(folder_ / "disc.iso");
        fs::remove(folder_ / "disc.iso.state");
        if (medium == "dvd-rw-restricted")
            std::ofstream(folder_ / "vrecorder.ini") << "[r]\nmedium=dvd-rw\ndvd_rw_mode=restricted\nimage=disc.iso\n";
        else
            recorder(medium);
        const CliRun burn = cli("burn", "--speed max" + files(sources_));
        ASSERT_EQ(burn.status, 0) << burn.output;
        expect_readable(folder_ / "disc.iso", sources_);
    }
}

TEST_F(BurnVerbTest, SecondSessionKeepsTheFirstSessionsFiles)
{
    recorder("cd-r");
    ASSERT_EQ(cli("burn", files({sources_[0], sources_[1]})).status, 0);
    const fs::path later = source("later.mp3", 300000);
    const CliRun second = cli("burn", "--append" + files({later}));
    ASSERT_EQ(second.status, 0) << second.output;
    const auto at = second.output.find("from sector ");
    ASSERT_NE(at, std::string::npos) << second.output;
    const std::string start = std::to_string(std::stoul(second.output.substr(at + 12)));
    EXPECT_NE(start, "0");

    // Read through the last session, as a drive would mount the disc.
    const fs::path image = folder_ / "disc.iso";
    const fs::path out = folder_ / "last";
    shell("xorriso -osirrox on -indev " + sq(image) + " -load sbsector " + start + " -extract / " + sq(out));
    for (const auto& source : {sources_[0], sources_[1], later}) {
        const std::string name = source.filename().string();
        EXPECT_EQ(shell("cmp " + sq(source) + " " + sq(out / name)).status, 0) << "xorriso " << name;
        EXPECT_EQ(shell("isoinfo -T " + start + " -J -i " + sq(image) + " -x " + sq("/" + name + ";1") + " | cmp - "
                        + sq(source)).status,
                  0)
            << "isoinfo " << name;
    }
    // The old files' extents still lie in the first session, the new one's
    // in the second.
    const CliRun listing = shell("isoinfo -T " + start + " -J -l -i " + sq(image));
    EXPECT_NE(listing.output.find("[    150 00]  " + sources_[0].filename().string()), std::string::npos)
        << listing.output;
    const auto later_line = listing.output.find("later.mp3");
    ASSERT_NE(later_line, std::string::npos);
    const auto bracket = listing.output.rfind('[', later_line);
    EXPECT_GT(std::stoul(listing.output.substr(bracket + 1)), std::stoul(start));
}

TEST_F(BurnVerbTest, DvdPlusRwGrowsItsVolumeInPlace)
{
    recorder("dvd+rw");
    ASSERT_EQ(cli("burn", files({sources_[0], sources_[1]})).status, 0);
    const fs::path later = source("later.mp3", 300000);
    const CliRun second = cli("burn", "--append" + files({later}));
    ASSERT_EQ(second.status, 0) << second.output;
    // The new descriptors were copied to the start of the disc: readers that
    // know nothing of sessions see every file.
    expect_readable(folder_ / "disc.iso", {sources_[0], sources_[1], later});
}

TEST_F(BurnVerbTest, DvdPlusRwSessionThatFailsAtItsStartKeepsTheEarlierFiles)
{
    recorder("dvd+rw");
    ASSERT_EQ(cli("burn", files({sources_[0], sources_[1]})).status, 0);
    // The new session starts where the volume ends; its very first write
    // fails, so none of the new directories reach the disc.
    std::ifstream disc(folder_ / "disc.iso", std::ios::binary);
    std::array<unsigned char, 4> size{};
    disc.seekg(16 * 2048 + 80);
    disc.read(reinterpret_cast<char*>(size.data()), 4);
    disc.close();
    const std::uint32_t start = size[0] | size[1] << 8 | size[2] << 16 | static_cast<std::uint32_t>(size[3]) << 24;
    ASSERT_GT(start, 0u);
    std::ofstream(folder_ / "vrecorder.ini", std::ios::app) << "medium_error_sector=" << start << "\n";

    const CliRun second = cli("burn", "--append" + files({source("later.mp3", 300000)}));
    EXPECT_NE(second.status, 0);
    EXPECT_NE(second.output.find("WRITER ERROR [MEDIUM ERROR"), std::string::npos) << second.output;
    // The descriptors at the start of the disc still describe the first volume.
    expect_readable(folder_ / "disc.iso", {sources_[0], sources_[1]});
}

TEST_F(BurnVerbTest, HostAdapterErrorEndsTheBurnAtOnce)
{
    // The drive drops off the bus at the tenth WRITE(10): no sense data, as
    // from a busy drive, but reported by the host adapter.
    for (const std::string medium : {"cd-r", "dvd-r"}) {
        std::ofstream(folder_ / "vrecorder.ini")
            << "[r]\nmedium=" << medium << "\nimage=disc.iso\nhost_error=2A\nhost_error_after=10\n";
        const std::string binary = VALMURI_BINARY_DIR;
        Child burn({binary + "/valmuri-cli", "burn", "--library", binary + "/libwnaspi32.so", sources_[0].string()},
                   {"VALMURI_VRECORDER=" + (folder_ / "vrecorder.ini").string(), "XDG_DATA_HOME=" + folder_.string(),
                    "HOME=" + folder_.string(), "PATH=/usr/bin:/bin"});
        ASSERT_TRUE(burn.started());
        const auto start = std::chrono::steady_clock::now();
        const std::optional<int> status = burn.wait(std::chrono::seconds(20));
        ASSERT_TRUE(status) << medium << " still retrying after 20 s: " << burn.output();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << medium;
        ASSERT_TRUE(WIFEXITED(*status)) << burn.output();
        EXPECT_NE(WEXITSTATUS(*status), 0) << medium;
        EXPECT_NE(burn.output().find("WRITER ERROR [SELECTION TIMEOUT]"), std::string::npos) << burn.output();
        fs::remove(folder_ / "disc.iso");
        fs::remove(folder_ / "disc.iso.state");
    }
}

TEST_F(BurnVerbTest, LogBeginsWithProgramDriveAndMediumAndTheTraceHasEveryCommand)
{
    recorder("cd-r");
    const fs::path trace = folder_ / "trace.log";
    const std::string binary = VALMURI_BINARY_DIR;
    const CliRun burn = shell("cd " + sq(folder_) + " && VALMURI_VRECORDER=" + sq(folder_ / "vrecorder.ini")
                              + " XDG_DATA_HOME=" + sq(folder_) + " " + sq(binary + "/valmuri-cli") + " --trace "
                              + sq(trace) + " burn --library " + sq(binary + "/libwnaspi32.so") + files({sources_[1]}));
    ASSERT_EQ(burn.status, 0) << burn.output;
    const std::size_t program = burn.output.find("Valmuri MP3 1.0a (engine 1.23)\nDrive: ");
    ASSERT_NE(program, std::string::npos) << burn.output;
    const std::size_t medium = burn.output.find("\nMedium: CD-R, ", program);
    ASSERT_NE(medium, std::string::npos) << burn.output;
    EXPECT_NE(burn.output.find(" sectors free (", medium), std::string::npos) << burn.output;

    const std::string lines = contents(trace);
    // 300 sectors of post-gap image in 27-sector writes, each with its
    // transfer length, status and time.
    std::size_t writes = 0;
    for (std::size_t at = 0; (at = lines.find(" CDB 2A ", at)) != std::string::npos; ++at)
        ++writes;
    EXPECT_GE(writes, 12u) << lines;
    EXPECT_NE(lines.find("length 55296 | status 01 host 00 target 00 | "), std::string::npos) << lines;
    EXPECT_NE(lines.find(" CDB 5B "), std::string::npos) << "the session close is traced";

    // The environment variable does the same for any program.
    fs::remove(trace);
    const CliRun drives = shell("VALMURI_VRECORDER=" + sq(folder_ / "vrecorder.ini") + " VALMURI_TRACE=" + sq(trace)
                                + " " + sq(binary + "/valmuri-cli") + " drives --library "
                                + sq(binary + "/libwnaspi32.so"));
    EXPECT_NE(contents(trace).find(" CDB 12 "), std::string::npos) << drives.output << contents(trace);
}

TEST_F(BurnVerbTest, TestWriteLeavesTheDiscBlank)
{
    recorder("cd-r");
    const CliRun burn = cli("burn", "--test-write" + files(sources_));
    EXPECT_EQ(burn.status, 0) << burn.output;
    EXPECT_NE(burn.output.find("Test write done"), std::string::npos) << burn.output;
}

TEST_F(BurnVerbTest, MissingSourceFailsWithItsName)
{
    recorder("cd-r");
    const CliRun burn = cli("burn", files({sources_[0]}) + " " + sq(folder_ / "src" / "gone.mp3"));
    EXPECT_NE(burn.status, 0);
    EXPECT_NE(burn.output.find("gone.mp3"), std::string::npos) << burn.output;
}

TEST_F(BurnVerbTest, EjectOpensTheTrayAfterTheBurnOnlyWhenAsked)
{
    std::ofstream(folder_ / "vrecorder.ini") << "[r]\nmedium=cd-r\nimage=disc.iso\ntray_log=tray.log\n";
    const CliRun kept = cli("burn", files({sources_[1]}));
    ASSERT_EQ(kept.status, 0) << kept.output;
    EXPECT_EQ(contents(folder_ / "tray.log"), "") << "without --eject the tray stays closed";

    const CliRun ejected = cli("burn", "--append --eject" + files({sources_[2]}));
    ASSERT_EQ(ejected.status, 0) << ejected.output;
    EXPECT_NE(ejected.output.find("Disc written:"), std::string::npos) << ejected.output;
    // Opened once, after the session was closed, and nothing asked for the
    // disc again (that would have closed the tray).
    EXPECT_EQ(contents(folder_ / "tray.log"), "open\n");
    EXPECT_NE(contents(folder_ / "disc.iso.state").find("closed_sessions=2"), std::string::npos);
}

TEST_F(BurnVerbTest, CtrlCAbortsTheBurnAndLeavesTheSessionOpen)
{
    // Past the recorder's 4 MiB buffer the writes go at 8 MB/s: about three
    // seconds for the rest of the file, long enough to be interrupted.
    std::ofstream(folder_ / "vrecorder.ini") << "[r]\nmedium=cd-r\nimage=disc.iso\nspeed=8000\n";
    const fs::path big = source("big.mp3", 28'000'000);
    const std::string binary = VALMURI_BINARY_DIR;
    Child burn({binary + "/valmuri-cli", "burn", "--library", binary + "/libwnaspi32.so", big.string()},
               {"VALMURI_VRECORDER=" + (folder_ / "vrecorder.ini").string(), "XDG_DATA_HOME=" + folder_.string(),
                "HOME=" + folder_.string(), "PATH=/usr/bin:/bin"});
    ASSERT_TRUE(burn.started());

    // Interrupt once the data is reaching the disc.
    const fs::path image = folder_ / "disc.iso";
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::error_code error;
    while (fs::file_size(image, error) < 1'000'000 || error) {
        ASSERT_FALSE(burn.wait(std::chrono::milliseconds(5))) << "ended before writing: " << burn.output();
        ASSERT_LT(std::chrono::steady_clock::now(), give_up) << "nothing written: " << burn.output();
    }
    const auto interrupted = std::chrono::steady_clock::now();
    burn.signal(SIGINT);
    const std::optional<int> status = burn.wait(std::chrono::seconds(8));
    ASSERT_TRUE(status) << "still running 8 s after Ctrl+C: " << burn.output();
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::seconds(4));

    ASSERT_TRUE(WIFEXITED(*status)) << "ended by a signal, not by the abort: " << burn.output();
    EXPECT_NE(WEXITSTATUS(*status), 0);
    EXPECT_NE(burn.output().find("valmuri-cli: OPERATION ABORTED BY USER"), std::string::npos) << burn.output();
    EXPECT_EQ(burn.output().find("Disc written"), std::string::npos) << burn.output();
    EXPECT_LT(fs::file_size(image), fs::file_size(big));
    // The track is not closed and the disc stays blank for readers: no
    // session was closed.
    const std::string state = contents(folder_ / "disc.iso.state");
    EXPECT_NE(state.find("closed_sessions=0"), std::string::npos) << state;
}

} // namespace
