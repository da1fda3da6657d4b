#pragma once
// Best-effort scheduling levels for the engine's threads.
//
// Linux lets an unprivileged thread lower its priority but not raise it back
// (RLIMIT_NICE is usually 0). The cache thread moves up and down with its
// queue's level, so levels below normal are used only when the way back is
// allowed; otherwise the thread stays at its starting priority. Failing to
// change a priority is never an error.

namespace valmuri {

enum class ThreadLevel { Idle, Lowest, Lower, Normal, TimeCritical };

// Applies level to the calling thread; returns true when it took effect.
bool set_current_thread_level(ThreadLevel level);

} // namespace valmuri
