#include "app/main_window_editing.h"

#include "app/about_dialog.h"
#include "app/auto_rename_dialog.h"
#include "app/busy_window.h"
#include "app/core/project_information.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/move_dialog.h"
#include "app/project_info_dialog.h"
#include "app/rename_dialog.h"
#include "app/structure_dialog.h"


#include <QFileDialog>
#include <QItemSelectionModel>
#include <QDir>
#include <QLabel>
#include <QTableView>

#include <algorithm>
#include <vector>

namespace valmuri {

namespace {

// The track list's focused row, or -1.
int current_row(const MainWindow& window, const Compilation& compilation)
{
    int row = window.track_list()->currentIndex().row();
    return row >= 0 && row < compilation.row_count() ? row : -1;
}

std::vector<int> selected_rows(const MainWindow& window)
{
    std::vector<int> rows;
    for (const QModelIndex& index : window.track_list()->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

// In drag-reorder mode the list takes one row at a time and the commands act
// on the current row; otherwise on the selection.
bool drag_mode(const MainWindow& window)
{
    return window.track_list()->selectionMode() == QAbstractItemView::SingleSelection;
}

void select_row(MainWindow& window, int row)
{
    QTableView* list = window.track_list();
    QModelIndex index = list->model()->index(row, 0);
    if (!index.isValid())
        return;
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(index);
}

} // namespace

void export_track_list(MainWindow& window, const Compilation& compilation)
{
    QFileDialog dialog(&window);
    dialog.setObjectName("SaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Arquivo de Texto (*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString file = dialog.selectedFiles().front();
    std::string error;
    {
        BusyWindow busy(window.text(164), &window);
        error = write_export_list(file.toStdString(), compilation);
        busy.set_position(100);
    }
    if (!error.empty())
        show_notice(&window, window.text(223).arg(file, QString::fromStdString(error)));
}

void install_editing_commands(MainWindow& window, Compilation& compilation)
{
    MainWindow* w = &window;
    Compilation* c = &compilation;

    auto one_row = [w, c] {
        return drag_mode(*w) ? current_row(*w, *c) >= 0 : selected_rows(*w).size() == 1;
    };

    w->set_command_handler(
        "act_renomear",
        [w, c] {
            int row = current_row(*w, *c);
            if (row < 0)
                return;
            run_rename(w, w->texts(), *c, row);
            select_row(*w, row);
        },
        one_row);

    w->set_command_handler(
        "act_moverfaixa",
        [w, c] {
            int row = current_row(*w, *c);
            if (row < 0)
                return;
            int moved = run_move(w, w->texts(), *c, row);
            select_row(*w, moved >= 0 ? moved : row);
        },
        one_row);

    w->set_command_handler(
        "act_super_renomeacao",
        [w, c] {
            std::vector<int> rows = selected_rows(*w);
            if (drag_mode(*w) || rows.empty()) {
                rows.clear();
                if (int row = current_row(*w, *c); row >= 0)
                    rows.push_back(row);
            }
            run_auto_rename(w, w->texts(), *c, rows);
        },
        [w, c] { return drag_mode(*w) ? current_row(*w, *c) >= 0 : !selected_rows(*w).empty(); });

    w->set_command_handler(
        "act_editar_estrutura",
        [w, c] {
            if (!run_structure_editor(w, w->texts(), *c))
                return;
            if (!c->empty())
                w->recompute_capacity_display();
            else
                w->show_emptied_capacity();
        },
        [c] { return c->row_count() >= 2; });

    w->set_command_handler(
        "act_substituir",
        [w, c] {
            int row = current_row(*w, *c);
            if (row < 0)
                return;
            QFileDialog dialog(w, w->text(209));
            dialog.setObjectName("OpenDialog");
            dialog.setFileMode(QFileDialog::ExistingFile);
            dialog.setNameFilter(QStringLiteral("Arquivo MP3 (*.mp3)"));
            dialog.setDefaultSuffix(QStringLiteral("mp3"));
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return;
            bool cut = false;
            EditResult result =
                c->replace_source(row, dialog.selectedFiles().front().toStdString(), current_number_format(), &cut);
            if (result == EditResult::NameTaken)
                show_notice(w, w->text(210));
            else if (result == EditResult::HasSemicolon)
                show_notice(w, w->text(250));
            else if (result == EditResult::Done && cut)
                show_notice(w, w->text(106).arg(1));
            select_row(*w, row);
        },
        one_row);

    w->set_command_handler("cmd_informacoes", [w, c] {
        ProjectInformation info = project_information(*c, w->capacity(), w->status_panel(1)->text().toStdString(),
                                                      w->texts());
        ProjectInfoDialog dialog(w->texts(), info, c->options(), w);
        if (dialog.exec() == QDialog::Accepted)
            c->set_options(dialog.edited_options());
    });

    w->set_command_handler("cmd_sobre", [w] {
        AboutDialog about(w->texts(), QDir::tempPath().toStdString(), w);
        about.exec();
    });

    w->set_command_handler("act_exportar", [w, c] { export_track_list(*w, *c); }, [c] { return !c->empty(); });
}

} // namespace valmuri
