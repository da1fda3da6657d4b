#include "app/rename_dialog.h"

#include "app/dialog_header.h"
#include "app/message_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

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

RenameDialog::RenameDialog(const TranslationTable& texts, const QString& name, QWidget* parent) : QDialog(parent)
{
    setObjectName("form_renomear");
    setWindowTitle(without_mark(qtext(texts, 14)));
    setFixedSize(318, 211);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->addWidget(make_dialog_header(this, without_mark(qtext(texts, 14)), qtext(texts, 41)));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 8, 12, 0);
    auto* label = new QLabel(qtext(texts, 42), this);
    label->setObjectName("label01");
    body->addWidget(label);
    field_ = new QLineEdit(name, this);
    field_->setObjectName("file_renomear");
    field_->setMaxLength(64);
    field_->selectAll();
    label->setBuddy(field_);
    body->addWidget(field_);
    body->addStretch();
    layout->addLayout(body, 1);

    const OkCloseRow buttons = make_ok_close_row(this, qtext(texts, 43), qtext(texts, 44), 12);
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addLayout(buttons.layout);
    field_->setFocus();
}

QString RenameDialog::name() const
{
    return field_->text();
}

QString rename_refusal_text(const TranslationTable& texts, EditResult result)
{
    switch (result) {
    case EditResult::NameTaken:
        return qtext(texts, 108);
    case EditResult::EmptyName:
        return qtext(texts, 220);
    case EditResult::HasSemicolon:
        return qtext(texts, 250);
    case EditResult::Done:
    case EditResult::NoSuchRow:
        break;
    }
    return {};
}

EditResult run_rename(QWidget* parent, const TranslationTable& texts, Compilation& compilation, int index)
{
    if (index < 0 || index >= compilation.row_count())
        return EditResult::NoSuchRow;
    RenameDialog dialog(texts, QString::fromStdString(compilation.disc_name(index)), parent);
    if (dialog.exec() != QDialog::Accepted)
        return EditResult::NoSuchRow;
    EditResult result = compilation.rename(index, dialog.name().toStdString());
    QString refusal = rename_refusal_text(texts, result);
    if (!refusal.isEmpty())
        show_notice(parent, refusal);
    return result;
}

} // namespace valmuri
