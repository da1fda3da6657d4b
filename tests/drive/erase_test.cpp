// Erasing through a simulated recorder: how each disc kind is started, how
// the thread waits and reports, and what a refused start does.

#include "drive/erase_plan.h"
#include "tests/drive/sim_drive.h"
#include "tests/platform/teardown_within.h"

#include <gtest/gtest.h>

#include <thread>

namespace valmuri::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class EraseTest : public SimDriveTest {
protected:
    void SetUp() override
    {
        SimDriveTest::SetUp();
        sim.current_pages[0x2A] = SimDrive::capabilities_page(0x3B, 0x37, 0x80, 7056, 7056, 706);
        device.set_dispatcher(dispatcher);
        device.OnEraseDone = [this](TSCSIDevice* sender, bool with_error) {
            EXPECT_EQ(sender, &device);
            EXPECT_FALSE(device.Erasing());
            events.push_back(with_error);
            event_thread = std::this_thread::get_id();
        };
        // Progress as the user would see it whenever the thread polls.
        sim.on_command = [this](std::uint8_t opcode) {
            if (opcode == 0x51 && device.Erasing())
                progress.push_back(device.EraseProgress());
        };
    }

    // Runs the main loop until the erase has been reported.
    void wait_for_event()
    {
        for (int i = 0; i < 2000 && events.empty(); ++i)
            dispatcher.pump_wait(10);
        ASSERT_EQ(events.size(), 1u);
    }

    QueueDispatcher dispatcher;
    std::vector<bool> events;
    std::vector<int> progress;
    std::thread::id event_thread;
};

