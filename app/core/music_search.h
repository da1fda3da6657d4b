#pragma once
// The music search: rows whose whole text (number, disc name, size, path)
// holds the searched text, both case folded with the full Unicode tables.

#include "app/core/compilation.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace valmuri {

// The matching rows' texts in list order; progress(i * 100 / n) before row i.
std::vector<std::string> search_rows(const Compilation& compilation, std::string_view text,
                                     const std::function<void(int percent)>& progress = {});

// The track-list row a search result points at: row t - 1 for its track
// number t when that row still has the result's disc name (a-z folded);
// else -1.
int row_of_search_result(const Compilation& compilation, std::string_view result_row);

} // namespace valmuri
