#include "platform/text.h"

#include "platform/case_fold_table.h"

#include <algorithm>
#include <cstdio>

namespace valmuri {

namespace {

char upper_char(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
char lower_char(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool is_blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Decodes one code point at text[pos] and moves pos past it. An invalid
// sequence (overlong form, surrogate, value above U+10FFFF, cut sequence)
// consumes one byte and yields -1.
long decode_one(std::string_view text, std::size_t& pos)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char b0 = byte(pos);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int extra;
    char32_t cp;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        ++pos;
        return -1;
    }
    if (pos + std::size_t(extra) >= text.size()) {
        ++pos;
        return -1;
    }
    for (int i = 1; i <= extra; ++i) {
        unsigned char b = byte(pos + i);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return -1;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return -1;
    }
    pos += extra + 1;
    return static_cast<long>(cp);
}

// Windows-1252 bytes 0x80-0x9F; the five unassigned ones map to the C1
// controls of the same value, as Windows itself does.
constexpr char16_t cp1252_high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void fold_code_point(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(lower_char(static_cast<char>(cp)));
        return;
    }
    const CaseFoldEntry* begin = case_fold_entries;
    const CaseFoldEntry* end = case_fold_entries + case_fold_entry_count;
    auto it = std::lower_bound(begin, end, cp,
                               [](const CaseFoldEntry& e, char32_t value) { return e.code_point < value; });
    if (it == end || it->code_point != cp) {
        append_utf8(out, cp);
        return;
    }
    for (char32_t f : it->folded)
        if (f != 0)
            append_utf8(out, f);
}

} // namespace

std::string upper_ascii(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), upper_char);
    return out;
}

std::string lower_ascii(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower_char);
    return out;
}

bool equals_ignore_ascii_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper_char(a[i]) != upper_char(b[i]))
            return false;
    return true;
}

int compare_ignore_ascii_case(std::string_view a, std::string_view b)
{
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(upper_char(a[i]));
        auto cb = static_cast<unsigned char>(upper_char(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string case_fold(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        long cp = decode_one(text, pos);
        fold_code_point(out, cp < 0 ? char32_t(0xFFFD) : char32_t(cp));
    }
    return out;
}

bool contains_folded(std::string_view haystack, std::string_view needle)
{
    return case_fold(haystack).find(case_fold(needle)) != std::string::npos;
}

std::string trim(std::string_view text)
{
    return trim_right(trim_left(text));
}

std::string trim_left(std::string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && is_blank(text[first]))
        ++first;
    return std::string(text.substr(first));
}

std::string trim_right(std::string_view text)
{
    std::size_t last = text.size();
    while (last > 0 && is_blank(text[last - 1]))
        --last;
    return std::string(text.substr(0, last));
}

std::string replace_placeholders(std::string_view text, std::initializer_list<std::string_view> args)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            std::size_t index = static_cast<std::size_t>(text[i + 1] - '1');
            if (index < args.size()) {
                out += *(args.begin() + index);
                ++i;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return std::string(text);
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos)
            break;
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

std::string format_text(std::string_view pattern, std::initializer_list<FormatArg> args)
{
    std::string out;
    auto next = args.begin();
    std::size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i];
        if (c != '%') {
            out.push_back(c);
            ++i;
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out.push_back('%');
            i += 2;
            continue;
        }
        std::size_t start = i++;
        bool left = false;
        if (i < pattern.size() && pattern[i] == '-') {
            left = true;
            ++i;
        }
        int width = 0;
        while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9' && width < 1000)
            width = width * 10 + (pattern[i++] - '0');
        int precision = -1;
        if (i < pattern.size() && pattern[i] == '.') {
            ++i;
            precision = 0;
            while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9' && precision < 100)
                precision = precision * 10 + (pattern[i++] - '0');
        }
        if (i >= pattern.size()) {
            out.append(pattern.substr(start));
            break;
        }
        char kind = static_cast<char>(lower_char(pattern[i]));
        if ((kind != 'd' && kind != 'u' && kind != 's' && kind != 'x' && kind != 'f') || next == args.end()) {
            out.append(pattern.substr(start, i + 1 - start));
            ++i;
            continue;
        }
        ++i;
        const FormatArg& arg = *next++;
        std::string piece;
        char buffer[128];
        if (const auto* text = std::get_if<std::string_view>(&arg)) {
            piece = precision >= 0 && kind == 's' ? std::string(text->substr(0, std::size_t(precision)))
                                                  : std::string(*text);
        } else if (kind == 'f') {
            double value = std::holds_alternative<double>(arg) ? std::get<double>(arg)
                                                               : static_cast<double>(std::get<std::int64_t>(arg));
            std::snprintf(buffer, sizeof buffer, "%.*f", precision < 0 ? 2 : precision, value);
            piece = buffer;
        } else {
            long long value = std::holds_alternative<std::int64_t>(arg)
                                  ? static_cast<long long>(std::get<std::int64_t>(arg))
                                  : static_cast<long long>(std::get<double>(arg));
            if (kind == 'x')
                std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(value));
            else if (kind == 'u')
                std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(value));
            else
                std::snprintf(buffer, sizeof buffer, "%lld", value);
            piece = buffer;
            if (precision > 0 && kind != 's') {
                bool negative = !piece.empty() && piece[0] == '-';
                std::string digits = negative ? piece.substr(1) : piece;
                if (digits.size() < std::size_t(precision))
                    digits.insert(0, std::size_t(precision) - digits.size(), '0');
                piece = (negative ? "-" : "") + digits;
            }
        }
        std::size_t length = utf8_length(piece);
        if (std::size_t(width) > length) {
            std::string pad(std::size_t(width) - length, ' ');
            piece = left ? piece + pad : pad + piece;
        }
        out += piece;
    }
    return out;
}

bool is_valid_utf8(std::string_view bytes)
{
    std::size_t pos = 0;
    while (pos < bytes.size())
        if (decode_one(bytes, pos) < 0)
            return false;
    return true;
}

std::size_t utf8_length(std::string_view text)
{
    std::size_t count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        decode_one(text, pos);
        ++count;
    }
    return count;
}

std::u32string decode_utf8(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        long cp = decode_one(text, pos);
        out.push_back(cp < 0 ? char32_t(0xFFFD) : char32_t(cp));
    }
    return out;
}

void append_utf8(std::string& out, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string encode_utf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text)
        append_utf8(out, cp);
    return out;
}

std::string windows1252_to_utf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out.push_back(c);
        else if (b < 0xA0)
            append_utf8(out, cp1252_high[b - 0x80]);
        else
            append_utf8(out, b);
    }
    return out;
}

std::string text_from_file_bytes(std::string_view bytes)
{
    if (is_valid_utf8(bytes)) {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
            bytes.remove_prefix(3);
        return std::string(bytes);
    }
    return windows1252_to_utf8(bytes);
}

} // namespace valmuri
