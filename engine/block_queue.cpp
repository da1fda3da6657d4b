#include "engine/block_queue.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace valmuri {

BlockQueue::BlockQueue(std::int64_t capacity, std::chrono::milliseconds gather)
    : capacity_(std::max<std::int64_t>(capacity, 1)),
      refill_level_(capacity_ - std::max<std::int64_t>(capacity_ / 4, 1)),
      resume_level_(std::max<std::int64_t>(capacity_ / 4, 1)),
      gather_(gather)
{
}

void BlockQueue::push_locked(CacheBlock block)
{
    bytes_queued_ += block.length;
    blocks_.push_back(std::move(block));
    count_ = std::ssize(blocks_);
    if (!room_locked())
        first_fill_done_ = true;
}

CacheBlock BlockQueue::pop_locked()
{
    CacheBlock block = std::move(blocks_.front());
    blocks_.pop_front();
    count_ = std::ssize(blocks_);
    bytes_queued_ -= block.length;
    return block;
}

std::int64_t BlockQueue::push(CacheBlock& block)
{
    bool wake = false;
    std::int64_t queued = 0;
    {
        std::unique_lock lock(mutex_);
        if (!room_locked() && status_.empty()) {
            ++room_waiters_;
            room_.wait(lock, [&] { return !status_.empty() || room_locked(); });
            --room_waiters_;
        }
        if (!status_.empty())
            return -1;
        if (block.length > 0) {
            push_locked(std::move(block));
            // A waiting consumer wants the first block, then a quarter.
            wake = data_waiters_ > 0 && (blocks_.size() == 1 || std::ssize(blocks_) >= resume_level_);
            block = {};
            if (!spare_.empty()) {
                block = std::move(spare_.back());
                spare_.pop_back();
                block.length = 0;
            }
        }
        queued = std::ssize(blocks_);
    }
    if (wake)
        data_.notify_all();
    return queued;
}

void BlockQueue::finish()
{
    {
        std::scoped_lock lock(mutex_);
        first_fill_done_ = true;
        finished_ = true;
    }
    data_.notify_all();
}

int BlockQueue::take_locked(std::unique_lock<std::mutex>& lock, std::uint8_t* dest)
{
    if (!status_.empty())
        return 0;
    if (blocks_.empty()) {
        if (finished_)
            return 0;
        if (first_fill_done_)
            ++consumer_stalls_;
        return -1;
    }
    CacheBlock block = pop_locked();
    // A producer waiting on a full queue is woken once a quarter of it has
    // drained: it refills in a burst instead of waking for every block.
    const bool wake = room_waiters_ > 0 && std::ssize(blocks_) <= refill_level_;
    lock.unlock();
    if (wake)
        room_.notify_one();

    // The block is ours now; copy it without holding up the producer.
    std::memcpy(dest, block.bytes.data(), block.length);
    const int length = static_cast<int>(block.length);

    lock.lock();
    spare_.push_back(std::move(block));
    return length;
}

int BlockQueue::take(std::uint8_t* dest)
{
    std::unique_lock lock(mutex_);
    return take_locked(lock, dest);
}

int BlockQueue::wait_take(std::uint8_t* dest, std::chrono::milliseconds max_wait)
{
    std::unique_lock lock(mutex_);
    if (blocks_.empty() && !closed_locked()) {
        if (first_fill_done_)
            ++consumer_stalls_;
        ++data_waiters_;
        data_.wait_for(lock, max_wait, [&] { return !blocks_.empty() || closed_locked(); });
        // Go on once a few blocks are queued, not at the first one: taking
        // each block as it arrives would keep both threads waking each other
        // for every block, and a reader that is faster than the writer would
        // never get ahead again. A slow source is waited for only briefly.
        data_.wait_for(lock, gather_, [&] { return std::ssize(blocks_) >= resume_level_ || closed_locked(); });
        --data_waiters_;
        if (blocks_.empty() && !closed_locked())
            return -1;
    }
    return take_locked(lock, dest);
}

void BlockQueue::close_with(const std::string& status)
{
    {
        std::scoped_lock lock(mutex_);
        if (status_.empty())
            status_ = status.empty() ? std::string("INTERNAL ERROR") : status;
        has_status_ = true;
        for (auto& block : blocks_)
            bytes_queued_ -= block.length;
        blocks_.clear();
        count_ = 0;
        spare_.clear();
        finished_ = true;
    }
    room_.notify_all();
    data_.notify_all();
}

bool BlockQueue::wait_first_fill(std::chrono::milliseconds max_wait)
{
    std::unique_lock lock(mutex_);
    ++data_waiters_;
    const bool filled = data_.wait_for(lock, max_wait, [&] { return first_fill_done_ || closed_locked(); });
    --data_waiters_;
    return filled;
}

std::string BlockQueue::status() const
{
    std::scoped_lock lock(mutex_);
    return status_;
}

} // namespace valmuri
