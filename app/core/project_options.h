#pragma once
// The five options a project carries (keys opcao01 ... opcao05 of a project
// file) as typed values. Boolean options are stored as "true"/"false";
// reading also takes other letter cases and the numbers "-1", "1" and "0"
// written by other programs, and an unknown text reads as the default.

#include <string>
#include <string_view>

namespace valmuri {

struct ProjectOptions {
    std::string cd_title = "Valmuri MP3"; // opcao01: the volume label, at most 16 characters in the dialogs
    bool autorun = true;                  // opcao02
    bool finalize = false;                // opcao03
    bool eject = true;                    // opcao04
    std::string comments;                 // opcao05: comment lines joined by "#"

    bool operator==(const ProjectOptions&) const = default;
    bool is_default() const { return *this == ProjectOptions{}; }
};

constexpr int kCdTitleLength = 16;

// "true"/"True"/"TRUE"/"-1"/"1" are true, "false"/"0" false, anything else
// the default.
bool parse_option_bool(std::string_view text, bool default_value);
inline const char* option_bool_text(bool value) { return value ? "true" : "false"; }

// The text of key opcao01 ... opcao05 (n = 1 ... 5), and the options with
// that text read into key n.
std::string option_text(const ProjectOptions& options, int n);
void set_option_text(ProjectOptions& options, int n, std::string_view text);

} // namespace valmuri
