#pragma once
// Project files (*.vlm): an INI part, an empty line and the track rows, with
// CR LF line ends:
//
//   [Projeto]          opcao01 ... opcao05
//   [LER]              INICIO = number of the first row line, FIM = of the
//                      last, counting the file's lines from 0
//   (empty line)
//   rows, one per line
//
// An empty project has FIM = INICIO - 1. Readers take LF line ends too.

#include "app/core/compilation.h"
#include "app/core/project_options.h"
#include "app/core/translation_table.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace valmuri {

struct ProjectContent {
    ProjectOptions options;
    std::vector<std::string> rows;
};

// Project files this program writes stay far below this; a larger file is
// refused before it is read.
constexpr std::uintmax_t kMaxProjectFileBytes = 32u << 20;

enum class ProjectReadError {
    None,
    CannotRead, // detail holds the system's reason
    NotAProject // LER keys missing, not numbers, outside the file, or too large
};

struct ProjectRead {
    ProjectReadError error = ProjectReadError::None;
    std::string detail;
    ProjectContent content;
    bool ok() const { return error == ProjectReadError::None; }
};

// The exact bytes of a project file.
std::string project_file_text(const ProjectContent& content);
ProjectRead parse_project_text(std::string_view bytes);
ProjectRead read_project_file(const std::filesystem::path& path);
// Writes atomically; empty on success, else the system's reason.
std::string write_project_file(const std::filesystem::path& path, const ProjectContent& content);

// The message for a failed read: a222 or a224, naming the file.
std::string project_read_message(const ProjectRead& read, const std::filesystem::path& path,
                                 const TranslationTable& texts);
// The message for a failed save: a223.
std::string file_save_message(const std::filesystem::path& path, const std::string& reason,
                              const TranslationTable& texts);

// Opens a project into the compilation: options, rows as stored, and the
// project file. On failure the compilation is untouched and the result says
// why. The caller recomputes the capacity.
ProjectRead open_project(Compilation& compilation, const std::filesystem::path& path);
// Saves the compilation and binds it to path; empty on success.
std::string save_project(Compilation& compilation, const std::filesystem::path& path);

// Whether dropping the compilation needs the save question, and which one.
enum class UnsavedQuestion {
    None,
    NewProject, // a102
    ProjectFile // a103 with the file's name
};
// A never-saved compilation counts as changed when its options differ from
// the defaults or it has rows; a saved one when the file on disk (read
// again) holds other options or rows.
UnsavedQuestion unsaved_changes(const Compilation& compilation);
std::string unsaved_question_text(UnsavedQuestion question, const Compilation& compilation,
                                  const TranslationTable& texts);

// "Valmuri MP3 1.0a" or "Valmuri MP3 1.0a - NAME.vlm".
std::string project_window_title(const Compilation& compilation);

} // namespace valmuri
