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

void QueueDispatcher::post(std::function<void()> task)
{
    auto item = std::make_shared<Item>();
    item->task = std::move(task);
    std::scoped_lock lock(mutex_);
    items_.push_back(std::move(item));
    queued_.notify_all();
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

struct HandOver::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
    // The thread running a task now, if any.
    std::thread::id running;
};

HandOver::HandOver(Dispatcher& dispatcher) : dispatcher_(dispatcher), shared_(std::make_shared<Shared>()) {}

HandOver::~HandOver()
{
    close();
}

bool HandOver::run(std::function<void()> task)
{
    struct Call {
        bool started = false;
        bool finished = false;
    };
    auto call = std::make_shared<Call>();
    {
        std::scoped_lock lock(shared_->mutex);
        if (shared_->closed)
            return false;
    }
    dispatcher_.post([shared = shared_, call, task = std::move(task)] {
        {
            std::scoped_lock lock(shared->mutex);
            if (shared->closed)
                return;
            call->started = true;
            shared->running = std::this_thread::get_id();
        }
        task();
        std::scoped_lock lock(shared->mutex);
        call->finished = true;
        shared->running = {};
        shared->changed.notify_all();
    });
    std::unique_lock lock(shared_->mutex);
    shared_->changed.wait(lock, [&] { return call->finished || (shared_->closed && !call->started); });
    return call->finished;
}

void HandOver::close()
{
    std::unique_lock lock(shared_->mutex);
    shared_->closed = true;
    shared_->changed.notify_all();
    shared_->changed.wait(lock, [&] {
        return shared_->running == std::thread::id{} || shared_->running == std::this_thread::get_id();
    });
}

} // namespace valmuri
