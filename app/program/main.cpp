// Valmuri MP3: program entry.

#include "app/main_window.h"
#include "app/message_box.h"
#include "app/program_icons.h"
#include "app/splash_window.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("valmuri-mp3"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(valmuri::kProgramTitle));
    QGuiApplication::setDesktopFileName(QStringLiteral("valmuri-mp3"));
    QApplication::setWindowIcon(valmuri::program_icon());

    auto* splash = new valmuri::SplashWindow;
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    valmuri::MainWindow window(valmuri::ProgramPaths::for_running_program());
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1 && QFileInfo(arguments.at(1)).isFile())
        window.set_startup_project(arguments.at(1));

    // The splash stays up for a moment and keeps painting meanwhile.
    QEventLoop pause;
    QTimer::singleShot(1500, &pause, &QEventLoop::quit);
    pause.exec();
    splash->close();
    delete splash;

    window.show();
    return app.exec();
}
