#include "platform/ini_file.h"

#include "platform/atomic_file.h"
#include "platform/text.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace valmuri {

namespace {

std::string trim_blanks(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t'))
        ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t' || text[last - 1] == '\r'))
        --last;
    return std::string(text.substr(first, last - first));
}

// Parses a whole number: optional sign, then decimal digits, or hex after
// "$" or "0x". Blanks around it are allowed; anything else fails.
std::optional<std::int64_t> parse_integer(std::string_view text, std::int64_t min, std::int64_t max)
{
    std::string value = trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < value.size() && value[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < value.size() && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= value.size())
        return std::nullopt;
    // Accumulate as a negative number so that the minimum fits.
    std::int64_t result = 0;
    for (; i < value.size(); ++i) {
        char c = value[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        if (result < (INT64_MIN + digit) / base)
            return std::nullopt;
        result = result * base - digit;
    }
    if (!negative) {
        if (result == INT64_MIN)
            return std::nullopt;
        result = -result;
    }
    if (result < min || result > max)
        return std::nullopt;
    return result;
}

} // namespace

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) {}

IniFile IniFile::from_text(std::string_view text)
{
    IniFile file{std::filesystem::path()};
    file.in_memory_ = true;
    file.parse(text_from_file_bytes(text));
    file.loaded_ = true;
    return file;
}

bool IniFile::exists() const
{
    if (in_memory_)
        return true;
    std::error_code ec;
    return std::filesystem::is_regular_file(path_, ec);
}

void IniFile::refresh() const
{
    if (in_memory_ || (holding_ && loaded_))
        return;
    struct stat info {};
    bool present = ::stat(path_.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    std::filesystem::file_time_type time{};
    std::uintmax_t size = 0;
    std::uintmax_t inode = 0;
    if (present) {
        std::error_code ec;
        time = std::filesystem::last_write_time(path_, ec);
        size = static_cast<std::uintmax_t>(info.st_size);
        inode = static_cast<std::uintmax_t>(info.st_ino);
    }
    if (loaded_ && present == loaded_existed_ && time == loaded_time_ && size == loaded_size_
        && inode == loaded_inode_)
        return;
    std::string content;
    if (present) {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream buffer;
        buffer << in.rdbuf();
        content = buffer.str();
    }
    parse(text_from_file_bytes(content));
    loaded_ = true;
    loaded_existed_ = present;
    loaded_time_ = time;
    loaded_size_ = size;
    loaded_inode_ = inode;
}

void IniFile::parse(const std::string& content) const
{
    lines_.clear();
    line_break_.clear();
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find('\n', pos);
        std::size_t next = end == std::string::npos ? content.size() : end + 1;
        std::size_t stop = end == std::string::npos ? content.size() : end;
        if (end != std::string::npos && line_break_.empty())
            line_break_ = (stop > pos && content[stop - 1] == '\r') ? "\r\n" : "\n";
        if (stop > pos && content[stop - 1] == '\r')
            --stop;
        Line line;
        line.text = content.substr(pos, stop - pos);
        std::string trimmed = trim_blanks(line.text);
        if (!trimmed.empty() && trimmed.front() == '[') {
            std::size_t close = trimmed.find(']');
            if (close != std::string::npos) {
                line.is_section = true;
                line.section = trim_blanks(std::string_view(trimmed).substr(1, close - 1));
            }
        } else if (!trimmed.empty() && trimmed.front() != ';') {
            std::size_t equals = trimmed.find('=');
            if (equals != std::string::npos) {
                line.key = trim_blanks(std::string_view(trimmed).substr(0, equals));
                line.is_pair = !line.key.empty();
            }
        }
        lines_.push_back(std::move(line));
        pos = next;
    }
    if (line_break_.empty())
        line_break_ = new_file_line_break_;
}

std::optional<std::size_t> IniFile::find_section(std::string_view section) const
{
    std::string wanted = trim_blanks(section);
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].is_section && equals_ignore_ascii_case(lines_[i].section, wanted))
            return i;
    return std::nullopt;
}

std::size_t IniFile::section_end(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < lines_.size() && !lines_[i].is_section)
        ++i;
    return i;
}

std::optional<std::size_t> IniFile::find_key(std::size_t header, std::string_view key) const
{
    std::string wanted = trim_blanks(key);
    std::size_t end = section_end(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].is_pair && equals_ignore_ascii_case(lines_[i].key, wanted))
            return i;
    return std::nullopt;
}

std::string IniFile::read_string(std::string_view section, std::string_view key,
                                 std::string_view default_value) const
{
    refresh();
    auto header = find_section(section);
    if (!header)
        return std::string(default_value);
    auto line = find_key(*header, key);
    if (!line)
        return std::string(default_value);
    const std::string& text = lines_[*line].text;
    return trim_blanks(std::string_view(text).substr(text.find('=') + 1));
}

int IniFile::read_integer(std::string_view section, std::string_view key, int default_value) const
{
    if (!value_exists(section, key))
        return default_value;
    auto value = parse_integer(read_string(section, key), INT_MIN, INT_MAX);
    return value ? static_cast<int>(*value) : default_value;
}

