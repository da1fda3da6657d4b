#pragma once
// TThWrite: the time-critical thread that writes one burn, and the state the
// burner shares with it and with the cache thread.

#include "engine/cache_thread.h"
#include "engine/track_writer.h"
#include "platform/dispatcher.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace valmuri {

class TVordaCDBurner;

// One burn: its abort flag, whether it runs, and its cache thread. The
// burner keeps it from BurnCD until the next burn or its own end.
class BurnState {
public:
    std::atomic<bool> abort{false};
    std::atomic<bool> in_progress{false};
    // Times the writer found the cache empty, kept when the cache is freed.
    std::atomic<std::int64_t> writer_stalls{0};

    void set_cache(std::unique_ptr<TCacheThread> cache);
    // For the threads that own the burn (BurnCD, the writer); others use
    // abort_cache.
    TCacheThread* cache() const;
    // Tells the cache thread to stop, if there still is one.
    void abort_cache();
    // Waits for the cache thread to end and frees it.
    void release_cache();
    // Round(bytes held / cache size × 100) while a cache thread exists.
    int cache_fill_percent() const;

private:
    mutable std::mutex mutex_;
    std::unique_ptr<TCacheThread> cache_;
};

class TThWrite {
public:
    // Starts writing at once. The cache thread of state has had its first
    // fill.
    TThWrite(TVordaCDBurner& burner, BurnState& state, WriterSettings settings, WriterProgress progress);
    // Waits for the thread (OnWriteDone must be able to run meanwhile).
    ~TThWrite();
    TThWrite(const TThWrite&) = delete;
    TThWrite& operator=(const TThWrite&) = delete;

    void WaitFor();
    // For a burner that goes away: OnWriteDone is not delivered any more, so
    // the thread never waits for a main thread that is joining it.
    void CallOffHandOver() { hand_over_.close(); }
    // The thread has raised OnWriteDone (or had nobody to tell) and ends.
    bool Done() const { return done_.load(); }

private:
    void Execute();

    TVordaCDBurner& burner_;
    BurnState& state_;
    WriterSettings settings_;
    WriterProgress progress_;
    std::atomic<bool> done_{false};
    HandOver hand_over_;
    std::thread thread_;
};

} // namespace valmuri
