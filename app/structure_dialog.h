#pragma once
// The structure editor (Tform_estrutura): "Estrutura Atual" (music_01) holds
// a copy of the track rows, "Nova Estrutura" (music_02) starts empty. Rows are
// dragged from the first list to the second in the order wanted, reordered
// inside the second one, or dragged back. "Aplicar" (btok) makes the second
// list the compilation's track list.
//
// A drag is the mouse pressed on a row and moved; while the button is held
// the mouse stays with the list it was pressed in, so the list under the
// mouse is found from its position.

#include "app/core/structure_editor.h"
#include "app/core/translation_table.h"

#include <QDialog>

#include <functional>

class QTableWidget;

namespace valmuri {

class StructureDialog : public QDialog {
    Q_OBJECT
public:
    StructureDialog(const TranslationTable& texts, const Compilation& compilation, QWidget* parent = nullptr);

    const StructureEditor& editor() const { return editor_; }
    QTableWidget* current_list() const { return music_01_; }
    QTableWidget* new_list() const { return music_02_; }

    // Asked before "Aplicar" drops rows; true goes on. Without it the a200
    // question is shown.
    std::function<bool()> OnConfirmDrop;
    // Whether the rows go to the compilation: true after "Aplicar" was
    // confirmed (also when the a200 question was answered Yes).
    bool apply_confirmed() const { return confirmed_; }

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void press(QTableWidget* list, QPoint viewport_pos);
    void move(QPoint global_pos);
    void release(QPoint global_pos);
    // The list whose viewport holds global_pos, or nullptr.
    QTableWidget* list_at(QPoint global_pos) const;
    // The row under global_pos in list, or -1.
    int row_at(QTableWidget* list, QPoint global_pos) const;
    void fill(QTableWidget* list, const std::vector<std::string>& rows);
    void refill();
    void aplicar();

    const TranslationTable& texts_;
    const Compilation& compilation_;
    StructureEditor editor_;
    QTableWidget* music_01_ = nullptr;
    QTableWidget* music_02_ = nullptr;
    // The list the current drag started from (nullptr: no drag).
    QTableWidget* drag_source_ = nullptr;
    QTableWidget* pressed_list_ = nullptr;
    QPoint press_pos_;
    int dragged_row_ = -1;
    bool confirmed_ = false;
};

// The structure editor command: true when the compilation's rows were replaced
// (the caller recomputes the capacity).
bool run_structure_editor(QWidget* parent, const TranslationTable& texts, Compilation& compilation);

} // namespace valmuri
