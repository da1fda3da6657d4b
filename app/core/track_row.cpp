#include "app/core/track_row.h"

#include "platform/text.h"

#include <filesystem>
#include <system_error>

namespace valmuri {

std::string pad_number(std::int64_t number)
{
    std::string text = std::to_string(number);
    if (text.size() < 3)
        text.insert(0, 3 - text.size(), '0');
    return text;
}

std::string make_row(std::string_view number, std::string_view disc_name, std::string_view size,
                     std::string_view source_path)
{
    std::string row;
    row.reserve(number.size() + disc_name.size() + size.size() + source_path.size() + 3);
    row.append(number).append(1, ';').append(disc_name).append(1, ';').append(size).append(1, ';').append(source_path);
    return row;
}

std::string row_field(std::string_view row, int n)
{
    if (n < 1)
        return {};
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) {
        const std::size_t next = row.find(';', start);
        if (next == std::string_view::npos)
            return {};
        start = next + 1;
    }
    const std::size_t end = row.find(';', start);
    return std::string(row.substr(start, end == std::string_view::npos ? row.size() - start : end - start));
}

std::string with_field(std::string_view row, int n, std::string_view value)
{
    std::string result;
    std::size_t start = 0;
    int field = 1;
    for (; field < n; ++field) {
        const std::size_t next = row.find(';', start);
        if (next == std::string_view::npos) {
            result.append(row.substr(start));
            start = row.size();
            for (; field < n; ++field)
                result.append(1, ';');
            result.append(value);
            return result;
        }
        result.append(row.substr(start, next + 1 - start));
        start = next + 1;
    }
    result.append(value);
    const std::size_t end = row.find(';', start);
    if (end != std::string_view::npos)
        result.append(row.substr(end));
    return result;
}

std::string size_text(std::int64_t bytes, const NumberFormat& format)
{
    return bytes == 0 ? std::string() : format_integer("#,##", bytes, format);
}

std::string file_size_text(const std::string& path, const NumberFormat& format)
{
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    return error ? std::string() : size_text(static_cast<std::int64_t>(bytes), format);
}

std::string source_file_name(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string source_folder(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

DiscNameCut disc_name_for(std::string_view path)
{
    std::string name = source_file_name(path);
    if (const std::size_t dot = name.find_last_of('.'); dot != std::string::npos)
        name.erase(dot);
    DiscNameCut result;
    if (utf8_length(name) > kDiscNameLength) {
        const std::u32string wide = decode_utf8(name);
        result.name = encode_utf8(std::u32string_view(wide).substr(0, kDiscNameLength));
        result.cut = true;
    } else {
        result.name = std::move(name);
    }
    return result;
}

} // namespace valmuri
