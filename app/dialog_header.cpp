#include "app/dialog_header.h"

#include "app/program_icons.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace valmuri {

QWidget* make_dialog_header(QWidget* parent, const QString& caption, const QString& comment)
{
    auto* header = new QFrame(parent);
    header->setObjectName("header");
    header->setAutoFillBackground(true);
    header->setStyleSheet(QStringLiteral("QFrame#header { background: white; border-bottom: 1px solid rgb(200,200,200); }"));
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(12, 8, 12, 8);
    auto* texts = new QVBoxLayout;
    auto* title = new QLabel(caption, header);
    title->setObjectName("header_caption");
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* note = new QLabel(comment, header);
    note->setObjectName("header_comment");
    note->setWordWrap(true);
    note->setIndent(8);
    texts->addWidget(title);
    texts->addWidget(note);
    layout->addLayout(texts, 1);
    auto* picture = new QLabel(header);
    picture->setPixmap(program_icon().pixmap(40, 40));
    layout->addWidget(picture, 0, Qt::AlignTop);
    return header;
}

OkCloseRow make_ok_close_row(QDialog* dialog, const QString& ok_caption, const QString& close_caption, int margin)
{
    OkCloseRow row;
    row.layout = new QHBoxLayout;
    row.layout->setContentsMargins(margin, 0, margin, 0);
    row.layout->addStretch();
    row.ok = new QPushButton(ok_caption, dialog);
    row.ok->setObjectName("btok");
    row.ok->setDefault(true);
    auto* close = new QPushButton(close_caption, dialog);
    close->setObjectName("btfechar");
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::reject);
    row.layout->addWidget(row.ok);
    row.layout->addWidget(close);
    return row;
}

} // namespace valmuri
