#pragma once
// The structure editor's two lists: "Estrutura Atual" (a copy of the track
// rows) and "Nova Estrutura" (empty at first). Rows move between them and
// inside the new list; apply() hands the new list to the compilation.

#include "app/core/compilation.h"

#include <string>
#include <vector>

namespace valmuri {

class StructureEditor {
public:
    explicit StructureEditor(const Compilation& compilation) : current_(compilation.rows()) {}

    const std::vector<std::string>& current_rows() const { return current_; }
    const std::vector<std::string>& new_rows() const { return new_; }

    // Appends the given rows of the current list (in list order, whatever
    // the order given) to the new list, removes them from the current list
    // and renumbers the new list. The current list keeps its numbers.
    void move_to_new(std::vector<int> current_indexes);
    // A drag inside the new list passing over row `over`: the dragged row
    // exchanges places with it. Returns the dragged row's new index.
    int drag_over(int dragged, int over);
    // Drop inside the new list at position `at` (new_rows().size() below the
    // last row): the dragged row moves there; renumbers.
    int drop_in_new(int dragged, int at);
    // Drag back: the row of the new list goes to the end of the current
    // list; both lists are renumbered.
    void move_back(int new_index);

    // Whether apply() drops rows (the a200 question).
    bool drops_rows(const Compilation& compilation) const
    {
        return static_cast<int>(new_.size()) != compilation.row_count();
    }
    // The compilation's rows become the new list's rows. The caller
    // recomputes the capacity.
    void apply(Compilation& compilation) const { compilation.set_rows(new_); }

private:
    std::vector<std::string> current_;
    std::vector<std::string> new_;
};

// Every row rebuilt as pad(i + 1);field 2;field 3;field 4.
void renumber_rows(std::vector<std::string>& rows);

} // namespace valmuri
