#include "app/replace_dialog.h"

#include "app/elided_label.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace valmuri {

namespace {
QString qtext(const TranslationTable& texts, int n)
{
    return QString::fromStdString(texts[n]);
}
} // namespace

ReplaceDialog::ReplaceDialog(const TranslationTable& texts, const ReplaceQuestion& question, QWidget* parent)
    : QDialog(parent)
{
    setObjectName("form_message");
    setWindowTitle(qtext(texts, 193));
    setFixedSize(404, 196);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 10);
    auto* top = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setObjectName("imagem");
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(40, 40));
    picture->setAlignment(Qt::AlignTop);
    top->addWidget(picture);

    auto* right = new QVBoxLayout;
    auto* title = new QLabel(qtext(texts, 186), this);
    title->setObjectName("title");
    title->setWordWrap(true);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    right->addWidget(title);

    auto* files = new QGridLayout;
    files->setColumnStretch(1, 1);
    auto add_file = [&](int row, const char* caption_name, int caption, const char* file_name, const QString& file,
                        const char* folder_name, const QString& folder) {
        auto* label = new QLabel(qtext(texts, caption), this);
        label->setObjectName(caption_name);
        label->setFont(bold);
        files->addWidget(label, row, 0, 1, 2);
        auto* file_label = new ElidedLabel(file, this);
        file_label->setObjectName(file_name);
        files->addWidget(file_label, row + 1, 1);
        auto* folder_label = new ElidedLabel(folder, this);
        folder_label->setObjectName(folder_name);
        folder_label->setForegroundRole(QPalette::PlaceholderText);
        files->addWidget(folder_label, row + 2, 1);
    };
    add_file(0, "a01", 187, "file1", QString::fromStdString(question.old_file), "origem1",
             QString::fromStdString(question.old_folder));
    add_file(3, "a02", 188, "file2", QString::fromStdString(question.new_file), "origem2",
             QString::fromStdString(question.new_folder));
    files->setColumnMinimumWidth(0, 10);
    right->addLayout(files);
    top->addLayout(right, 1);
    layout->addLayout(top, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto add_button = [&](const char* name, int caption, ReplaceAnswer answer) {
        auto* button = new QPushButton(qtext(texts, caption), this);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, [this, answer] {
            answer_ = answer;
            accept();
        });
        buttons->addWidget(button);
        return button;
    };
    add_button("b01", 189, ReplaceAnswer::Yes)->setDefault(true);
    add_button("b02", 190, ReplaceAnswer::YesToAll);
    add_button("b03", 191, ReplaceAnswer::No);
    add_button("b04", 192, ReplaceAnswer::Cancel);
    layout->addLayout(buttons);
}

ReplaceAnswer ReplaceDialog::ask(const TranslationTable& texts, const ReplaceQuestion& question, QWidget* parent)
{
    ReplaceDialog dialog(texts, question, parent);
    dialog.exec();
    return dialog.answer();
}

} // namespace valmuri
