#pragma once
// The replace confirmation (Tform_message): asked when a file about to be
// added has the disc name of a track already in the list.

#include "app/core/adding.h"
#include "app/core/translation_table.h"

#include <QDialog>
#include <QString>

namespace valmuri {

class ReplaceDialog : public QDialog {
    Q_OBJECT
public:
    ReplaceDialog(const TranslationTable& texts, const ReplaceQuestion& question, QWidget* parent = nullptr);
    // The button that closed the dialog; closing the window counts as Cancel.
    ReplaceAnswer answer() const { return answer_; }
    // Shows the dialog modally and returns the answer.
    static ReplaceAnswer ask(const TranslationTable& texts, const ReplaceQuestion& question, QWidget* parent);

private:
    ReplaceAnswer answer_ = ReplaceAnswer::Cancel;
};

} // namespace valmuri
