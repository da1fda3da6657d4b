#include "app/core/project_options.h"

#include "platform/text.h"

namespace valmuri {

bool parse_option_bool(std::string_view text, bool default_value)
{
    const std::string value = trim(text);
    if (equals_ignore_ascii_case(value, "true") || value == "-1" || value == "1")
        return true;
    if (equals_ignore_ascii_case(value, "false") || value == "0")
        return false;
    return default_value;
}

std::string option_text(const ProjectOptions& options, int n)
{
    switch (n) {
    case 1: return options.cd_title;
    case 2: return option_bool_text(options.autorun);
    case 3: return option_bool_text(options.finalize);
    case 4: return option_bool_text(options.eject);
    case 5: return options.comments;
    default: return {};
    }
}

void set_option_text(ProjectOptions& options, int n, std::string_view text)
{
    const ProjectOptions defaults;
    switch (n) {
    case 1: options.cd_title = std::string(text); break;
    case 2: options.autorun = parse_option_bool(text, defaults.autorun); break;
    case 3: options.finalize = parse_option_bool(text, defaults.finalize); break;
    case 4: options.eject = parse_option_bool(text, defaults.eject); break;
    case 5: options.comments = std::string(text); break;
    default: break;
    }
}

} // namespace valmuri
