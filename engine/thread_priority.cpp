#include "engine/thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace valmuri {
namespace {

int thread_id()
{
    return static_cast<int>(::syscall(SYS_gettid));
}

// The lowest nice value this process may set: 20 - RLIMIT_NICE.
int lowest_allowed_nice()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NICE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return -20;
    return 20 - static_cast<int>(limit.rlim_cur);
}

int nice_for(ThreadLevel level, int base)
{
    switch (level) {
    case ThreadLevel::Idle:
        return 19;
    case ThreadLevel::Lowest:
        return base + 2 > 19 ? 19 : base + 2;
    case ThreadLevel::Lower:
        return base + 1 > 19 ? 19 : base + 1;
    default:
        return base;
    }
}

} // namespace

bool set_current_thread_level(ThreadLevel level)
{
    if (level == ThreadLevel::TimeCritical) {
        sched_param param{};
        param.sched_priority = ::sched_get_priority_min(SCHED_FIFO);
        return ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param) == 0;
    }
    // The main thread's nice value is the process's base level.
    const int base = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
    // Without a way back to the base level, a lowered thread would stay slow
    // for the rest of the burn; keep the base level instead.
    if (lowest_allowed_nice() > base)
        return false;
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(thread_id()), nice_for(level, base)) == 0;
}

} // namespace valmuri
