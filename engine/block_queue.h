#pragma once
// The bounded queue between the cache thread (the only producer) and the
// writer thread (the only consumer).
//
// One mutex and two condition variables: the producer waits for room, the
// consumer (and whoever waits for the first fill) waits for data. Either side
// closes the queue: the producer when everything is queued or it failed, the
// consumer or the user when the burn is aborted. A status text set on close
// is the error that ends the burn; it is never overwritten.

#include "engine/cache_block.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace valmuri {

class BlockQueue {
public:
    // capacity: blocks the queue holds at most (at least 1). gather: how long
    // a consumer that found the queue empty waits for more than one block.
    explicit BlockQueue(std::int64_t capacity, std::chrono::milliseconds gather = std::chrono::milliseconds(2));

    // --- producer side
    // Waits until the queue has room, appends block and hands back a
    // recycled buffer in its place (an empty one when there is none). Returns
    // the blocks queued afterwards, or -1 when the queue was closed by an
    // abort or a failure (the producer stops then). A block of length 0 is
    // not queued and stays with the caller.
    std::int64_t push(CacheBlock& block);
    // Everything is queued: the consumer gets 0 once it has taken the rest.
    void finish();

    // --- consumer side
    // Copies the head block's data to dest (a buffer of a whole block) and
    // returns its length; -1 when the queue is empty for the moment; 0 when
    // everything has been taken or the queue was closed with a status text.
    int take(std::uint8_t* dest);
    // As take, but when the queue is empty waits up to max_wait for a block,
    // then up to the gather time until a quarter of the queue is filled (or
    // it is closed); -1 only when it is still empty after max_wait.
    int wait_take(std::uint8_t* dest, std::chrono::milliseconds max_wait);

    // --- either side
    // Closes the queue with an error text (kept if one is already set) and
    // gives back every queued block.
    void close_with(const std::string& status);
    // Waits up to max_wait until the queue was full once, everything was
    // queued, or it was closed with a status; true when one of these holds.
    bool wait_first_fill(std::chrono::milliseconds max_wait);

    std::string status() const;
    // The queue was closed with a status text (abort or failure).
    bool has_status() const { return has_status_.load(); }
    bool first_fill_done() const { return first_fill_done_.load(); }
    // Everything has been queued or the queue was closed.
    bool finished() const { return finished_.load(); }
    std::int64_t bytes_queued() const { return bytes_queued_.load(); }
    std::int64_t size() const { return count_.load(); }
    std::int64_t capacity() const { return capacity_; }
    // Times the consumer found the queue empty after the first fill while
    // data was still to come: the writer waited for the reader.
    std::int64_t consumer_stalls() const { return consumer_stalls_.load(); }

private:
    int take_locked(std::unique_lock<std::mutex>& lock, std::uint8_t* dest);
    bool closed_locked() const { return finished_.load() || !status_.empty(); }
    bool room_locked() const { return std::ssize(blocks_) < capacity_; }
    void push_locked(CacheBlock block);
    CacheBlock pop_locked();

    const std::int64_t capacity_;
    // The queue length at which a waiting producer is woken.
    const std::int64_t refill_level_;
    // The queue length at which a consumer that found it empty goes on,
    // unless the gather time has passed.
    const std::int64_t resume_level_;
    const std::chrono::milliseconds gather_;
    mutable std::mutex mutex_;
    std::condition_variable room_;
    std::condition_variable data_;
    std::deque<CacheBlock> blocks_;
    std::vector<CacheBlock> spare_;
    std::string status_;
    // Threads waiting on each condition: a notify is only sent to a waiter.
    int data_waiters_ = 0;
    int room_waiters_ = 0;
    std::atomic<bool> first_fill_done_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> has_status_{false};
    // blocks_.size(), readable without the mutex.
    std::atomic<std::int64_t> count_{0};
    std::atomic<std::int64_t> bytes_queued_{0};
    std::atomic<std::int64_t> consumer_stalls_{0};
};

} // namespace valmuri
