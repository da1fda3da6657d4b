#pragma once
// The header band of the program's dialogs: a bold title over a comment.

#include <QString>

class QDialog;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace valmuri {

QWidget* make_dialog_header(QWidget* parent, const QString& caption, const QString& comment);

// The button row at the foot of a dialog: the default button `btok` (the
// caller connects it) and `btfechar`, which rejects the dialog.
struct OkCloseRow {
    QHBoxLayout* layout = nullptr;
    QPushButton* ok = nullptr;
};
OkCloseRow make_ok_close_row(QDialog* dialog, const QString& ok_caption, const QString& close_caption, int margin);

} // namespace valmuri
