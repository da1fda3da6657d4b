#pragma once
// Names on the disc: the upper-casing of ISO 9660 names, UTF-8 to UCS-2 for
// Joliet, and the size limits of a directory record's identifier.

#include "platform/text.h" // upper_ascii, utf8_length

#include <cstddef>
#include <string>
#include <string_view>

namespace valmuri {

// UCS-2 big-endian. Characters outside the Basic Multilingual Plane and
// malformed bytes become "_", so every character takes exactly two bytes.
std::string ucs2_big_endian(std::string_view utf8);

// The first count characters of a UTF-8 text.
std::string utf8_prefix(std::string_view text, std::size_t count);

// The longest prefix of at most max_bytes bytes that ends on a character
// boundary.
std::string_view utf8_cut_bytes(std::string_view text, std::size_t max_bytes);

// Alternate (8.3-style) name of a directory created by the tree itself: the
// first 13 characters, a to z upper-cased, every character below "!" or
// above "z" (spaces, non-ASCII) replaced by "_".
std::string directory_alternate_name(std::string_view name);

// A directory record is at most 255 bytes: 33 fixed bytes, the identifier,
// and a fill byte when the identifier's length is even.
constexpr std::size_t MaxDirectoryRecord = 255;
constexpr std::size_t directory_record_length(std::size_t identifier_bytes)
{
    return 33 + identifier_bytes + (identifier_bytes % 2 == 0 ? 1 : 0);
}

// Whether a long name fits a Joliet directory record (a file's identifier
// carries ";1" as well): at most 108 characters for files, 110 for folders.
bool fits_joliet_record(std::string_view long_name, bool is_file);

// An ISO 9660 short name cut at a character boundary so that its record
// fits 255 bytes, ";1" included for files.
std::string fit_iso_short_name(std::string_view short_name, bool is_file);

} // namespace valmuri
