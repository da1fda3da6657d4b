#pragma once
// Locale number formats in the style of picture patterns: "#,##0.00",
// "#,##", "0.0X ", "(#,##0 KB/s)".
//
// Pattern characters: "0" a digit that is always shown, "#" a digit shown
// only when significant, "," anywhere in the integer part turns on thousands
// grouping, the first "." starts the fraction. Other characters, and text in
// single or double quotes, are copied: those before the first digit
// placeholder lead the result, those after the last one end it. A pattern
// "a;b;c" uses a for positive numbers, b for negative ones (printed without
// sign) and c for zero. Values round half away from zero.
//
// The separators come from a NumberFormat: the user's locale by default,
// replaceable for tests.

#include <cstdint>
#include <string>
#include <string_view>

namespace valmuri {

struct NumberFormat {
    std::string thousands_separator = ",";
    std::string decimal_separator = ".";

    // The separators of the user's LC_NUMERIC locale (LC_ALL / LC_NUMERIC /
    // LANG). A locale without grouping (C, POSIX) groups with ",".
    static NumberFormat system();
    static NumberFormat brazilian() { return {".", ","}; }
};

// The separators used when none are passed: NumberFormat::system() until
// set_current_number_format() replaces them.
NumberFormat current_number_format();
void set_current_number_format(NumberFormat format);

std::string format_float(std::string_view pattern, double value);
std::string format_float(std::string_view pattern, double value, const NumberFormat& format);
// Exact for every 64-bit value (byte counts beyond 2^53).
std::string format_integer(std::string_view pattern, std::int64_t value);
std::string format_integer(std::string_view pattern, std::int64_t value, const NumberFormat& format);

} // namespace valmuri
