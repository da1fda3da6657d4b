#pragma once
// Text helpers shared by every layer. Text is UTF-8 throughout the program.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace valmuri {

// Changes only the letters a-z to A-Z (resp. A-Z to a-z); every other byte,
// accented letters included, stays as it is.
std::string upper_ascii(std::string_view text);
std::string lower_ascii(std::string_view text);
// Equality with a-z and A-Z matched without regard to case.
bool equals_ignore_ascii_case(std::string_view a, std::string_view b);
// Ordering with a-z and A-Z matched without regard to case (<0, 0, >0).
int compare_ignore_ascii_case(std::string_view a, std::string_view b);

// Unicode full case folding ("Straße" and "STRASSE" fold to the same text),
// for searches that ignore case in any script. Invalid UTF-8 bytes fold to
// U+FFFD.
std::string case_fold(std::string_view text);
// Whether needle occurs in haystack when both are case folded.
bool contains_folded(std::string_view haystack, std::string_view needle);

// Removes blanks and control characters (every byte up to and including
// the space) from both ends.
std::string trim(std::string_view text);
std::string trim_left(std::string_view text);
std::string trim_right(std::string_view text);

// Replaces "%1", "%2", "%3" (and so on up to "%9") by the given arguments in
// one pass: an argument that itself holds "%2" is not replaced again.
// Placeholders without an argument stay as they are.
std::string replace_placeholders(std::string_view text, std::initializer_list<std::string_view> args);

// Every occurrence of from replaced by to, in one pass.
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);

// printf-like formatting of "%s", "%d", "%u", "%x", "%f" with optional
// "-", width and ".precision", and "%%". Arguments are taken in order; a
// directive whose argument is missing is copied as it stands, and an
// argument of the other kind is converted rather than misread.
using FormatArg = std::variant<std::int64_t, double, std::string_view>;
std::string format_text(std::string_view pattern, std::initializer_list<FormatArg> args);

// UTF-8 checks and conversions.
bool is_valid_utf8(std::string_view bytes);
// Number of code points (invalid bytes count one each).
std::size_t utf8_length(std::string_view text);
std::u32string decode_utf8(std::string_view text); // invalid bytes become U+FFFD
std::string encode_utf8(std::u32string_view text);
void append_utf8(std::string& out, char32_t code_point);
std::string windows1252_to_utf8(std::string_view bytes);
// The text as UTF-8: valid UTF-8 stays as it is (a leading byte order mark is
// dropped), anything else is read as Windows-1252.
std::string text_from_file_bytes(std::string_view bytes);

} // namespace valmuri
