#include "app/move_dialog.h"

#include "app/dialog_header.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace valmuri {

namespace {
QString qtext(const TranslationTable& texts, int n)
{
    return QString::fromStdString(texts[n]);
}
QString without_mark(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}
} // namespace

MoveDialog::MoveDialog(const TranslationTable& texts, int number, int row_count, QWidget* parent) : QDialog(parent)
{
    setObjectName("form_mover");
    QString caption = without_mark(qtext(texts, 15));
    setWindowTitle(caption);
    setFixedSize(318, 211);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->addWidget(make_dialog_header(this, caption, qtext(texts, 182)));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 8, 12, 0);
    auto* label = new QLabel(caption, this);
    label->setObjectName("label01");
    body->addWidget(label);
    field_ = new QSpinBox(this);
    field_->setObjectName("faixa_mp3");
    // Whole numbers of at most three digits, kept within the list.
    field_->setRange(1, std::clamp(row_count, 1, 999));
    field_->setValue(number);
    field_->setFixedWidth(80);
    label->setBuddy(field_);
    body->addWidget(field_);
    body->addStretch();
    layout->addLayout(body, 1);

    const OkCloseRow buttons = make_ok_close_row(this, qtext(texts, 43), qtext(texts, 44), 12);
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addLayout(buttons.layout);
    field_->setFocus();
    field_->selectAll();
}

int MoveDialog::number() const
{
    return field_->value();
}

int run_move(QWidget* parent, const TranslationTable& texts, Compilation& compilation, int index)
{
    if (index < 0 || index >= compilation.row_count())
        return -1;
    MoveDialog dialog(texts, index + 1, compilation.row_count(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    int to = std::clamp(dialog.number() - 1, 0, compilation.row_count() - 1);
    compilation.move_row(index, to);
    return to;
}

} // namespace valmuri
