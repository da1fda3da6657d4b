#include "app/main_window.h"

#include "app/core/program_temp_folder.h"
#include "app/file_browser.h"
#include "app/geometry_store.h"
#include "app/message_box.h"
#include "app/options_dialog.h"
#include "app/program_icons.h"
#include "drive/command_trace.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTableView>
#include <QUrl>

#include <filesystem>

namespace valmuri {

MainWindow::MainWindow(ProgramPaths paths, QWidget* parent)
    : QMainWindow(parent), paths_(std::move(paths)), burn_cd_(std::make_unique<TVordaCDBurner>())
{
    burn_cd_->set_dispatcher(dispatcher_);
    setObjectName("form_principal");
    setWindowIcon(program_icon());
    resize(701, 492);

    build_commands();
    build_toolbar();
    build_panes();
    build_status_bar();
    build_menus();
    build_popups();
    build_track_list_drops();
    build_project_commands();
    OnAddFiles = [this](const QStringList& candidates) { add_files_to_compilation(candidates); };
    OnRecomputeCapacity = [this] { recompute_capacity_display(); };

    // The window's title and the first status panel carry the program title.
    setWindowTitle(QString::fromUtf8(kProgramTitle));
    status_panels_[0]->setText(QString::fromUtf8(kProgramTitle));
    load_drag_cursor();

    // Settings: the previous language is remembered before the section that
    // names the language files is erased and rebuilt.
    IniFile options(paths_.options_file());
    std::string previous_language = take_previous_language(options);
    read_settings();
    set_grid_lines(settings_.grade_lines);
    bool maximized = settings_.save_form && restore_geometry();
    // Always centred, also after a restore: only size and maximized state survive.
    centre_on_screen();
    if (maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    reset_project_options();

    build_language_menu();
    choose_language(previous_language);
    update_commands();

    // Commands re-evaluate their enabled state whenever the program goes idle.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { update_commands(); });
}

MainWindow::~MainWindow() = default;

QString MainWindow::text(int n) const
{
    return QString::fromStdString(texts_[n]);
}

void MainWindow::load_drag_cursor()
{
    // The cursor picture is stored inside the program and extracted to the
    // program's temporary folder; without the file the default cursor stays
    // in use.
    std::filesystem::path file = program_temp_folder().file("drag_mouse.cur");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return;
    QPixmap picture(QString::fromStdString(file.string()));
    if (!picture.isNull())
        drag_cursor_ = QCursor(picture, 0, 0);
}

void MainWindow::read_settings()
{
    IniFile options(paths_.options_file());
    settings_ = read_program_settings(options);
    burn_cd_->SetCacheSize(settings_.buffer);
    burn_cd_->SetUnderrunProtection(settings_.underrun_protection);
    // The key names the trace file, relative to the program folder; without
    // it VALMURI_TRACE may name one.
    if (!settings_.command_trace.empty()) {
        std::filesystem::path trace(settings_.command_trace);
        if (trace.is_relative())
            trace = paths_.options_file().parent_path() / trace;
        set_command_trace(trace.string());
    } else {
        trace_from_environment();
    }
    if (OnBurnerSettings)
        OnBurnerSettings(settings_.buffer, settings_.underrun_protection);
}

bool MainWindow::grid_lines() const
{
    return track_list_->showGrid();
}

void MainWindow::set_grid_lines(bool on)
{
    track_list_->setShowGrid(on);
    track_list_->viewport()->update();
}

void MainWindow::reset_project_options()
{
    project_options_ = {QStringLiteral("Valmuri MP3"), QStringLiteral("true"), QStringLiteral("false"),
                        QStringLiteral("true"), QString()};
}

QLabel* MainWindow::status_panel(int index) const
{
    return index >= 0 && index < int(status_panels_.size()) ? status_panels_[std::size_t(index)] : nullptr;
}

QListWidget* MainWindow::file_list() const
{
    return file_browser_->file_list();
}

void MainWindow::save_geometry()
{
    IniFile geometry(paths_.geometry_file());
    if (!save_window_geometry(*this, geometry))
        qWarning("%s", geometry.last_error().c_str());
}

bool MainWindow::restore_geometry()
{
    IniFile geometry(paths_.geometry_file());
    return restore_window_geometry(*this, geometry);
}

void MainWindow::centre_on_screen()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area = screen->geometry();
    int left = (area.width() - width()) / 2;
    int top = (area.height() - height()) / 2;
    move(area.x() + left, area.y() + top);
}

void MainWindow::open_options_dialog()
{
    IniFile options(paths_.options_file());
    OptionsDialog dialog(texts_, read_options_dialog_values(options), this);
    attach_edit_popup(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        if (!write_options_dialog_values(options, dialog.values()))
            show_notice(this, QString::fromStdString(options.last_error()));
        set_grid_lines(dialog.values().grade);
    }
    // Whichever button closed it, the burner settings come from the file.
    read_settings();
}

void MainWindow::open_help()
{
    // A missing help page is the browser's business; nothing is reported here.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(paths_.help_file().string())));
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_before_)
        return;
    shown_before_ = true;
    if (!startup_project_.isEmpty() && OnOpenProject
        && std::filesystem::is_regular_file(startup_project_.toStdString()))
        OnOpenProject(startup_project_);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (OnCloseQuery && !OnCloseQuery()) {
        event->ignore();
        return;
    }
    save_geometry();
    std::error_code ec;
    std::filesystem::remove(program_temp_folder().file("drag_mouse.cur"), ec);
    event->accept();
}

} // namespace valmuri
