// The track list's commands that need no compilation of their own: adding
// candidates, drops, playback and the music search.

#include "app/busy_window.h"
#include "app/core/adding.h"
#include "app/core/capacity_texts.h"
#include "app/drop_target.h"
#include "app/file_browser.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/replace_dialog.h"

#include "platform/number_format.h"
#include "platform/text.h"

#include <QAction>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTableView>
#include <QUrl>

namespace valmuri {

void MainWindow::build_track_list_drops()
{
    DragDropFiles_ = new TExDragDrop(this);
    DragDropFiles_->setObjectName("DragDropFiles");
    DragDropFiles_->SetControl(track_list_);
    DragDropFiles_->OnDropped = [this](TExDragDrop* sender, int) {
        if (OnAddFiles)
            OnAddFiles(sender->Items());
    };
    // Installed after the drop target, so this filter sees drags first: it
    // takes those from the file pane and keeps every other non-file drag
    // away from the list's own item drops.
    track_list_->viewport()->installEventFilter(this);

    set_command_handler(
        "act_adicionar",
        [this] {
            if (OnAddFiles)
                OnAddFiles(file_pane_candidates());
        },
        [this] { return !file_list()->selectedItems().isEmpty(); });
    set_command_handler("act_reproduzir", [this] { play_current_track(); }, [this] {
        return drag_mode_ ? current_row() >= 0 : selected_row_count() == 1;
    });
    set_command_handler("act_reproduzirlista", [this] { play_file_pane_entry(); },
                        [this] { return file_list()->selectedItems().size() == 1; });
    set_command_handler("act_buscar", [this] { open_search_window(); }, [this] { return row_count() > 0; });
    set_command_handler("act_acima", [this] { move_current_row(-1); }, [this] {
        return !drag_mode_ && selected_row_count() == 1 && current_row() > 0;
    });
    set_command_handler("act_abaixo", [this] { move_current_row(+1); }, [this] {
        return !drag_mode_ && selected_row_count() == 1 && current_row() >= 0
            && current_row() + 1 < compilation_.row_count();
    });
    set_command_handler("act_deletar", [this] { delete_chosen_rows(); }, [this] {
        return current_row() >= 0 && (drag_mode_ || selected_row_count() >= 1);
    });
    set_command_handler("act_limpar", [this] { clear_track_list(); }, [this] { return !compilation_.empty(); });
    connect(track_list_, &QAbstractItemView::doubleClicked, this, [this] { command("act_reproduzir")->trigger(); });
    connect(file_list(), &QListWidget::itemDoubleClicked, this,
            [this] { command("act_reproduzirlista")->trigger(); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != track_list_->viewport())
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    // The row under the button is the row the press makes current.
    case QEvent::MouseButtonPress:
        drag_from_row_ = track_list_->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).row();
        return false;
    case QEvent::MouseButtonRelease:
        // Drag-reorder: the row pressed on moves to where the button is let go.
        if (drag_mode_) {
            int from = drag_from_row_;
            int to = track_list_->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).row();
            if (from >= 0 && to >= 0 && from != to && compilation_.move_row(from, to))
                track_list_->selectRow(to);
        }
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->source() == file_list()) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            if (event->type() == QEvent::Drop && OnAddFiles)
                OnAddFiles(file_pane_candidates());
            return true;
        }
        if (drag->mimeData()->hasUrls())
            return false; // the drop target's
        drag->ignore();
        return true;
    }
    default:
        return false;
    }
}

QStringList MainWindow::file_pane_candidates() const
{
    QString folder = file_browser_->current_folder();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    QStringList candidates;
    for (int i = 0; i < file_list()->count(); ++i)
        if (file_list()->item(i)->isSelected())
            candidates.append(folder + file_list()->item(i)->text() + QStringLiteral(".mp3"));
    return candidates;
}

