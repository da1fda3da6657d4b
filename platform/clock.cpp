#include "platform/clock.h"

#include <thread>

namespace valmuri {

std::uint64_t SystemClock::now_ms() const
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::sleep_ms(std::uint64_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void VirtualClock::sleep_ms(std::uint64_t ms)
{
    now_.fetch_add(ms);
    slept_.fetch_add(ms);
    std::this_thread::yield();
}

Clock& default_clock()
{
    // Never destroyed: static objects built after its first use (a loaded
    // library's recorders, say) may still read the time while the process exits.
    static SystemClock* clock = new SystemClock;
    return *clock;
}

} // namespace valmuri
