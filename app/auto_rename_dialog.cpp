#include "app/auto_rename_dialog.h"

#include "app/busy_window.h"
#include "platform/text.h"
#include "app/dialog_header.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
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
// The explanation texts mark their line breaks with "%".
QString with_breaks(QString text)
{
    return text.replace(QLatin1Char('%'), QLatin1Char('\n'));
}
QLabel* make_label(QWidget* parent, const QString& text, const char* name = nullptr)
{
    auto* label = new QLabel(text, parent);
    if (name)
        label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}
} // namespace

AutoRenameDialog::AutoRenameDialog(const TranslationTable& texts, QWidget* parent) : QDialog(parent)
{
    setObjectName("form_superrenomeacao");
    QString caption = without_mark(qtext(texts, 16));
    setWindowTitle(caption);
    setFixedSize(407, 391);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->addWidget(make_dialog_header(this, caption, qtext(texts, 148)));

    page_ = new QTabWidget(this);
    page_->setObjectName("page");

    // Remover
    auto* remove_tab = new QWidget(page_);
    remove_tab->setObjectName("tab001");
    auto* remove_layout = new QVBoxLayout(remove_tab);
    remove_layout->addWidget(make_label(remove_tab, qtext(texts, 151)));
    auto* entry = new QHBoxLayout;
    caractere_ = new QLineEdit(remove_tab);
    caractere_->setObjectName("caractere");
    b01_ = new QPushButton(QStringLiteral("+"), remove_tab);
    b01_->setObjectName("b01");
    b01_->setEnabled(false);
    b01_->setFixedWidth(32);
    entry->addWidget(caractere_, 1);
    entry->addWidget(b01_);
    remove_layout->addLayout(entry);
    auto* group = new QGroupBox(qtext(texts, 149), remove_tab);
    group->setObjectName("g01");
    auto* group_layout = new QVBoxLayout(group);
    group_layout->setContentsMargins(6, 4, 6, 6);
    list_ = new QListWidget(group);
    list_->setObjectName("lista_caractere");
    group_layout->addWidget(list_);
    remove_layout->addWidget(group, 1);
    remove_layout->addWidget(make_label(remove_tab, qtext(texts, 152)));
    substituir_ = new QLineEdit(remove_tab);
    substituir_->setObjectName("substituir");
    remove_layout->addWidget(substituir_);
    auto* msg = make_label(remove_tab, with_breaks(qtext(texts, 180)), "msg");
    msg->setForegroundRole(QPalette::PlaceholderText);
    remove_layout->addWidget(msg);
    page_->addTab(remove_tab, qtext(texts, 149));

    // Adicionar
    auto* add_tab = new QWidget(page_);
    add_tab->setObjectName("tab002");
    auto* add_layout = new QVBoxLayout(add_tab);
    add_layout->addWidget(make_label(add_tab, qtext(texts, 153)));
    text_add_ = new QLineEdit(add_tab);
    text_add_->setObjectName("text_add");
    add_layout->addWidget(text_add_);
    auto* options = new QGroupBox(qtext(texts, 34), add_tab);
    options->setObjectName("config_option");
    auto* options_layout = new QVBoxLayout(options);
    at_start_ = new QRadioButton(qtext(texts, 154), options);
    at_start_->setChecked(true);
    auto* at_end = new QRadioButton(qtext(texts, 155), options);
    options_layout->addWidget(at_start_);
    options_layout->addWidget(at_end);
    add_layout->addWidget(options);
    auto* label01 = make_label(add_tab, with_breaks(qtext(texts, 181)), "label01");
    label01->setForegroundRole(QPalette::PlaceholderText);
    add_layout->addWidget(label01);
    add_layout->addStretch();
    page_->addTab(add_tab, qtext(texts, 34));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 6, 10, 0);
    body->addWidget(page_, 1);
    layout->addLayout(body, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 0, 10, 0);
    buttons->addStretch();
    auto* ok = new QPushButton(qtext(texts, 43), this);
    ok->setObjectName("btok");
    // Return in caractere must not close the dialog: the text goes to the list.
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* close = new QPushButton(qtext(texts, 44), this);
    close->setObjectName("btfechar");
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(ok);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(caractere_, &QLineEdit::textChanged, this, [this](const QString& text) { b01_->setEnabled(!text.isEmpty()); });
    connect(b01_, &QPushButton::clicked, this, &AutoRenameDialog::add_text_to_list);
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { delete list_->takeItem(list_->row(item)); });
    caractere_->setFocus();
}

void AutoRenameDialog::add_text_to_list()
{
    QString text = caractere_->text();
    if (text.isEmpty())
        return;
    std::string folded = upper_ascii(text.toStdString());
    bool present = false;
    for (int i = 0; i < list_->count(); ++i)
        present = present || upper_ascii(list_->item(i)->text().toStdString()) == folded;
    if (!present)
        list_->addItem(text);
    caractere_->clear();
    caractere_->setFocus();
}

AutoRenameRequest AutoRenameDialog::request() const
{
    AutoRenameRequest request;
    if (page_->currentIndex() == 0) {
        if (list_->count() == 0)
            return request;
        request.kind = AutoRenameRequest::Kind::Remove;
        for (int i = 0; i < list_->count(); ++i)
            request.texts.push_back(list_->item(i)->text().toStdString());
        request.replacement = substituir_->text().toStdString();
    } else {
        if (text_add_->text().isEmpty())
            return request;
        request.kind = AutoRenameRequest::Kind::Add;
        request.add_text = text_add_->text().toStdString();
        request.place = at_start_->isChecked() ? AutoRenamePlace::Start : AutoRenamePlace::End;
    }
    return request;
}

bool apply_auto_rename(QWidget* main_window, const TranslationTable& texts, Compilation& compilation,
                       const std::vector<int>& indexes, const AutoRenameRequest& request)
{
    if (request.kind == AutoRenameRequest::Kind::Nothing || indexes.empty())
        return false;
    BusyWindow busy(qtext(texts, 163), main_window);
    if (request.kind == AutoRenameRequest::Kind::Remove)
        compilation.auto_rename_remove(indexes, request.texts, request.replacement);
    else
        compilation.auto_rename_add(indexes, request.add_text, request.place);
    busy.set_position(100);
    return true;
}

bool run_auto_rename(QWidget* main_window, const TranslationTable& texts, Compilation& compilation,
                     const std::vector<int>& indexes)
{
    AutoRenameDialog dialog(texts, main_window);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return apply_auto_rename(main_window, texts, compilation, indexes, dialog.request());
}

} // namespace valmuri
