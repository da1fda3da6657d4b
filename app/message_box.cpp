#include "app/message_box.h"

#include <QMessageBox>

namespace valmuri {

namespace {
NoticeHandler notice_handler;
QuestionHandler question_handler;
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

QuestionAnswer ask_question(QWidget* parent, const QString& text)
{
    if (question_handler)
        return question_handler(parent, text);
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kProgramTitle), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setObjectName("question");
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return QuestionAnswer::Yes;
    case QMessageBox::No:
        return QuestionAnswer::No;
    default:
        return QuestionAnswer::Cancel;
    }
}

void set_question_handler(QuestionHandler handler)
{
    question_handler = std::move(handler);
}

} // namespace valmuri
