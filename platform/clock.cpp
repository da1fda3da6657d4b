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
    static SystemClock clock;
    return clock;
}

} // namespace valmuri
