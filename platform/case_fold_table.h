#pragma once
// The Unicode full case folding table, sorted by code point.

#include <cstddef>

namespace valmuri {

struct CaseFoldEntry {
    char32_t code_point;
    char32_t folded[3]; // unused places are 0
};

extern const CaseFoldEntry case_fold_entries[];
extern const std::size_t case_fold_entry_count;

} // namespace valmuri
