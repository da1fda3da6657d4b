#pragma once
// The GUI's hand-over to the main thread: a blocking queued call into the
// Qt event loop.

#include "platform/dispatcher.h"

#include <QObject>

namespace valmuri {

class QtDispatcher final : public Dispatcher {
public:
    // Must be created on the GUI thread, after the QApplication.
    QtDispatcher();
    ~QtDispatcher() override;
    // Runs task on the GUI thread and waits for it. From the GUI thread the
    // task runs at once (a blocking queued call into the own thread would
    // never return).
    void run_on_main(std::function<void()> task) override;
    // Queued into the event loop; a task still queued when the dispatcher
    // goes away is dropped.
    void post(std::function<void()> task) override;

private:
    QObject* context_;
};

} // namespace valmuri