TEST_F(EraseTest, QuickEraseOfCdRw)
{
    sim.blank_polls = 30;
    ASSERT_TRUE(device.EraseDisc(kBlankQuick));
    EXPECT_TRUE(device.Erasing());
    wait_for_event();
    EXPECT_FALSE(events[0]);
    EXPECT_EQ(event_thread, std::this_thread::get_id());
    EXPECT_FALSE(device.Erasing());
    EXPECT_EQ(device.EraseProgress(), 0);

    EXPECT_EQ(sim.sent(0xA1), (std::vector<Bytes>{{0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "1 >>> STARTING ERASE PROCESS ON CD-RW AT 4X(706 KB/s)"),
        lines.end());
    // 5 units of 150 per poll of the disc information while the drive blanks.
    ASSERT_GE(progress.size(), 29u);
    EXPECT_EQ(progress[0], 0);
    EXPECT_EQ(progress[1], 3);
    EXPECT_EQ(progress[28], 93); // 140 of 150
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));

    // The drive is left at its slowest speed, unlocked, with the tray in.
    EXPECT_EQ(sim.sent(0xBB).back(), (Bytes{0xBB, 0, 0x1B, 0x90, 0, 2, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sim.sent(0x1E).back()[4], 0);
    EXPECT_EQ(sim.sent(0x1B).back()[4], 3);
}

TEST_F(EraseTest, FullEraseOfCdRwHasTheLongEstimate)
{
    sim.blank_polls = 30;
    ASSERT_TRUE(device.EraseDisc(kBlankFull));
    wait_for_event();
    EXPECT_FALSE(events[0]);
    EXPECT_EQ(sim.sent(0xA1)[0][1], 0x10);
    ASSERT_GE(progress.size(), 29u);
    EXPECT_EQ(progress[28], 3); // 140 of 4500
}

TEST_F(EraseTest, RefusedBlankIsReportedAtOnce)
{
    sim.profile = 0x09; // CD-R
    sim.blank_refused = true;
    EXPECT_FALSE(device.EraseDisc(kBlankQuick));
    ASSERT_EQ(events.size(), 1u); // on the calling thread, before EraseDisc returns
    EXPECT_TRUE(events[0]);
    EXPECT_FALSE(device.Erasing());
    EXPECT_EQ(device.LastErrorText(), "ILLEGAL REQUEST (ILLEGAL MODE FOR THIS TRACK)");
}

TEST_F(EraseTest, DriveThatNeverGetsReadyIsNotErased)
{
    sim.forever_not_ready = true;
    EXPECT_FALSE(device.EraseDisc(kBlankQuick));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(sim.count(0xA1), 0);
    EXPECT_FALSE(device.Erasing());
}

TEST_F(EraseTest, DvdPlusRwIsFormattedThenOverwritten)
{
    sim.profile = 0x1A;
    ASSERT_TRUE(device.EraseDisc(kBlankQuick));
    wait_for_event();
    EXPECT_FALSE(events[0]);

    EXPECT_EQ(sim.sent(0x04), (std::vector<Bytes>{{0x04, 0x11, 0, 0, 0, 0}}));
    EXPECT_EQ(sim.payload_of_last(0x04), (Bytes{0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98, 0x00, 0x00, 0x00}));
    const auto writes = sim.sent(0x2A);
    ASSERT_EQ(writes.size(), 65u);
    EXPECT_EQ(writes.back(), (Bytes{0x2A, 0, 0, 0, 0x08, 0x00, 0, 0, 32, 0}));
    EXPECT_EQ(sim.sent(0x5B), (std::vector<Bytes>{{0x5B, 0, 3, 0, 0, 0, 0, 0, 0, 0}}));
    EXPECT_EQ(sim.count(0xA1), 0);
}

TEST_F(EraseTest, DvdPlusRwThatStaysBusyStillEnds)
{
    sim.profile = 0x1A;
    sim.blank_polls = 1000000; // the drive never finishes formatting
    ASSERT_TRUE(device.EraseDisc(kBlankQuick));
    wait_for_event();
    EXPECT_FALSE(events[0]);
    EXPECT_GT(sim.count(0x51), 300); // it waited out the estimate of 600 at 2 per poll
    EXPECT_LT(sim.count(0x51), 400);
}

TEST_F(EraseTest, ZeroBlocksThatCannotBeWrittenAreAnError)
{
    sim.profile = 0x1A; // DVD+RW: the first failed write ends the writes
    sim.rejected = {0x2A};
    ASSERT_TRUE(device.EraseDisc(kBlankQuick));
    wait_for_event();
    EXPECT_TRUE(events[0]);
    EXPECT_EQ(sim.count(0x2A), 1);
    EXPECT_EQ(sim.count(0x5B), 0);

    events.clear();
    sim.cdbs.clear();
    sim.payloads.clear();
    sim.profile = 0x12; // DVD-RAM quick: every block is tried
    ASSERT_TRUE(device.EraseDisc(kBlankQuick));
    wait_for_event();
    EXPECT_TRUE(events[0]);
    EXPECT_EQ(sim.count(0x2A), 11 + 65);
}

TEST_F(EraseTest, DriveLostWhileBlankingEndsTheWaitWithAnError)
{
    sim.blank_polls = 1000000; // would keep the thread polling up to the estimate
    sim.on_command = [this](std::uint8_t opcode) {
        if (opcode == 0xA1)
            sim.lost = {0x00, 0x03, 0x51};
    };
    ASSERT_TRUE(device.EraseDisc(kBlankFull));
    wait_for_event();
    EXPECT_TRUE(events[0]);
    // One poll tells; nothing is polled again after it.
    EXPECT_LE(sim.count(0x00) + sim.count(0x51) + sim.count(0x03), 8);
    EXPECT_EQ(device.LastErrorText().empty(), false);
}

TEST_F(EraseTest, DvdRamIsFormattedOrItsStartOverwritten)
{
    sim.profile = 0x12;
    ASSERT_TRUE(device.EraseDisc(kBlankFull));
    wait_for_event();
    EXPECT_EQ(sim.payload_of_last(0x04), (Bytes{0x00, 0x82, 0x00, 0x08, 0x00, 0x22, 0x21, 0x20, 0x00, 0x00, 0x08, 0x00}));
    EXPECT_EQ(sim.count(0x2A), 0);

    events.clear();
    sim.cdbs.clear();
    sim.payloads.clear();
    ASSERT_TRUE(device.EraseDisc(kBlankQuick));
    wait_for_event();
    EXPECT_EQ(sim.count(0x04), 0);
    EXPECT_EQ(sim.count(0x2A), 11 + 65); // before the thread, then in it
}

TEST_F(EraseTest, EmulationIsEnumeratedAgainAfterAnErase)
{
    auto probes = [this] {
        int n = 0;
        for (const auto& request : system.sent)
            n += request.cdb[0] == 0x12;
        return n;
    };
    const int before = probes();
    ASSERT_TRUE(device.EraseDisc(kBlankQuick));
    wait_for_event();
    EXPECT_EQ(probes(), before + 1);
    EXPECT_TRUE(device.TestUnitReady(5000)); // the selection still reaches the drive
}

TEST_F(EraseTest, OneEraseAtATime)
{
    sim.blank_polls = 30;
    ASSERT_TRUE(device.EraseDisc(kBlankQuick));
    // Until its event has been delivered the first erase owns the drive.
    EXPECT_FALSE(device.EraseDisc(kBlankQuick));
    wait_for_event();
    ASSERT_TRUE(device.EraseDisc(kBlankQuick));
    for (int i = 0; i < 2000 && events.size() < 2; ++i)
        dispatcher.pump_wait(10);
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(EraseTest, DeviceDestroyedWhileItsEraseRunsReturns)
{
    QueueDispatcher idle_loop; // never pumped, as after the main window closed
    for (const bool finished : {false, true}) {
        auto other = std::make_unique<TSCSIDevice>();
        other->set_clock(clock);
        other->set_dispatcher(idle_loop);
        other->SelectDevice("0:0:0,/dev/sr0 VALMURI TEST DRIVE      1.00");
        bool reported = false;
        other->OnEraseDone = [&](TSCSIDevice*, bool) { reported = true; };
        sim.blank_polls = finished ? 3 : 1000000;
        sim.not_ready = 0; // what the abandoned erase left
        ASSERT_TRUE(other->EraseDisc(kBlankQuick));
        // Finished: the thread waits to hand OnEraseDone to the main loop.
        for (int i = 0; finished && other->Erasing() && i < 2000; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_TRUE(teardown_within(std::chrono::seconds(2), idle_loop, [&] { other.reset(); }))
            << (finished ? "finished erase" : "running erase");
        EXPECT_FALSE(reported);
    }
}

} // namespace
} // namespace valmuri::test
