// The waits of a burn on DVD media against the virtual recorder library: the
// DVD-RW format before the burn, the DVD+RW format on the first write and the
// DVD-R/DVD-RW closing after the flush. The recorder answers NOT READY for a
// set number of commands after the command that starts the long operation;
// the burner's clock is virtual, so hours of polling take milliseconds.

#include "engine/burner.h"

#include "engine/device_disc_queries.h"
#include "recorder_library.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

namespace valmuri {
namespace {

namespace fs = std::filesystem;


// A virtual clock that remembers who slept how long.
class RecordingClock final : public Clock {
public:
    std::uint64_t now_ms() const override { return now_.load(); }
    void sleep_ms(std::uint64_t ms) override
    {
        now_.fetch_add(ms);
        {
            std::scoped_lock lock(mutex_);
            sleeps_.push_back({std::this_thread::get_id(), ms});
        }
        if (OnSleep)
            OnSleep(ms);
        std::this_thread::yield();
    }

    // Sleeps of this length; on the given thread, or on any other thread.
    int count(std::uint64_t ms, std::thread::id thread, bool on_thread = true) const
    {
        std::scoped_lock lock(mutex_);
        int n = 0;
        for (const auto& sleep : sleeps_)
            n += sleep.ms == ms && (sleep.thread == thread) == on_thread;
        return n;
    }
    // Sleeps of this length on threads other than the given one, from the
    // mark on.
    int count_since(std::size_t mark, std::uint64_t ms, std::thread::id other_than) const
    {
        std::scoped_lock lock(mutex_);
        int n = 0;
        for (std::size_t i = mark; i < sleeps_.size(); ++i)
            n += sleeps_[i].ms == ms && sleeps_[i].thread != other_than;
        return n;
    }
    std::size_t mark() const
    {
        std::scoped_lock lock(mutex_);
        return sleeps_.size();
    }

    // Called on the sleeping thread; set before the burn starts.
    std::function<void(std::uint64_t)> OnSleep;

private:
    struct Sleep {
        std::thread::id thread;
        std::uint64_t ms;
    };
    std::atomic<std::uint64_t> now_{0};
    mutable std::mutex mutex_;
    std::vector<Sleep> sleeps_;
};

class BurnDriveWaits : public ::testing::Test {
protected:
    void attach(const std::string& recorder)
    {
        const fs::path ini = folder_.path() / "vrecorder.ini";
        std::ofstream(ini) << "[r]\nimage=" << image().string() << "\n" << recorder;
        ::setenv("VALMURI_VRECORDER", ini.c_str(), 1);
        burner_.set_clock(clock_);
        burner_.set_dispatcher(dispatcher_);
        ASSERT_TRUE(burner_.InitializeASPI(false, test::kRecorderLibrary));
        ASSERT_FALSE(burner_.Devices().empty());
        burner_.SelectDevice(burner_.Devices()[0]);
        burner_.SetDiscQueries(&queries_);
        burner_.OnWriteDone = [this](TVordaCDBurner*, const std::string& error) {
            result_ = error;
            done_ = true;
        };
        burner_.OnFinalizingTrack = [this](TVordaCDBurner*) { finalizing_mark_ = clock_.mark(); };
    }

    void TearDown() override
    {
        burner_.UnloadASPI();
        test::release_recorders(folder_.path());
    }

    // Burns one file; the main loop runs until OnWriteDone.
    void burn()
    {
        song_ = folder_.file("song.mp3", 150000);
        ASSERT_EQ(burner_.InsertFile("\\", song_, false), 1);
        burner_.BuildLayout(false);
        ASSERT_TRUE(burner_.BurnCD());
        while (!done_)
            dispatcher_.pump_wait(20);
    }

    fs::path image() const { return folder_.path() / "disc.iso"; }

    std::string disc_bytes(std::int64_t sector, std::size_t size) const
    {
        std::ifstream in(image(), std::ios::binary);
        std::string bytes(size, '\0');
        in.seekg(sector * 2048);
        in.read(bytes.data(), static_cast<std::streamsize>(size));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
        return bytes;
    }

