#include "app/message_box.h"

#include <QMessageBox>

namespace valmuri {

namespace {
NoticeHandler notice_handler;
} // namespace

void show_notice(QWidget* parent, const QString& text)
{
    if (notice_handler) {
        notice_handler(parent, text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kProgramTitle), text, QMessageBox::Ok, parent);
    box.setObjectName("notice");
    box.exec();
}

void set_notice_handler(NoticeHandler handler)
{
    notice_handler = std::move(handler);
}

} // namespace valmuri
