#include "app/dialog_header.h"

#include "app/program_icons.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
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

} // namespace valmuri
