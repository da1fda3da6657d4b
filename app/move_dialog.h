#pragma once
// The move dialog (Tform_mover): asks for the track number a track moves to.

#include "app/core/compilation.h"
#include "app/core/translation_table.h"

#include <QDialog>

class QSpinBox;

namespace valmuri {

class MoveDialog : public QDialog {
    Q_OBJECT
public:
    // faixa_mp3 takes 1 ... row_count and starts at number.
    MoveDialog(const TranslationTable& texts, int number, int row_count, QWidget* parent = nullptr);
    int number() const;

private:
    QSpinBox* field_ = nullptr;
};

// The move command on the row at index: true when the row moved (the
// compilation renumbers). Returns the row's new index, or -1 on Cancel.
int run_move(QWidget* parent, const TranslationTable& texts, Compilation& compilation, int index);

} // namespace valmuri
