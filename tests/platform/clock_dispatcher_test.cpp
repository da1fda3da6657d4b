#include "platform/clock.h"
#include "platform/dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace valmuri;

TEST(VirtualClock, SleepAdvancesTimeAtOnce)
{
    VirtualClock clock;
    auto start = clock.now_ms();
    for (int i = 0; i < 1000; ++i)
        clock.sleep_ms(600);
    EXPECT_EQ(clock.now_ms() - start, 600000u);
    EXPECT_EQ(clock.slept_ms(), 600000u);
    clock.advance_ms(5);
    EXPECT_EQ(clock.now_ms() - start, 600005u);
    EXPECT_EQ(clock.slept_ms(), 600000u);
}

TEST(QueueDispatcher, WorkerWaitsUntilMainThreadRanTheTask)
{
    QueueDispatcher dispatcher;
    std::atomic<bool> ran{false};
    std::atomic<bool> returned{false};
    std::thread::id ran_on;
    std::thread worker([&] {
        dispatcher.run_on_main([&] {
            ran_on = std::this_thread::get_id();
            ran = true;
        });
        EXPECT_TRUE(ran.load());
        returned = true;
    });
    while (!returned) {
        dispatcher.pump_wait(50);
    }
    worker.join();
    EXPECT_EQ(ran_on, std::this_thread::get_id());
}

TEST(QueueDispatcher, CallFromMainThreadRunsInline)
{
    QueueDispatcher dispatcher;
    bool ran = false;
    dispatcher.run_on_main([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(dispatcher.pump(), 0);
}

TEST(HandOver, RunsLikeRunOnMainUntilClosedThenNeverAgain)
{
    QueueDispatcher dispatcher;
    HandOver hand_over(dispatcher);
    std::atomic<int> ran{0};
    std::atomic<bool> first{false};
    std::thread worker([&] { first = hand_over.run([&] { ++ran; }); });
    while (ran == 0)
        dispatcher.pump_wait(10);
    worker.join();
    EXPECT_TRUE(first);

    // The worker waits; the main thread closes instead of pumping, then
    // joins it. A pump afterwards does not run the called-off task.
    std::atomic<bool> second{true};
    std::thread waiting([&] { second = hand_over.run([&] { ++ran; }); });
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    hand_over.close();
    waiting.join();
    EXPECT_FALSE(second);
    dispatcher.pump();
    EXPECT_EQ(ran, 1);
    EXPECT_FALSE(hand_over.run([&] { ++ran; }));
    EXPECT_EQ(ran, 1);
}
