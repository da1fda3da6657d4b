#pragma once
// Runs a teardown on a thread of its own and tells whether it returned in
// time. A teardown that hangs because it waits for the main loop is freed by
// pumping that loop, so the test fails instead of hanging.

#include "platform/dispatcher.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace valmuri::test {

inline bool teardown_within(std::chrono::milliseconds limit, QueueDispatcher& main_loop,
                            const std::function<void()>& teardown)
{
    std::atomic<bool> returned{false};
    std::thread thread([&] {
        teardown();
        returned = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!returned && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const bool in_time = returned;
    while (!returned)
        main_loop.pump_wait(10);
    thread.join();
    return in_time;
}

} // namespace valmuri::test
