#include "app/busy_window.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace valmuri {

BusyWindow::BusyWindow(const QString& text, QWidget* main_window)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("form_progressmp3");
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(400, 75);
    setStyleSheet(QStringLiteral("QWidget#form_progressmp3 { background: palette(window);"
                                 " border: 1px solid rgb(120,120,120); }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    msg_ = new QLabel(text, this);
    msg_->setObjectName("msg");
    msg_->setAlignment(Qt::AlignCenter);
    layout->addWidget(msg_);
    bar_ = new QProgressBar(this);
    bar_->setObjectName("progresso_mp3");
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setStyleSheet(QStringLiteral(
        "QProgressBar#progresso_mp3 { background: white; border: 1px solid rgb(160,160,160); min-height: 16px; }"
        "QProgressBar#progresso_mp3::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0,"
        " stop:0 white, stop:1 red); }"));
    layout->addWidget(bar_);

    if (main_window) {
        QRect frame = main_window->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != this && window->isVisible() && window->isEnabled()) {
            window->setEnabled(false);
            disabled_.emplace_back(window);
        }
    }
    show();
    raise();
    repaint();
}

BusyWindow::~BusyWindow()
{
    for (const QPointer<QWidget>& window : disabled_)
        if (window)
            window->setEnabled(true);
    hide();
}

void BusyWindow::set_position(int percent)
{
    if (bar_->value() == percent)
        return;
    bar_->setValue(percent);
    repaint();
    // Only painting and other non-input events: the windows are disabled anyway.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int BusyWindow::position() const
{
    return bar_->value();
}

QString BusyWindow::text() const
{
    return msg_->text();
}

} // namespace valmuri
