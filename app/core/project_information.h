#pragma once
// The exported track list and the figures of the project-information dialog.

#include "app/core/capacity.h"
#include "app/core/compilation.h"
#include "app/core/translation_table.h"

#include <filesystem>
#include <string>
#include <vector>

namespace valmuri {

// "NNN. disc name" per row, CR LF line ends.
std::string export_list_text(const Compilation& compilation);
// Writes the list atomically; empty on success, else the system's reason.
std::string write_export_list(const std::filesystem::path& path, const Compilation& compilation);

struct ProjectInformation {
    std::string tracks;     // m01
    std::string total;      // m02: the text of status panel 1
    std::string free_650;   // m03
    std::string free_700;   // m04
    std::string gauge_650;  // g01
    std::string gauge_700;  // g02
    int percent_650 = 0;
    int percent_700 = 0;
};

// From the figures of the last capacity recompute (ignored for an empty
// compilation) and the current text of status panel 1.
ProjectInformation project_information(const Compilation& compilation, const CapacityFigures& last,
                                       const std::string& project_total, const TranslationTable& texts);

// Comments are stored as lines joined by "#".
std::vector<std::string> comment_lines(const std::string& comments);
std::string join_comment_lines(const std::vector<std::string>& lines);
// The CD title as the dialogs take it: at most 16 characters.
std::string cut_cd_title(const std::string& title);

} // namespace valmuri
