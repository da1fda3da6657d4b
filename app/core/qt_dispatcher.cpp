#include "app/core/qt_dispatcher.h"

#include <QCoreApplication>
#include <QThread>

namespace valmuri {

QtDispatcher::QtDispatcher() : context_(new QObject)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        context_->moveToThread(app->thread());
}

QtDispatcher::~QtDispatcher()
{
    delete context_;
}

void QtDispatcher::run_on_main(std::function<void()> task)
{
    if (QThread::currentThread() == context_->thread()) {
        task();
        return;
    }
    QMetaObject::invokeMethod(context_, [&task] { task(); }, Qt::BlockingQueuedConnection);
}

void QtDispatcher::post(std::function<void()> task)
{
    QMetaObject::invokeMethod(context_, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

} // namespace valmuri
