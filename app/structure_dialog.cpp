#include "app/structure_dialog.h"

#include "app/core/track_row.h"
#include "app/dialog_header.h"
#include "app/message_box.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace valmuri {

namespace {
QString qtext(const TranslationTable& texts, int n)
{
    return QString::fromStdString(texts[n]);
}

QTableWidget* make_list(QWidget* parent, const TranslationTable& texts, const char* name, QColor background)
{
    auto* list = new QTableWidget(0, 4, parent);
    list->setObjectName(name);
    list->setHorizontalHeaderLabels({qtext(texts, 72), qtext(texts, 73), qtext(texts, 74), qtext(texts, 75)});
    list->verticalHeader()->hide();
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setColumnWidth(0, 44);
    list->setColumnWidth(1, 150);
    list->setColumnWidth(2, 70);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, background);
    list->setPalette(palette);
    return list;
}
} // namespace

StructureDialog::StructureDialog(const TranslationTable& texts, const Compilation& compilation, QWidget* parent)
    : QDialog(parent), texts_(texts), compilation_(compilation), editor_(compilation)
{
    setObjectName("form_estrutura");
    setWindowTitle(qtext(texts, 38));
    resize(671, 539);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->addWidget(make_dialog_header(this, qtext(texts, 38), qtext(texts, 48)));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 6, 10, 0);
    QFont bold = font();
    bold.setBold(true);
    auto* n01 = new QLabel(qtext(texts, 197), this);
    n01->setObjectName("n01");
    n01->setFont(bold);
    body->addWidget(n01);
    music_01_ = make_list(this, texts, "music_01", QColor(235, 255, 215));
    music_01_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    body->addWidget(music_01_, 1);
    auto* n02 = new QLabel(qtext(texts, 198), this);
    n02->setObjectName("n02");
    n02->setFont(bold);
    body->addWidget(n02);
    music_02_ = make_list(this, texts, "music_02", QColor(221, 244, 255));
    music_02_->setSelectionMode(QAbstractItemView::SingleSelection);
    body->addWidget(music_02_, 1);
    auto* msg1 = new QLabel(qtext(texts, 199), this);
    msg1->setObjectName("msg1");
    msg1->setWordWrap(true);
    msg1->setForegroundRole(QPalette::PlaceholderText);
    body->addWidget(msg1);
    layout->addLayout(body, 1);

    const OkCloseRow buttons = make_ok_close_row(this, qtext(texts, 150), qtext(texts, 44), 10);
    connect(buttons.ok, &QPushButton::clicked, this, &StructureDialog::aplicar);
    layout->addLayout(buttons.layout);

    // Pressing on a selected row keeps the selection, so several rows can
    // be dragged at once; the drag itself is this dialog's own.
    music_01_->setDragEnabled(true);
    music_02_->setDragEnabled(true);
    music_01_->viewport()->installEventFilter(this);
    music_02_->viewport()->installEventFilter(this);
    refill();
}

void StructureDialog::fill(QTableWidget* list, const std::vector<std::string>& rows)
{
    list->clearSelection();
    list->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(row_field(rows[std::size_t(r)], c + 1)));
            list->setItem(r, c, item);
        }
}

void StructureDialog::refill()
{
    fill(music_01_, editor_.current_rows());
    fill(music_02_, editor_.new_rows());
}

bool StructureDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* list = watched == music_01_->viewport() ? music_01_ : watched == music_02_->viewport() ? music_02_ : nullptr;
    if (!list)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            press(list, mouse->position().toPoint());
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (pressed_list_) {
            move(list->viewport()->mapToGlobal(mouse->position().toPoint()));
            if (drag_source_)
                return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && pressed_list_) {
            bool dragging = drag_source_ != nullptr;
            release(list->viewport()->mapToGlobal(mouse->position().toPoint()));
            if (dragging)
                return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void StructureDialog::press(QTableWidget* list, QPoint viewport_pos)
{
    drag_source_ = nullptr;
    dragged_row_ = list->rowAt(viewport_pos.y());
    pressed_list_ = dragged_row_ >= 0 ? list : nullptr;
    press_pos_ = viewport_pos;
}

QTableWidget* StructureDialog::list_at(QPoint global_pos) const
{
    for (QTableWidget* list : {music_01_, music_02_}) {
        QWidget* viewport = list->viewport();
        if (viewport->rect().contains(viewport->mapFromGlobal(global_pos)))
            return list;
    }
    return nullptr;
}

int StructureDialog::row_at(QTableWidget* list, QPoint global_pos) const
{
    return list->rowAt(list->viewport()->mapFromGlobal(global_pos).y());
}

void StructureDialog::move(QPoint global_pos)
{
    if (!drag_source_) {
        QPoint local = pressed_list_->viewport()->mapFromGlobal(global_pos);
        if ((local - press_pos_).manhattanLength() < QApplication::startDragDistance())
            return;
        drag_source_ = pressed_list_;
        if (drag_source_ == music_02_)
            music_02_->selectRow(dragged_row_);
    }
    // Inside "Nova Estrutura" the dragged row travels with the mouse,
    // exchanging places with the row it comes onto.
    if (drag_source_ == music_02_ && list_at(global_pos) == music_02_) {
        int over = row_at(music_02_, global_pos);
        if (over >= 0 && over != dragged_row_) {
            dragged_row_ = editor_.drag_over(dragged_row_, over);
            fill(music_02_, editor_.new_rows());
            music_02_->selectRow(dragged_row_);
        }
    }
}

void StructureDialog::release(QPoint global_pos)
{
    QTableWidget* source = drag_source_;
    drag_source_ = nullptr;
    pressed_list_ = nullptr;
    if (!source)
        return;
    QTableWidget* target = list_at(global_pos);
    if (target == music_02_ && source == music_02_) {
        int at = row_at(music_02_, global_pos);
        if (at < 0)
            at = music_02_->rowCount();
        int row = editor_.drop_in_new(dragged_row_, at);
        fill(music_02_, editor_.new_rows());
        music_02_->selectRow(row);
    } else if (target == music_02_ && source == music_01_) {
        std::vector<int> rows;
        for (const QModelIndex& index : music_01_->selectionModel()->selectedRows())
            rows.push_back(index.row());
        if (rows.empty())
            return;
        editor_.move_to_new(rows);
        refill();
        if (music_02_->rowCount() > 0)
            music_02_->scrollToBottom();
    } else if (target == music_01_ && source == music_02_) {
        if (dragged_row_ < 0 || dragged_row_ >= static_cast<int>(editor_.new_rows().size()))
            return;
        editor_.move_back(dragged_row_);
        refill();
    }
    dragged_row_ = -1;
}

void StructureDialog::aplicar()
{
    if (editor_.drops_rows(compilation_)) {
        bool yes = false;
        if (OnConfirmDrop) {
            yes = OnConfirmDrop();
        } else {
            QMessageBox box(QMessageBox::Question, QString::fromLatin1(kProgramTitle), qtext(texts_, 200),
                            QMessageBox::Yes | QMessageBox::No, this);
            yes = box.exec() == QMessageBox::Yes;
        }
        if (!yes) {
            reject();
            return;
        }
    }
    confirmed_ = true;
    accept();
}

bool run_structure_editor(QWidget* parent, const TranslationTable& texts, Compilation& compilation)
{
    StructureDialog dialog(texts, compilation, parent);
    if (dialog.exec() != QDialog::Accepted || !dialog.apply_confirmed())
        return false;
    dialog.editor().apply(compilation);
    return true;
}

} // namespace valmuri
