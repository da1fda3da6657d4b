#include "app/splash_window.h"

#include "app/program_icons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace valmuri {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("form_splash");
    setFixedSize(431, 322);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, splash_picture(size()));
}

} // namespace valmuri
