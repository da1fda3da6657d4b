// Project commands of the main window: new, open, save, save as, the
// unsaved-changes check and the project named on the command line.

#include "app/core/project_file.h"
#include "app/main_window.h"
#include "app/message_box.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressBar>

namespace valmuri {

namespace {
const QString kProjectFilter = QStringLiteral("Projeto Valmuri MP3 (*.vlm)");
}

void MainWindow::build_project_commands()
{
    set_command_handler("act_novo", [this] { new_project(); });
    set_command_handler("act_abrir", [this] { open_project_dialog(); });
    set_command_handler(
        "act_salvar", [this] { save_project_to(QString::fromStdString(compilation_.project_file().string())); },
        [this] { return !compilation_.project_file().empty(); });
    set_command_handler("act_salvarcomo", [this] { save_project_as(); });
    OnCloseQuery = [this] { return confirm_drop_compilation(); };
    OnOpenProject = [this](const QString& path) {
        open_project_file(QFileInfo(path).absoluteFilePath());
    };
}

bool MainWindow::confirm_drop_compilation()
{
    UnsavedQuestion question = unsaved_changes(compilation_);
    if (question == UnsavedQuestion::None)
        return true;
    QString text = QString::fromStdString(unsaved_question_text(question, compilation_, texts_));
    switch (ask_question(this, text)) {
    case QuestionAnswer::Yes:
        // Whatever the save did (a cancelled save-as too), the command goes on.
        update_commands();
        command("cmd_salvar")->trigger();
        return true;
    case QuestionAnswer::No:
        return true;
    case QuestionAnswer::Cancel:
        return false;
    }
    return false;
}

void MainWindow::new_project()
{
    if (!confirm_drop_compilation())
        return;
    compilation_.reset_to_new();
    reset_project_options();
    show_emptied_capacity();
    show_project_title();
}

bool MainWindow::open_project_file(const QString& path)
{
    std::filesystem::path file = path.toStdString();
    ProjectRead read = open_project(compilation_, file);
    if (!read.ok()) {
        show_notice(this, QString::fromStdString(project_read_message(read, file, texts_)));
        return false;
    }
    if (compilation_.empty())
        show_emptied_capacity();
    else
        recompute_capacity_display();
    show_project_title();
    return true;
}

void MainWindow::save_project_to(const QString& path)
{
    std::filesystem::path file = path.toStdString();
    std::string reason = save_project(compilation_, file);
    if (!reason.empty()) {
        show_notice(this, QString::fromStdString(file_save_message(file, reason, texts_)));
        return;
    }
    show_project_title();
}

void MainWindow::save_project_as()
{
    QFileDialog dialog(this, text(10), QString(), kProjectFilter);
    dialog.setObjectName("SaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("vlm"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    save_project_to(dialog.selectedFiles().constFirst());
}

void MainWindow::open_project_dialog()
{
    if (!confirm_drop_compilation())
        return;
    QFileDialog dialog(this, text(8), QString(), kProjectFilter);
    dialog.setObjectName("OpenDialog");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("vlm"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    open_project_file(dialog.selectedFiles().constFirst());
}

void MainWindow::show_project_title()
{
    setWindowTitle(QString::fromStdString(project_window_title(compilation_)));
}

} // namespace valmuri
