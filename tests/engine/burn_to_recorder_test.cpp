// BurnCD from start to OnWriteDone against the virtual recorder library,
// loaded as the engine loads any ASPI manager.

#include "engine/burner.h"

#include "engine/device_disc_queries.h"
#include "recorder_library.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace valmuri {
namespace {

namespace fs = std::filesystem;


class BurnToRecorder : public ::testing::Test {
protected:
    void attach(const std::string& extra)
    {
        const fs::path ini = folder_.path() / "vrecorder.ini";
        std::ofstream(ini) << "[r]\nmedium=cd-r\nimage=" << (folder_.path() / "disc.iso").string() << "\n" << extra;
        ::setenv("VALMURI_VRECORDER", ini.c_str(), 1);
        burner_.set_dispatcher(dispatcher_);
        ASSERT_TRUE(burner_.InitializeASPI(false, test::kRecorderLibrary));
        ASSERT_FALSE(burner_.Devices().empty());
        burner_.SelectDevice(burner_.Devices()[0]);
        burner_.SetDiscQueries(&queries_);
        burner_.OnWriteDone = [this](TVordaCDBurner*, const std::string& error) {
            done_on_main_ = std::this_thread::get_id() == main_;
            result_ = error;
            done_ = true;
        };
        burner_.OnFinalizingTrack = [this](TVordaCDBurner*) {
            finalizing_off_main_ = std::this_thread::get_id() != main_;
            ++finalizing_;
        };
    }

    void TearDown() override
    {
        burner_.UnloadASPI();
        test::release_recorders(folder_.path());
    }

    // Lays out the files and burns them; the main loop runs until OnWriteDone.
    bool burn(const std::vector<std::string>& files, const std::function<void()>& each_tick = {})
    {
        for (const auto& file : files)
            EXPECT_EQ(burner_.InsertFile("\\", file, false), 1);
        burner_.BuildLayout(false);
        if (!burner_.BurnCD())
            return false;
        while (!done_) {
            dispatcher_.pump_wait(20);
            if (each_tick)
                each_tick();
        }
        return true;
    }

    std::vector<std::uint8_t> disc_bytes(std::int64_t offset, std::size_t size) const
    {
        std::ifstream in(folder_.path() / "disc.iso", std::ios::binary);
        std::vector<std::uint8_t> bytes(size);
        in.seekg(offset);
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
        return bytes;
    }

    test::TempFolder folder_;
    QueueDispatcher dispatcher_;
    TVordaCDBurner burner_;
    DeviceDiscQueries queries_{burner_};
    std::thread::id main_ = std::this_thread::get_id();
    bool done_ = false;
    bool done_on_main_ = false;
    std::atomic<bool> finalizing_off_main_{false};
    std::atomic<int> finalizing_{0};
    std::string result_;
};

TEST_F(BurnToRecorder, BurnsTheFilesAndReportsSuccessOnTheMainThread)
{
    attach("");
    const std::string song = folder_.file("song.mp3", 200000);
    const std::string tiny = folder_.file("tiny.mp3", 1);
    ASSERT_TRUE(burn({song, tiny}));
    EXPECT_EQ(result_, "");
    EXPECT_TRUE(done_on_main_);
    EXPECT_EQ(finalizing_, 1);
    EXPECT_TRUE(finalizing_off_main_);
    EXPECT_EQ(burner_.BytesWritten(), burner_.ImageSize() * 2048);
    EXPECT_FALSE(burner_.BurnInProgress());
    EXPECT_EQ(burner_.CacheFillPercent(), 0);
    EXPECT_EQ(burner_.DeviceBufferSize(), 0u);

    std::ifstream source(song, std::ios::binary);
    std::vector<std::uint8_t> expected((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    EXPECT_EQ(disc_bytes(std::int64_t{burner_.Layout().FirstFileLocation} * 2048, expected.size()), expected);
}

TEST_F(BurnToRecorder, AbortLeavesTheSessionOpen)
{
    // Past the drive's 4 MiB buffer the writes go at 2 MB/s: slow enough to
    // abort in the middle.
    attach("speed=2000\n");
    const std::string song = folder_.file("song.mp3", 9000000);
    ASSERT_TRUE(burn({song}, [this] {
        if (burner_.BytesWritten() > 5000000)
            burner_.Abort();
    }));
    EXPECT_EQ(result_, "OPERATION ABORTED BY USER");
    EXPECT_EQ(finalizing_, 1);
    EXPECT_LT(burner_.BytesWritten(), burner_.ImageSize() * 2048);
    std::ifstream state(folder_.path() / "disc.iso.state");
    const std::string text((std::istreambuf_iterator<char>(state)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("closed_sessions=0"), std::string::npos) << text;
}

TEST_F(BurnToRecorder, MediumErrorEndsWithTheDrivesText)
{
    attach("medium_error_sector=160\n");
    ASSERT_TRUE(burn({folder_.file("song.mp3", 100000)}));
    EXPECT_EQ(result_, "WRITER ERROR [MEDIUM ERROR (WRITE ERROR)]");
    EXPECT_EQ(finalizing_, 1);
}

TEST_F(BurnToRecorder, BusyDriveIsWaitedOut)
{
    attach("busy_commands=2\nfault_command=2A\n");
    ASSERT_TRUE(burn({folder_.file("song.mp3", 100000)}));
    EXPECT_EQ(result_, "");
}

} // namespace
} // namespace valmuri
