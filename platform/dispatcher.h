#pragma once
// Hand-over from engine threads to the host's main thread.
//
// Engine events that the user interface must see on its own thread
// (OnWriteDone, OnEraseDone) are delivered through a Dispatcher. The GUI
// implements it with a blocking queued call into the Qt event loop; the
// command line uses QueueDispatcher and pumps it from its main loop.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace valmuri {

class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    // Runs task on the main thread and returns after it has run. Called from
    // a worker thread; a call made on the main thread runs the task at once.
    virtual void run_on_main(std::function<void()> task) = 0;
    // Queues task for the main thread and returns at once; the task may
    // run after the caller is gone, so it must own what it touches.
    virtual void post(std::function<void()> task) = 0;
};

// A worker's blocking hand-over that its owner can call off. run() waits
// for the task like run_on_main, but once close() has been called a task
// not yet started never runs and run() returns: the main thread can then
// join a worker that was waiting for it.
class HandOver {
public:
    explicit HandOver(Dispatcher& dispatcher);
    ~HandOver();
    HandOver(const HandOver&) = delete;
    HandOver& operator=(const HandOver&) = delete;

    // Worker thread: true when the task ran on the main thread.
    bool run(std::function<void()> task);
    // Any thread: run() returns at once from now on. Waits for a task that
    // is running on another thread.
    void close();

private:
    struct Shared;
    Dispatcher& dispatcher_;
    std::shared_ptr<Shared> shared_;
};

// Runs every task on the calling thread. For hosts without a main loop of
// their own and for tests that check results after a thread has ended.
class InlineDispatcher final : public Dispatcher {
public:
    void run_on_main(std::function<void()> task) override { task(); }
    void post(std::function<void()> task) override { task(); }
};

// A queue drained by the thread that created it (the "main" thread).
class QueueDispatcher final : public Dispatcher {
public:
    QueueDispatcher();
    void run_on_main(std::function<void()> task) override;
    void post(std::function<void()> task) override;

    // Main thread: runs every queued task; returns how many ran.
    int pump();
    // Main thread: waits up to timeout_ms for a task, then pumps.
    int pump_wait(int timeout_ms);

private:
    struct Item {
        std::function<void()> task;
        bool done = false;
    };
    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable finished_;
    std::deque<std::shared_ptr<Item>> items_;
    std::thread::id main_thread_;
};

} // namespace valmuri
