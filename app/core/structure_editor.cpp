#include "app/core/structure_editor.h"

#include <algorithm>

namespace valmuri {

void renumber_rows(std::vector<std::string>& rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = make_row(pad_number(static_cast<std::int64_t>(i) + 1), row_field(rows[i], 2), row_field(rows[i], 3),
                           row_field(rows[i], 4));
}

void StructureEditor::move_to_new(std::vector<int> current_indexes)
{
    std::sort(current_indexes.begin(), current_indexes.end());
    current_indexes.erase(std::unique(current_indexes.begin(), current_indexes.end()), current_indexes.end());
    std::erase_if(current_indexes, [this](int i) { return i < 0 || i >= static_cast<int>(current_.size()); });
    if (current_indexes.empty())
        return;
    for (int i : current_indexes)
        new_.push_back(current_[static_cast<std::size_t>(i)]);
    for (auto it = current_indexes.rbegin(); it != current_indexes.rend(); ++it)
        current_.erase(current_.begin() + *it);
    renumber_rows(new_);
}

int StructureEditor::drag_over(int dragged, int over)
{
    const int n = static_cast<int>(new_.size());
    if (dragged < 0 || dragged >= n || over < 0 || over >= n || over == dragged)
        return dragged;
    std::swap(new_[static_cast<std::size_t>(dragged)], new_[static_cast<std::size_t>(over)]);
    return over;
}

int StructureEditor::drop_in_new(int dragged, int at)
{
    const int n = static_cast<int>(new_.size());
    if (dragged < 0 || dragged >= n)
        return dragged;
    at = std::clamp(at, 0, n);
    // Insert a copy at `at`, then remove the row from its former place.
    std::string row = new_[static_cast<std::size_t>(dragged)];
    new_.insert(new_.begin() + at, std::move(row));
    const int old = at <= dragged ? dragged + 1 : dragged;
    new_.erase(new_.begin() + old);
    renumber_rows(new_);
    return at <= dragged ? at : at - 1;
}

void StructureEditor::move_back(int new_index)
{
    if (new_index < 0 || new_index >= static_cast<int>(new_.size()))
        return;
    current_.push_back(new_[static_cast<std::size_t>(new_index)]);
    new_.erase(new_.begin() + new_index);
    renumber_rows(current_);
    renumber_rows(new_);
}

} // namespace valmuri
