// A burner destroyed while its burn runs, as when the main window closes
// during a burn: the burn is aborted and the destructor returns, even though
// the main loop that would deliver OnWriteDone no longer runs.

#include "engine/burner.h"

#include "engine/device_disc_queries.h"
#include "recorder_library.h"
#include "temp_folder.h"
#include "tests/platform/teardown_within.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

namespace valmuri {
namespace {

namespace fs = std::filesystem;

class BurnerTeardown : public ::testing::Test {
protected:
    // A burner on the recorder library whose main loop is never pumped.
    std::unique_ptr<TVordaCDBurner> start_burn(const std::string& extra, std::size_t file_size)
    {
        const fs::path ini = folder_.path() / "vrecorder.ini";
        std::ofstream(ini) << "[r]\nmedium=cd-r\nimage=" << (folder_.path() / "disc.iso").string() << "\n" << extra;
        ::setenv("VALMURI_VRECORDER", ini.c_str(), 1);
        auto burner = std::make_unique<TVordaCDBurner>();
        burner->set_dispatcher(idle_loop_);
        EXPECT_TRUE(burner->InitializeASPI(false, test::kRecorderLibrary));
        if (burner->Devices().empty())
            return nullptr;
        burner->SelectDevice(burner->Devices()[0]);
        burner->OnWriteDone = [this](TVordaCDBurner*, const std::string&) { delivered_ = true; };
        EXPECT_EQ(burner->InsertFile("\\", folder_.file("song.mp3", file_size), false), 1);
        burner->BuildLayout(false);
        EXPECT_TRUE(burner->BurnCD());
        return burner;
    }

    void TearDown() override
    {
        TVordaCDBurner().UnloadASPI();
        test::release_recorders(folder_.path());
    }

    test::TempFolder folder_;
    QueueDispatcher idle_loop_;
    std::atomic<bool> delivered_{false};
};

TEST_F(BurnerTeardown, DestroyedMidBurnReturnsWithinTwoSeconds)
{
    // 8 MB/s past the 4 MiB buffer: the burn would take seconds more, and
    // the flush after the abort drains the buffer in half a second.
    std::unique_ptr<TVordaCDBurner> burner = start_burn("speed=8000\n", 40'000'000);
    ASSERT_TRUE(burner);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (burner->BytesWritten() < 5'000'000 && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(burner->BurnInProgress());

    EXPECT_TRUE(test::teardown_within(std::chrono::seconds(2), idle_loop_, [&] { burner.reset(); }));
    EXPECT_FALSE(delivered_) << "nobody is left to tell";
}

TEST_F(BurnerTeardown, DestroyedWhileTheEndWaitsForTheMainLoopReturns)
{
    std::unique_ptr<TVordaCDBurner> burner = start_burn("", 100'000);
    ASSERT_TRUE(burner);
    // The writer has finished and now waits to hand OnWriteDone over.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (burner->BurnInProgress() && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_FALSE(burner->BurnInProgress());

    EXPECT_TRUE(test::teardown_within(std::chrono::seconds(2), idle_loop_, [&] { burner.reset(); }));
}

} // namespace
} // namespace valmuri