void MainWindow::open_with_desktop(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

int MainWindow::current_row() const
{
    int row = track_list_->currentIndex().row();
    return row < compilation_.row_count() ? row : -1;
}

int MainWindow::selected_row_count() const
{
    return int(track_list_->selectionModel()->selectedRows().size());
}

void MainWindow::play_current_track()
{
    int row = current_row();
    if (row >= 0)
        open_with_desktop(QString::fromStdString(compilation_.source_path(row)));
}

void MainWindow::play_file_pane_entry()
{
    if (QListWidgetItem* item = file_list()->currentItem()) {
        QString folder = file_browser_->current_folder();
        open_with_desktop(folder + (folder.endsWith(QLatin1Char('/')) ? "" : "/") + item->text()
                          + QStringLiteral(".mp3"));
    }
}

void MainWindow::open_search_window()
{
    if (search_window_)
        return;
    search_window_ = new SearchWindow(texts_, *this, this);
    search_window_->show();
}

int MainWindow::row_count() const
{
    return compilation_.row_count();
}

QString MainWindow::row_text(int index) const
{
    return QString::fromStdString(compilation_.row(index));
}

void MainWindow::show_result(const QString& row)
{
    bool number_ok = false;
    int track = row.section(QLatin1Char(';'), 0, 0).toInt(&number_ok);
    if (!number_ok || track < 1 || track > row_count())
        return;
    std::string wanted = upper_ascii(row.section(QLatin1Char(';'), 1, 1).toStdString());
    std::string found = upper_ascii(compilation_.disc_name(track - 1));
    if (wanted != found)
        return;
    track_list_->clearSelection();
    track_list_->selectRow(track - 1);
}

namespace {

// The window's side of the adding run: the questions go over the busy window.
class WindowAddingHandler : public AddingHandler {
public:
    WindowAddingHandler(const TranslationTable& texts, BusyWindow& busy) : texts_(texts), busy_(busy) {}
    ReplaceAnswer ask_replace(const ReplaceQuestion& question) override
    {
        return ReplaceDialog::ask(texts_, question, &busy_);
    }
    void progress(int percent) override { busy_.set_position(percent); }

private:
    const TranslationTable& texts_;
    BusyWindow& busy_;
};

} // namespace

void MainWindow::add_files_to_compilation(const QStringList& candidates)
{
    std::vector<std::string> paths;
    paths.reserve(std::size_t(candidates.size()));
    for (const QString& candidate : candidates)
        paths.push_back(candidate.toStdString());
    AddingReport report;
    {
        BusyWindow busy(text(122), this);
        WindowAddingHandler handler(texts_, busy);
        report = add_files(compilation_, paths, handler, current_number_format());
        recompute_capacity_display();
    }
    for (const std::string& refused : report.refused_semicolon)
        show_notice(this, QString::fromStdString(semicolon_refusal_text(refused, texts_)));
    std::string cut = cut_report_text(report.cut_count, texts_);
    if (!cut.empty())
        show_notice(this, QString::fromStdString(cut));
}

void MainWindow::move_current_row(int step)
{
    int row = current_row();
    int to = row + step;
    if (row < 0 || to < 0 || to >= compilation_.row_count() || !compilation_.move_row(row, to))
        return;
    track_list_->setCurrentIndex(track_model_->index(to, 0));
    track_list_->selectRow(to);
}

void MainWindow::delete_chosen_rows()
{
    std::vector<int> rows;
    if (drag_mode_) {
        rows.push_back(current_row());
    } else {
        for (const QModelIndex& index : track_list_->selectionModel()->selectedRows())
            rows.push_back(index.row());
    }
    compilation_.delete_rows(std::move(rows));
    if (!compilation_.empty()) {
        recompute_capacity_display();
        return;
    }
    show_emptied_capacity();
}

void MainWindow::show_emptied_capacity()
{
    capacity_ = empty_capacity(*burn_cd_, texts_, current_number_format());
    status_panels_[1]->setText(QString::fromStdString(capacity_.project_total));
    status_panels_[2]->setText(QString::fromStdString(capacity_.file_count));
    capacity_bar_->setFormat(QString::fromStdString(capacity_.bar_caption));
    capacity_bar_->setValue(0);
}

void MainWindow::clear_track_list()
{
    compilation_.clear();
    burn_cd_->ResetFileTree(65535, 8191);
    capacity_ = CapacityFigures{};
    CapacityTexts cleared = cleared_capacity_texts(texts_);
    capacity_bar_->setFormat(QString::fromStdString(cleared.bar_caption));
    status_panels_[1]->setText(QString::fromStdString(cleared.project_total));
    status_panels_[2]->setText(QString::fromStdString(cleared.file_count));
    capacity_bar_->setValue(0);
}

void MainWindow::recompute_capacity_display()
{
    if (compilation_.empty())
        return;
    capacity_ = recompute_capacity(*burn_cd_, compilation_, texts_, current_number_format());
    status_panels_[1]->setText(QString::fromStdString(capacity_.project_total));
    status_panels_[2]->setText(QString::fromStdString(capacity_.file_count));
    capacity_bar_->setValue(capacity_.percent_700);
    capacity_bar_->setFormat(QString::fromStdString(capacity_.bar_caption));
}

} // namespace valmuri
