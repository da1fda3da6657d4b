#pragma once
// Time source for every wait and sleep of the engine's loops.
//
// Drive loops (ready waits, retries, erase progress) sleep and read the time
// only through a Clock, so tests can swap in a VirtualClock and run a
// twenty-minute erase estimate in milliseconds while keeping every count.

#include <atomic>
#include <chrono>
#include <cstdint>

namespace valmuri {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary fixed point; only differences count.
    virtual std::uint64_t now_ms() const = 0;
    virtual void sleep_ms(std::uint64_t ms) = 0;
};

// The real clock: steady time and real sleeps.
class SystemClock final : public Clock {
public:
    std::uint64_t now_ms() const override;
    void sleep_ms(std::uint64_t ms) override;
};

// A clock whose sleeps advance its own time at once. Each sleep still yields
// the processor so that other threads of the test make progress.
class VirtualClock final : public Clock {
public:
    std::uint64_t now_ms() const override { return now_.load(); }
    void sleep_ms(std::uint64_t ms) override;
    void advance_ms(std::uint64_t ms) { now_.fetch_add(ms); }
    std::uint64_t slept_ms() const { return slept_.load(); }

private:
    std::atomic<std::uint64_t> now_{0};
    std::atomic<std::uint64_t> slept_{0};
};

// The clock used when a component is given none: the process-wide SystemClock.
Clock& default_clock();

} // namespace valmuri
