#include "app/search_window.h"

#include "app/dialog_header.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace valmuri {

namespace {
QString qtext(const TranslationTable& texts, int n)
{
    return QString::fromStdString(texts[n]);
}
} // namespace

bool row_holds_text(const QString& row, const QString& text)
{
    return row.toUpper().contains(text.toUpper());
}

SearchWindow::SearchWindow(const TranslationTable& texts, SearchTarget& target, QWidget* main_window)
    : QWidget(main_window, Qt::Tool | Qt::WindowStaysOnTopHint), target_(target)
{
    setObjectName("form_buscar");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(377, 353);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    QWidget* header = make_dialog_header(this, QString(), QString());
    caption_ = header->findChild<QLabel*>("header_caption");
    comment_ = header->findChild<QLabel*>("header_comment");
    layout->addWidget(header);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 0);
    name_label_ = new QLabel(this);
    name_label_->setObjectName("label01");
    body->addWidget(name_label_);
    auto* line = new QHBoxLayout;
    nome_musica_ = new QLineEdit(this);
    nome_musica_->setObjectName("nome_musica");
    line->addWidget(nome_musica_, 1);
    bt_buscar_ = new QPushButton(this);
    bt_buscar_->setObjectName("bt_buscar");
    bt_buscar_->setEnabled(false);
    line->addWidget(bt_buscar_);
    body->addLayout(line);

    lista_busca_ = new QTreeWidget(this);
    lista_busca_->setObjectName("lista_busca");
    lista_busca_->setColumnCount(2);
    lista_busca_->setRootIsDecorated(false);
    lista_busca_->setSelectionMode(QAbstractItemView::SingleSelection);
    lista_busca_->setColumnWidth(0, 50);
    lista_busca_->header()->setStretchLastSection(true);
    lista_busca_->setStyleSheet(QStringLiteral("QTreeWidget#lista_busca { background: rgb(235,255,215); }"));
    body->addWidget(lista_busca_, 1);

    progresso_busca_ = new QProgressBar(this);
    progresso_busca_->setObjectName("progresso_busca");
    progresso_busca_->setRange(0, 100);
    progresso_busca_->setValue(0);
    progresso_busca_->setTextVisible(true);
    progresso_busca_->setAlignment(Qt::AlignCenter);
    progresso_busca_->setStyleSheet(QStringLiteral(
        "QProgressBar#progresso_busca { background: white; border: 1px solid rgb(160,160,160); }"
        "QProgressBar#progresso_busca::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0,"
        " stop:0 rgb(0,128,255), stop:1 white); }"));
    body->addWidget(progresso_busca_);
    total_arquivos_ = new QLabel(this);
    total_arquivos_->setObjectName("total_arquivos");
    body->addWidget(total_arquivos_);
    layout->addLayout(body, 1);

    connect(nome_musica_, &QLineEdit::textChanged, this,
            [this](const QString& text) { bt_buscar_->setEnabled(!text.isEmpty()); });
    connect(bt_buscar_, &QPushButton::clicked, this, &SearchWindow::search);
    connect(lista_busca_, &QTreeWidget::itemClicked, this, &SearchWindow::result_clicked);

    apply_texts(texts);
    show_count(0);
    if (main_window) {
        QRect frame = main_window->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
}

void SearchWindow::keyPressEvent(QKeyEvent* event)
{
    // Enter anywhere in the window (the controls pass it on) searches, as the button would.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (bt_buscar_->isEnabled())
            search();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SearchWindow::apply_texts(const TranslationTable& texts)
{
    // The caption is also a menu text; its accelerator mark has no place in a title.
    QString caption = qtext(texts, 40).remove(QRegularExpression(QStringLiteral("&(?!&)")));
    setWindowTitle(caption);
    caption_->setText(caption);
    comment_->setText(qtext(texts, 69));
    name_label_->setText(qtext(texts, 70));
    bt_buscar_->setText(qtext(texts, 40));
    lista_busca_->setHeaderLabels({qtext(texts, 72), qtext(texts, 73)});
    count_text_ = qtext(texts, 71);
    show_count(result_count());
}

void SearchWindow::show_count(int count)
{
    total_arquivos_->setText(QString(count_text_).replace(QStringLiteral("%1"), QString::number(count)));
}

int SearchWindow::result_count() const
{
    return lista_busca_->topLevelItemCount();
}

void SearchWindow::search()
{
    lista_busca_->clear();
    show_count(0);
    const QString wanted = nome_musica_->text();
    for (int i = 0; i < target_.row_count(); ++i) {
        QCoreApplication::processEvents();
        // The list may change while events run; the loop follows its length.
        int n = target_.row_count();
        if (i >= n)
            break;
        progresso_busca_->setValue(i * 100 / n);
        QString row = target_.row_text(i);
        if (!row_holds_text(row, wanted))
            continue;
        const QStringList fields = row.split(QLatin1Char(';'));
        auto* item = new QTreeWidgetItem({fields.value(0), fields.value(1)});
        item->setData(0, Qt::UserRole, row);
        item->setTextAlignment(0, Qt::AlignCenter);
        lista_busca_->addTopLevelItem(item);
    }
    progresso_busca_->setValue(100);
    show_count(result_count());
}

void SearchWindow::result_clicked()
{
    if (QTreeWidgetItem* current = lista_busca_->currentItem())
        target_.show_result(current->data(0, Qt::UserRole).toString());
}

} // namespace valmuri
