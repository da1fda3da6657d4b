#pragma once
// The header band of the program's dialogs: a bold title over a comment.

#include <QString>

class QWidget;

namespace valmuri {

QWidget* make_dialog_header(QWidget* parent, const QString& caption, const QString& comment);

} // namespace valmuri
