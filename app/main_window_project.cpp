// Project commands of the main window: new, open, save, save as, the
// unsaved-changes check and the project named on the command line.

#include "app/core/project_file.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/program_icons.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
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
        "act_salvar", [this] { save_current_project(); },
        [this] { return !compilation_.project_file().empty(); });
    set_command_handler("act_salvarcomo", [this] { save_project_as(); });
    MRULista_ = std::make_unique<RecentFiles>(paths_.recent_files_file());
    set_command_handler(
        "act_limparlista",
        [this] {
            MRULista_->clear();
            rebuild_recent_menu();
        },
        [this] { return !MRULista_->entries().empty(); });
    rebuild_recent_menu();
    OnCloseQuery = [this] { return confirm_drop_compilation(); };
    // The command line opens without the check.
    OnOpenProject = [this](const QString& path) {
        QString full = QFileInfo(path).absoluteFilePath();
        if (open_project_file(full))
            add_recent_file(full);
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

bool MainWindow::save_project_to(const QString& path)
{
    std::filesystem::path file = path.toStdString();
    std::string reason = save_project(compilation_, file);
    if (!reason.empty()) {
        show_notice(this, QString::fromStdString(file_save_message(file, reason, texts_)));
        return false;
    }
    show_project_title();
    return true;
}

void MainWindow::save_current_project()
{
    QString path = QString::fromStdString(compilation_.project_file().string());
    if (save_project_to(path))
        add_recent_file(path);
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
    QString path = dialog.selectedFiles().constFirst();
    if (open_project_file(path))
        add_recent_file(path);
}

void MainWindow::open_recent_entry(const QString& path)
{
    if (!confirm_drop_compilation())
        return;
    if (!QFileInfo(path).isFile()) {
        show_notice(this, text(116));
        MRULista_->remove(path.toStdString());
        rebuild_recent_menu();
        return;
    }
    if (open_project_file(path))
        add_recent_file(path);
}

void MainWindow::add_recent_file(const QString& path)
{
    MRULista_->add(path.toStdString());
    rebuild_recent_menu();
}

void MainWindow::rebuild_recent_menu()
{
    // An entry may be rebuilt away from inside its own triggered signal (the
    // save on Yes adds the current file), so old items are only released later.
    for (QAction* item : recent_items_) {
        recent_menu_->removeAction(item);
        item->setObjectName(QString());
        item->deleteLater();
    }
    recent_items_.clear();
    QAction* clear_item = recent_menu_->findChild<QAction*>("LimparLista1");
    const std::vector<std::string>& entries = MRULista_->entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QString path = QString::fromStdString(entries[i]);
        // Only the file name shows, after an accelerator number.
        QString name = QFileInfo(path).fileName().replace('&', QStringLiteral("&&"));
        QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QString::number(i + 1);
        auto* item = new QAction(number + ' ' + name, recent_menu_);
        item->setObjectName(QStringLiteral("recent_%1").arg(i + 1));
        item->setToolTip(path);
        item->setIcon(toolbar_icon(ToolbarPicture::Open));
        connect(item, &QAction::triggered, this, [this, path] { open_recent_entry(path); });
        recent_menu_->insertAction(clear_item, item);
        recent_items_.append(item);
    }
}

void MainWindow::show_project_title()
{
    setWindowTitle(QString::fromStdString(project_window_title(compilation_)));
}

} // namespace valmuri
