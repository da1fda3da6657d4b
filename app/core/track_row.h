#pragma once
// A track row of the compilation: four fields joined by ";" with no quoting,
// "NNN;disc name;size;source path", for example
// "007;Artista - Musica;4.567.890;/mp3/Artista - Musica.mp3".
// The row text is what project files store, so rows read from a file are kept
// as text and their fields are taken apart on access.

#include "platform/number_format.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace valmuri {

// Fields of a row, numbered as the row format counts them.
enum class TrackField { Number = 1, DiscName = 2, Size = 3, SourcePath = 4 };

// Disc names are cut to this many characters when a file is added.
constexpr std::size_t kDiscNameLength = 64;

// Track number padded with "0" to three characters; 1000 and above unpadded.
std::string pad_number(std::int64_t number);
std::string make_row(std::string_view number, std::string_view disc_name, std::string_view size,
                     std::string_view source_path);
// Field n (1-based) of a row; empty when the row has fewer fields.
std::string row_field(std::string_view row, int n);
inline std::string row_field(std::string_view row, TrackField field) { return row_field(row, int(field)); }
// The row with field n replaced; missing fields before it are added empty.
std::string with_field(std::string_view row, int n, std::string_view value);

// A size in bytes as the "Tamanho" column shows it: "#,##", empty for 0.
std::string size_text(std::int64_t bytes, const NumberFormat& format);
// The size of a file as the row gets it: empty for a missing or empty file.
std::string file_size_text(const std::string& path, const NumberFormat& format);

// Last component of a source path.
std::string source_file_name(std::string_view path);
// Folder of a source path with its trailing "/".
std::string source_folder(std::string_view path);

struct DiscNameCut {
    std::string name;
    bool cut = false; // the name was longer than kDiscNameLength characters
};
// The disc name a file gets: its name without the last extension, cut to its
// first 64 characters.
DiscNameCut disc_name_for(std::string_view path);

} // namespace valmuri
