#include "app/core/project_file.h"

#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "platform/text.h"

#include <charconv>

namespace valmuri {
namespace {

constexpr std::string_view kProgramTitle = "Valmuri MP3 1.0a";
constexpr int kTextNotAProject = 222;
constexpr int kTextCannotSave = 223;
constexpr int kTextCannotRead = 224;

// A value on one line: line breaks inside an option would end the INI part.
std::string one_line(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

// The file's lines without their line ends (CR LF or LF); a last line
// without a line end counts.
std::vector<std::string_view> split_lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// A whole decimal number, blanks around it allowed.
bool parse_line_number(const std::string& text, long long& value)
{
    const std::string t = trim(text);
    if (t.empty())
        return false;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    return error == std::errc() && end == t.data() + t.size();
}

} // namespace

std::string project_file_text(const ProjectContent& content)
{
    constexpr std::string_view kBreak = "\r\n";
    std::string head = "[Projeto]";
    head += kBreak;
    for (int n = 1; n <= 5; ++n)
        head += "opcao0" + std::to_string(n) + "=" + one_line(option_text(content.options, n)) + std::string(kBreak);
    head += "[LER]";
    head += kBreak;
    // The INI part has 9 lines (0 ... 8), then the empty line 9.
    const long long first = 10;
    const long long last = first + static_cast<long long>(content.rows.size()) - 1;
    std::string text = head + "INICIO=" + std::to_string(first) + std::string(kBreak) + "FIM=" + std::to_string(last) +
                       std::string(kBreak) + std::string(kBreak);
    std::size_t size = text.size();
    for (const auto& row : content.rows)
        size += row.size() + 2;
    text.reserve(size);
    for (const auto& row : content.rows) {
        text += row;
        text += kBreak;
    }
    return text;
}

ProjectRead parse_project_text(std::string_view bytes)
{
    ProjectRead read;
    const std::string text = text_from_file_bytes(bytes);
    const std::vector<std::string_view> lines = split_lines(text);
    // Read as a whole, as INI routines read it: the row lines come after the
    // LER keys, so a row holding "=" never shadows INICIO or FIM.
    const IniFile ini = IniFile::from_text(text);

    long long first = 0;
    long long last = 0;
    if (!parse_line_number(ini.read_string("LER", "INICIO", ""), first) ||
        !parse_line_number(ini.read_string("LER", "FIM", ""), last)) {
        read.error = ProjectReadError::NotAProject;
        return read;
    }
    const long long count = static_cast<long long>(lines.size());
    const bool empty_project = last == first - 1;
    const bool rows_inside = first >= 1 && first <= last && last < count;
    if ((!empty_project && !rows_inside) || first < 1 || first > count) {
        read.error = ProjectReadError::NotAProject;
        return read;
    }
    for (int n = 1; n <= 5; ++n)
        set_option_text(read.content.options, n, ini.read_string("Projeto", "opcao0" + std::to_string(n), ""));
    if (!empty_project) {
        read.content.rows.reserve(static_cast<std::size_t>(last - first + 1));
        for (long long i = first; i <= last; ++i)
            read.content.rows.emplace_back(lines[static_cast<std::size_t>(i)]);
    }
    return read;
}

ProjectRead read_project_file(const std::filesystem::path& path)
{
    const FileBytes file = read_file_bytes(path, kMaxProjectFileBytes);
    ProjectRead read;
    if (file.too_large) {
        read.error = ProjectReadError::NotAProject;
        return read;
    }
    if (!file.error.empty()) {
        read.error = ProjectReadError::CannotRead;
        read.detail = file.error;
        return read;
    }
    return parse_project_text(file.bytes);
}

std::string write_project_file(const std::filesystem::path& path, const ProjectContent& content)
{
    return write_file_atomically(path, project_file_text(content));
}

std::string project_read_message(const ProjectRead& read, const std::filesystem::path& path,
                                 const TranslationTable& texts)
{
    switch (read.error) {
    case ProjectReadError::None: return {};
    case ProjectReadError::CannotRead:
        return replace_placeholders(texts[kTextCannotRead], {path.string(), read.detail});
    case ProjectReadError::NotAProject: return replace_placeholders(texts[kTextNotAProject], {path.string()});
    }
    return {};
}

std::string file_save_message(const std::filesystem::path& path, const std::string& reason,
                              const TranslationTable& texts)
{
    return replace_placeholders(texts[kTextCannotSave], {path.string(), reason});
}

ProjectRead open_project(Compilation& compilation, const std::filesystem::path& path)
{
    ProjectRead read = read_project_file(path);
    if (!read.ok())
        return read;
    compilation.set_project_file(path);
    compilation.set_options(read.content.options);
    compilation.set_rows(std::move(read.content.rows));
    read.content.rows.clear();
    return read;
}

std::string save_project(Compilation& compilation, const std::filesystem::path& path)
{
    const ProjectContent content{compilation.options(), compilation.rows()};
    std::string error = write_project_file(path, content);
    if (error.empty())
        compilation.set_project_file(path);
    return error;
}

UnsavedQuestion unsaved_changes(const Compilation& compilation)
{
    if (compilation.project_file().empty())
        return compilation.options().is_default() && compilation.empty() ? UnsavedQuestion::None
                                                                          : UnsavedQuestion::NewProject;
    const ProjectRead read = read_project_file(compilation.project_file());
    const bool same = read.ok() && read.content.options == compilation.options() &&
                      read.content.rows == compilation.rows();
    return same ? UnsavedQuestion::None : UnsavedQuestion::ProjectFile;
}

std::string unsaved_question_text(UnsavedQuestion question, const Compilation& compilation,
                                  const TranslationTable& texts)
{
    switch (question) {
    case UnsavedQuestion::None: return {};
    case UnsavedQuestion::NewProject: return texts[102];
    case UnsavedQuestion::ProjectFile:
        return replace_placeholders(texts[103], {compilation.project_file().filename().string()});
    }
    return {};
}

std::string project_window_title(const Compilation& compilation)
{
    if (compilation.project_file().empty())
        return std::string(kProgramTitle);
    return format_text("%s - %s", {kProgramTitle, compilation.project_file().filename().string()});
}

} // namespace valmuri
