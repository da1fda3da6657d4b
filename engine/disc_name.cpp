#include "engine/disc_name.h"

#include <cstdint>

namespace valmuri {
namespace {

// Length of the UTF-8 sequence starting at text[i] and its code point, or
// length 1 and no code point when the bytes there are not a valid sequence.
std::size_t next_char(std::string_view text, std::size_t i, char32_t& code, bool& valid)
{
    const auto lead = static_cast<std::uint8_t>(text[i]);
    std::size_t length = 1;
    valid = true;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else {
        valid = false;
        return 1;
    }
    if (i + length > text.size()) {
        valid = false;
        return 1;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<std::uint8_t>(text[i + k]);
        if ((b & 0xC0) != 0x80) {
            valid = false;
            return 1;
        }
        code = (code << 6) | (b & 0x3F);
    }
    return length;
}

} // namespace

std::string ucs2_big_endian(std::string_view utf8)
{
    std::string result;
    result.reserve(utf8.size() * 2);
    char32_t code;
    bool valid;
    for (std::size_t i = 0; i < utf8.size();) {
        i += next_char(utf8, i, code, valid);
        if (!valid || code > 0xFFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = U'_';
        result.push_back(static_cast<char>(code >> 8));
        result.push_back(static_cast<char>(code & 0xFF));
    }
    return result;
}

std::string utf8_prefix(std::string_view text, std::size_t count)
{
    char32_t code;
    bool valid;
    std::size_t i = 0;
    for (std::size_t n = 0; n < count && i < text.size(); ++n)
        i += next_char(text, i, code, valid);
    return std::string(text.substr(0, i));
}

std::string_view utf8_cut_bytes(std::string_view text, std::size_t max_bytes)
{
    char32_t code;
    bool valid;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = next_char(text, i, code, valid);
        if (i + length > max_bytes)
            break;
        i += length;
    }
    return text.substr(0, i);
}

std::string directory_alternate_name(std::string_view name)
{
    std::string result;
    char32_t code;
    bool valid;
    std::size_t count = 0;
    for (std::size_t i = 0; i < name.size() && count < 13; ++count) {
        const std::size_t length = next_char(name, i, code, valid);
        const char c = name[i];
        i += length;
        if (length > 1 || static_cast<std::uint8_t>(c) < 0x21 || static_cast<std::uint8_t>(c) > 0x7A)
            result.push_back('_');
        else if (c >= 'a' && c <= 'z')
            result.push_back(static_cast<char>(c - 'a' + 'A'));
        else
            result.push_back(c);
    }
    return result;
}

bool fits_joliet_record(std::string_view long_name, bool is_file)
{
    const std::size_t identifier = 2 * (utf8_length(long_name) + (is_file ? 2 : 0));
    return directory_record_length(identifier) <= MaxDirectoryRecord;
}

std::string fit_iso_short_name(std::string_view short_name, bool is_file)
{
    const std::size_t suffix = is_file ? 2 : 0;
    // 221 identifier bytes is the longest that fits: 222 would need a fill byte.
    constexpr std::size_t max_identifier = MaxDirectoryRecord - 33 - 1;
    static_assert(directory_record_length(max_identifier) <= MaxDirectoryRecord
                  && directory_record_length(max_identifier + 1) > MaxDirectoryRecord);
    if (short_name.size() + suffix <= max_identifier)
        return std::string(short_name);
    return std::string(utf8_cut_bytes(short_name, max_identifier - suffix));
}

} // namespace valmuri