std::int64_t IniFile::read_int64(std::string_view section, std::string_view key,
                                 std::int64_t default_value) const
{
    if (!value_exists(section, key))
        return default_value;
    auto value = parse_integer(read_string(section, key), INT64_MIN, INT64_MAX);
    return value ? *value : default_value;
}

bool IniFile::read_bool(std::string_view section, std::string_view key, bool default_value) const
{
    return read_integer(section, key, default_value ? 1 : 0) != 0;
}

bool IniFile::section_exists(std::string_view section) const
{
    refresh();
    return find_section(section).has_value();
}

bool IniFile::value_exists(std::string_view section, std::string_view key) const
{
    refresh();
    auto header = find_section(section);
    return header && find_key(*header, key);
}

std::vector<std::string> IniFile::read_section(std::string_view section) const
{
    std::vector<std::string> keys;
    for (auto& pair : read_section_values(section))
        keys.push_back(std::move(pair.first));
    return keys;
}

std::vector<std::pair<std::string, std::string>> IniFile::read_section_values(std::string_view section) const
{
    refresh();
    std::vector<std::pair<std::string, std::string>> values;
    auto header = find_section(section);
    if (!header)
        return values;
    std::size_t end = section_end(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (!lines_[i].is_pair)
            continue;
        bool seen = false;
        for (const auto& existing : values)
            seen = seen || equals_ignore_ascii_case(existing.first, lines_[i].key);
        if (seen)
            continue;
        const std::string& text = lines_[i].text;
        values.emplace_back(lines_[i].key, trim_blanks(std::string_view(text).substr(text.find('=') + 1)));
    }
    return values;
}

std::vector<std::string> IniFile::read_sections() const
{
    refresh();
    std::vector<std::string> sections;
    for (const auto& line : lines_) {
        if (!line.is_section)
            continue;
        bool seen = false;
        for (const auto& existing : sections)
            seen = seen || equals_ignore_ascii_case(existing, line.section);
        if (!seen)
            sections.push_back(line.section);
    }
    return sections;
}

bool IniFile::write_string(std::string_view section, std::string_view key, std::string_view value)
{
    refresh();
    std::string key_text = trim_blanks(key);
    std::string clean_value(value);
    // A line break inside a value would split it into lines of its own.
    for (char& c : clean_value)
        if (c == '\n' || c == '\r')
            c = ' ';
    Line pair;
    pair.text = key_text + "=" + clean_value;
    pair.key = key_text;
    pair.is_pair = true;

    auto header = find_section(section);
    if (!header) {
        if (!lines_.empty() && !trim_blanks(lines_.back().text).empty())
            lines_.push_back(Line{});
        Line head;
        head.section = trim_blanks(section);
        head.text = "[" + head.section + "]";
        head.is_section = true;
        lines_.push_back(std::move(head));
        lines_.push_back(std::move(pair));
    } else if (auto line = find_key(*header, key_text)) {
        lines_[*line] = std::move(pair);
    } else {
        // After the section's last non-blank line, so a blank line that
        // separates it from the next section stays where it is.
        std::size_t at = section_end(*header);
        while (at > *header + 1 && trim_blanks(lines_[at - 1].text).empty())
            --at;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(pair));
    }
    dirty_ = true;
    return holding_ ? true : store();
}

bool IniFile::write_integer(std::string_view section, std::string_view key, std::int64_t value)
{
    return write_string(section, key, std::to_string(value));
}

bool IniFile::write_bool(std::string_view section, std::string_view key, bool value)
{
    return write_string(section, key, value ? "1" : "0");
}

bool IniFile::erase_section(std::string_view section)
{
    refresh();
    bool changed = false;
    while (auto header = find_section(section)) {
        std::size_t end = section_end(*header);
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(end));
        changed = true;
    }
    if (!changed)
        return true;
    dirty_ = true;
    return holding_ ? true : store();
}

bool IniFile::delete_key(std::string_view section, std::string_view key)
{
    refresh();
    auto header = find_section(section);
    if (!header)
        return true;
    auto line = find_key(*header, key);
    if (!line)
        return true;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
    dirty_ = true;
    return holding_ ? true : store();
}

void IniFile::hold_writes()
{
    refresh();
    holding_ = true;
}

bool IniFile::release_writes()
{
    holding_ = false;
    return flush();
}

bool IniFile::flush()
{
    if (!dirty_)
        return true;
    return store();
}

bool IniFile::store()
{
    if (in_memory_) {
        dirty_ = false;
        return true;
    }
    std::string content;
    for (const auto& line : lines_) {
        content += line.text;
        content += line_break_;
    }

    if (const std::string error = write_file_atomically(path_, content); !error.empty()) {
        last_error_ = "cannot write " + path_.string() + ": " + error;
        // Forget the unsaved change: the next read shows the file as it is.
        loaded_ = false;
        dirty_ = false;
        return false;
    }
    dirty_ = false;
    last_error_.clear();
    struct stat info {};
    std::error_code ec;
    if (::stat(path_.c_str(), &info) == 0) {
        loaded_existed_ = true;
        loaded_time_ = std::filesystem::last_write_time(path_, ec);
        loaded_size_ = static_cast<std::uintmax_t>(info.st_size);
        loaded_inode_ = static_cast<std::uintmax_t>(info.st_ino);
    } else {
        loaded_ = false;
    }
    return true;
}

} // namespace valmuri