    // The song is where the layout put it, and the volume descriptors are at
    // the start of the disc.
    void expect_song_on_disc() const
    {
        std::ifstream source(song_, std::ios::binary);
        const std::string expected((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
        EXPECT_EQ(disc_bytes(burner_.Layout().FirstFileLocation, expected.size()), expected);
        EXPECT_EQ(disc_bytes(16, 6), std::string("\x01" "CD001"));
    }

    std::string state() const
    {
        std::ifstream in(image().string() + ".state");
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    test::TempFolder folder_;
    RecordingClock clock_;
    QueueDispatcher dispatcher_;
    TVordaCDBurner burner_;
    DeviceDiscQueries queries_{burner_};
    const std::thread::id main_ = std::this_thread::get_id();
    std::atomic<std::size_t> finalizing_mark_{0};
    bool done_ = false;
    std::string result_ = "(no result)";
    std::string song_;
};

// FORMAT UNIT is 04, SYNCHRONIZE CACHE 35.
std::string not_ready_after(const char* opcode, int commands)
{
    return std::string("not_ready_after=") + opcode + "\nnot_ready_commands=" + std::to_string(commands) + "\n";
}

TEST_F(BurnDriveWaits, DvdRwFormatIsWaitedForBeforeTheLayout)
{
    attach("medium=dvd-rw\ndvd_rw_mode=restricted\n" + not_ready_after("04", 3));
    ASSERT_NO_FATAL_FAILURE(burn());
    EXPECT_EQ(result_, "");
    // Polled every 5 s on the calling thread: three answers of NOT READY,
    // then the disc information.
    EXPECT_EQ(clock_.count(5000, main_), 4);
    expect_song_on_disc();
}

TEST_F(BurnDriveWaits, SequentialDvdRwFormatIsWaitedForToo)
{
    attach("medium=dvd-rw\n" + not_ready_after("04", 2));
    ASSERT_NO_FATAL_FAILURE(burn());
    EXPECT_EQ(result_, "");
    EXPECT_EQ(clock_.count(5000, main_), 3);
    expect_song_on_disc();
}

TEST_F(BurnDriveWaits, DvdRwFormatWaitEndsAfterTwoHours)
{
    attach("medium=dvd-rw\ndvd_rw_mode=restricted\n" + not_ready_after("04", 1440));
    ASSERT_NO_FATAL_FAILURE(burn());
    EXPECT_EQ(clock_.count(5000, main_), 1440);
    // The drive is ready by then here, and the burn goes on.
    EXPECT_EQ(result_, "");
}

TEST_F(BurnDriveWaits, UnformattedDvdPlusRwIsFormattedByTheWriterAndPolledEveryTwoSeconds)
{
    attach("medium=dvd+rw\n" + not_ready_after("04", 3));
    ASSERT_NO_FATAL_FAILURE(burn());
    EXPECT_EQ(result_, "");
    EXPECT_EQ(clock_.count(2000, main_, false), 4);
    expect_song_on_disc();
    EXPECT_NE(state().find("formatted=1"), std::string::npos) << state();
}

TEST_F(BurnDriveWaits, DvdPlusRwFormatPollIsBounded)
{
    // Two hours of polls, then the copy is tried again and the burn goes on.
    attach("medium=dvd+rw\n" + not_ready_after("04", 3600));
    ASSERT_NO_FATAL_FAILURE(burn());
    EXPECT_EQ(clock_.count(2000, main_, false), 3600);
    EXPECT_EQ(result_, "");
    expect_song_on_disc();
}

TEST_F(BurnDriveWaits, AbortDuringTheDvdPlusRwFormatPollWritesNothing)
{
    // The drive would be ready at the next look, but the user has gone.
    attach("medium=dvd+rw\n" + not_ready_after("04", 3));
    std::atomic<int> polls{0};
    clock_.OnSleep = [&](std::uint64_t ms) {
        if (ms == 2000 && ++polls == 3)
            burner_.Abort();
    };
    ASSERT_NO_FATAL_FAILURE(burn());
    EXPECT_EQ(result_, "OPERATION ABORTED BY USER");
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(disc_bytes(16, 6), "") << "no volume descriptors for a burn that never wrote its files";
}

TEST_F(BurnDriveWaits, DvdRClosingIsWaitedForEverySecond)
{
    attach("medium=dvd-r\n" + not_ready_after("35", 5));
    ASSERT_NO_FATAL_FAILURE(burn());
    EXPECT_EQ(result_, "");
    EXPECT_EQ(clock_.count_since(finalizing_mark_, 1000, main_), 5);
    expect_song_on_disc();
    EXPECT_NE(state().find("closed_sessions=1"), std::string::npos) << state();
}

TEST_F(BurnDriveWaits, DvdRwClosingIsWaitedFor)
{
    attach("medium=dvd-rw\n" + not_ready_after("35", 2));
    ASSERT_NO_FATAL_FAILURE(burn());
    EXPECT_EQ(result_, "");
    EXPECT_EQ(clock_.count_since(finalizing_mark_, 1000, main_), 2);
    expect_song_on_disc();
}

TEST_F(BurnDriveWaits, DvdRThatNeverFinishesClosingFailsAfterHalfAnHour)
{
    attach("medium=dvd-r\n" + not_ready_after("35", 100000));
    ASSERT_NO_FATAL_FAILURE(burn());
    EXPECT_EQ(clock_.count_since(finalizing_mark_, 1000, main_), 1800);
    // Not reported as a written disc: the drive never said it was done.
    EXPECT_EQ(result_, "WRITER ERROR [NOT READY (LOGICAL UNIT IS IN PROCESS OF BECOMING READY)]");
    EXPECT_NE(state().find("closed_sessions=0"), std::string::npos) << state();
}

} // namespace
} // namespace valmuri
