#include "platform/dispatcher.h"

#include <chrono>
#include <thread>

namespace valmuri {

QueueDispatcher::QueueDispatcher() : main_thread_(std::this_thread::get_id()) {}

void QueueDispatcher::run_on_main(std::function<void()> task)
{
    if (std::this_thread::get_id() == main_thread_) {
        task();
        return;
    }
    auto item = std::make_shared<Item>();
    item->task = std::move(task);
    std::unique_lock lock(mutex_);
    items_.push_back(item);
    queued_.notify_all();
    finished_.wait(lock, [&] { return item->done; });
}

int QueueDispatcher::pump()
{
    int ran = 0;
    for (;;) {
        std::shared_ptr<Item> item;
        {
            std::scoped_lock lock(mutex_);
            if (items_.empty())
                return ran;
            item = items_.front();
            items_.pop_front();
        }
        item->task();
        ++ran;
        std::scoped_lock lock(mutex_);
        item->done = true;
        finished_.notify_all();
    }
}

int QueueDispatcher::pump_wait(int timeout_ms)
{
    {
        std::unique_lock lock(mutex_);
        queued_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return !items_.empty(); });
    }
    return pump();
}

} // namespace valmuri
