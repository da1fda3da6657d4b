#pragma once
// The song list for a disc's cover: numbered song names as plain text lines
// or as an HTML page with a font, a size and three colours, with an
// optional filter that blanks out given words.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace valmuri::jobs {

struct SongListStyle {
    std::string font = "Arial";
    int size = 12;                      // pixels; -1 when the size box holds no whole number
    std::uint32_t track_colour = 0x000000;  // 0xRRGGBB
    std::uint32_t artist_colour = 0xFF0000;
    std::uint32_t song_colour = 0x008000;
};

// Each ";"-separated piece of filter_text replaced by one blank wherever it
// occurs (letter case matters; an empty piece changes nothing), then the
// blanks at the start removed.
std::string filter_song_name(std::string_view name, std::string_view filter_text);

// The song name of a disc file: its file name without the last extension.
std::string song_name_of_file(const std::filesystem::path& path);

// "001", "002", ...: n with "0" added on the left up to three characters.
std::string track_number(std::size_t n);

// "001. name" for each name.
std::vector<std::string> song_list_text(const std::vector<std::string>& names);

// The page's lines. Names and the font name are escaped for HTML; with no
// names the page ends with its body line.
std::vector<std::string> song_list_html(const std::vector<std::string>& names, const SongListStyle& style);

// "#RRGGBB" in upper-case hexadecimal.
std::string html_colour(std::uint32_t rgb);

// &, <, > and " as character references.
std::string escape_html(std::string_view text);

// The song names of the "*.mp3" files (extension in any letter case) under
// folder, subfolders included: a folder's files in name order, then its
// subfolders in name order. False when the folder cannot be read.
bool read_disc_song_names(const std::filesystem::path& folder, std::vector<std::string>& names);

// Writes the lines, each ending in CR LF, through a temporary file renamed
// over the target. False with an error text when that fails.
bool save_lines(const std::filesystem::path& path, const std::vector<std::string>& lines, std::string& error);

// The mount point of a device in a /proc/self/mounts text (octal escapes
// such as "\040" decoded); empty when the device is not mounted.
std::string mount_point_of(std::string_view device, std::string_view mounts);

} // namespace valmuri::jobs
