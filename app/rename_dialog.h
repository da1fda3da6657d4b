#pragma once
// The rename dialog (Tform_renomear): asks for a track's new disc name.

#include "app/core/compilation.h"
#include "app/core/translation_table.h"

#include <QDialog>
#include <QString>

class QLineEdit;

namespace valmuri {

class RenameDialog : public QDialog {
    Q_OBJECT
public:
    RenameDialog(const TranslationTable& texts, const QString& name, QWidget* parent = nullptr);
    // The text in file_renomear as entered (the compilation trims it).
    QString name() const;

private:
    QLineEdit* field_ = nullptr;
};

// The rename command on the row at index: shows the dialog filled with the
// row's disc name and hands the answer to the compilation. A refused name
// is reported with a notice and the row stays as it was. Returns what the
// compilation said; Cancel gives NoSuchRow without any change.
EditResult run_rename(QWidget* parent, const TranslationTable& texts, Compilation& compilation, int index);

// The notice text for a refused rename, or an empty text for Done.
QString rename_refusal_text(const TranslationTable& texts, EditResult result);

} // namespace valmuri
