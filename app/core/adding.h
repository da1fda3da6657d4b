#pragma once
// The adding run: every candidate path whose name ends in ".mp3" (any letter
// case) becomes a track row; a disc name already in the list (a-z folded)
// goes to the replace question; names over 64 characters are cut and
// counted. Folders are not opened.

#include "app/core/compilation.h"
#include "app/core/translation_table.h"
#include "platform/number_format.h"

#include <string>
#include <vector>

namespace valmuri {

enum class ReplaceAnswer { Yes, YesToAll, No, Cancel };

struct ReplaceQuestion {
    std::string old_file;   // the old row's source file name
    std::string old_folder; // its folder, with a trailing "/"
    std::string new_file;
    std::string new_folder;
};

// The window answers with the replace confirmation, the command line from
// its --replace switch.
class AddingHandler {
public:
    virtual ~AddingHandler() = default;
    virtual ReplaceAnswer ask_replace(const ReplaceQuestion& question) = 0;
    // Before candidate k of n: k * 100 / n.
    virtual void progress(int /*percent*/) {}
};

struct AddingReport {
    int added = 0;
    int replaced = 0;
    int cut_count = 0;
    std::vector<std::string> kept_out;          // duplicates left out (No, or after Cancel)
    std::vector<std::string> refused_semicolon; // sources whose path holds ";"
};

// Runs the adding procedure over the candidates in order. The caller
// recomputes the capacity afterwards.
AddingReport add_files(Compilation& compilation, const std::vector<std::string>& candidates,
                       AddingHandler& handler, const NumberFormat& format);

// Whether a path is taken: its name ends in ".mp3" in any letter case.
bool is_mp3_name(std::string_view path);
// The candidate path of a file pane item: folder + "/" + item + ".mp3".
std::string file_pane_candidate(std::string_view folder, std::string_view item);

// The report of cut names (a106 for one, a107 with the count), or empty.
std::string cut_report_text(int cut_count, const TranslationTable& texts);
// The message for a source refused because its path holds ";" (a221).
std::string semicolon_refusal_text(const std::string& path, const TranslationTable& texts);

} // namespace valmuri
