#pragma once
// Texts of the capacity display for an empty track list.

#include "app/core/translation_table.h"

#include <string>

namespace valmuri {

struct CapacityTexts {
    std::string project_total; // status panel 1
    std::string file_count;    // status panel 2
    std::string bar_caption;   // caption of the free-space bar
};

CapacityTexts empty_capacity_texts(const TranslationTable& texts);
// The same after "Limpar Lista", which has formats of its own (two blanks
// on each side of "/").
CapacityTexts cleared_capacity_texts(const TranslationTable& texts);

// The language notice: a104 language, a105 author, then a206.
std::string language_notice_text(const TranslationTable& texts, const std::string& language,
                                 const std::string& author);

} // namespace valmuri
