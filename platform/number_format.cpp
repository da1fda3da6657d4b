#include "platform/number_format.h"

#include <cmath>
#include <cstdio>
#include <langinfo.h>
#include <locale.h>
#include <mutex>
#include <optional>
#include <vector>

namespace valmuri {

namespace {

std::mutex current_mutex;
std::optional<NumberFormat> current_format;

struct Picture {
    std::string prefix;
    std::string suffix;
    int integer_zeros = 0;   // digits always shown before the point
    int fraction_min = 0;    // fraction digits always shown
    int fraction_max = 0;    // fraction digits shown at most
    bool grouping = false;
};

// Splits "a;b;c" at semicolons outside quotes.
std::vector<std::string> split_sections(std::string_view pattern)
{
    std::vector<std::string> sections(1);
    char quote = 0;
    for (char c : pattern) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back().push_back(c);
    }
    return sections;
}

Picture parse_picture(std::string_view section)
{
    Picture picture;
    bool seen_placeholder = false;
    bool in_fraction = false;
    int fraction_count = 0;
    std::string pending; // literals seen after a placeholder
    char quote = 0;
    for (char c : section) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                (seen_placeholder ? pending : picture.prefix).push_back(c);
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            continue;
        }
        bool placeholder = c == '0' || c == '#' || (c == '.' && !in_fraction) || c == ',';
        if (!placeholder) {
            (seen_placeholder ? pending : picture.prefix).push_back(c);
            continue;
        }
        // Literals between placeholders are dropped; only the tail is kept.
        pending.clear();
        seen_placeholder = true;
        if (c == '.') {
            in_fraction = true;
        } else if (c == ',') {
            if (!in_fraction)
                picture.grouping = true;
        } else if (in_fraction) {
            ++fraction_count;
            if (c == '0')
                picture.fraction_min = fraction_count;
        } else if (c == '0') {
            ++picture.integer_zeros;
        }
    }
    picture.suffix = pending;
    picture.fraction_max = fraction_count;
    return picture;
}

std::string group(const std::string& digits, const std::string& separator)
{
    std::string out;
    std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out.push_back(digits[i]);
    }
    return out;
}

// integer_digits: the magnitude's integer digits without leading zeros
// ("" for zero); fraction_digits: exactly picture.fraction_max digits.
std::string compose(const Picture& picture, bool negative, std::string integer_digits,
                    std::string fraction_digits, const NumberFormat& format)
{
    while (static_cast<int>(fraction_digits.size()) > picture.fraction_min && !fraction_digits.empty()
           && fraction_digits.back() == '0')
        fraction_digits.pop_back();
    if (static_cast<int>(integer_digits.size()) < picture.integer_zeros)
        integer_digits.insert(0, std::size_t(picture.integer_zeros) - integer_digits.size(), '0');
    bool is_zero = integer_digits.find_first_not_of('0') == std::string::npos
                   && fraction_digits.find_first_not_of('0') == std::string::npos;
    std::string out = picture.prefix;
    if (negative && !is_zero)
        out += '-';
    out += picture.grouping ? group(integer_digits, format.thousands_separator) : integer_digits;
    if (!fraction_digits.empty())
        out += format.decimal_separator + fraction_digits;
    out += picture.suffix;
    return out;
}

// Chooses the section for the value's sign; clears negative when the
// negative section is used (it prints no sign of its own).
std::string choose_section(std::string_view pattern, bool& negative, bool zero)
{
    auto sections = split_sections(pattern);
    if (zero && sections.size() >= 3 && !sections[2].empty())
        return sections[2];
    if (negative && sections.size() >= 2 && !sections[1].empty()) {
        negative = false;
        return sections[1];
    }
    return sections[0];
}

} // namespace

NumberFormat NumberFormat::system()
{
    NumberFormat format;
    locale_t locale = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (!locale)
        return format;
    std::string decimal = ::nl_langinfo_l(RADIXCHAR, locale);
    std::string thousands = ::nl_langinfo_l(THOUSEP, locale);
    ::freelocale(locale);
    if (!decimal.empty())
        format.decimal_separator = decimal;
    if (thousands.empty() || thousands == format.decimal_separator)
        thousands.assign(1, format.decimal_separator == "," ? '.' : ',');
    format.thousands_separator = std::move(thousands);
    return format;
}

NumberFormat current_number_format()
{
    std::scoped_lock lock(current_mutex);
    if (!current_format)
        current_format = NumberFormat::system();
    return *current_format;
}

void set_current_number_format(NumberFormat format)
{
    std::scoped_lock lock(current_mutex);
    current_format = std::move(format);
}

std::string format_float(std::string_view pattern, double value)
{
    return format_float(pattern, value, current_number_format());
}

std::string format_float(std::string_view pattern, double value, const NumberFormat& format)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    bool negative = value < 0;
    Picture picture = parse_picture(choose_section(pattern, negative, value == 0));
    long double scaled = std::fabs(static_cast<long double>(value));
    for (int i = 0; i < picture.fraction_max; ++i)
        scaled *= 10;
    scaled = std::floor(scaled + 0.5L);
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.0Lf", scaled);
    std::string digits = buffer;
    if (static_cast<int>(digits.size()) <= picture.fraction_max)
        digits.insert(0, std::size_t(picture.fraction_max) + 1 - digits.size(), '0');
    std::string integer_digits = digits.substr(0, digits.size() - std::size_t(picture.fraction_max));
    std::string fraction_digits = digits.substr(integer_digits.size());
    integer_digits.erase(0, std::min(integer_digits.find_first_not_of('0'), integer_digits.size()));
    return compose(picture, negative, integer_digits, fraction_digits, format);
}

std::string format_integer(std::string_view pattern, std::int64_t value)
{
    return format_integer(pattern, value, current_number_format());
}

std::string format_integer(std::string_view pattern, std::int64_t value, const NumberFormat& format)
{
    bool negative = value < 0;
    Picture picture = parse_picture(choose_section(pattern, negative, value == 0));
    std::uint64_t magnitude = value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    std::string integer_digits = magnitude == 0 ? std::string() : std::to_string(magnitude);
    return compose(picture, negative, integer_digits, std::string(std::size_t(picture.fraction_max), '0'), format);
}

} // namespace valmuri
