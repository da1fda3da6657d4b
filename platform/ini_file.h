#pragma once
// INI files with the semantics of the Windows profile routines: sections and
// keys are matched without regard to case, lines without "=" are ignored,
// a missing key reads as the caller's default, and every write goes to disk
// at once (unless writes are held, see hold_writes()).
//
// The file's other lines, comments included, survive every write. A write
// replaces the file through a temporary file in the same folder and a rename,
// so a failed write (read-only folder, full disk) leaves the old file whole
// and is reported through the return value and last_error().
//
// Files are UTF-8. A file that is not valid UTF-8 is read as Windows-1252
// (files written on Windows); it is written back as UTF-8.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace valmuri {

class IniFile {
public:
    explicit IniFile(std::filesystem::path path);
    // An INI text held in memory only (built-in defaults); writes change the
    // copy and succeed.
    static IniFile from_text(std::string_view text);

    const std::filesystem::path& path() const { return path_; }
    // Whether the file exists on disk now.
    bool exists() const;

    std::string read_string(std::string_view section, std::string_view key,
                            std::string_view default_value = {}) const;
    // A value that is not a whole number in range (decimal, or hex written
    // "$1F" / "0x1F", blanks around it allowed) reads as the default.
    int read_integer(std::string_view section, std::string_view key, int default_value) const;
    std::int64_t read_int64(std::string_view section, std::string_view key,
                            std::int64_t default_value) const;
    // Read as a number: 0 is false, any other number true, anything else the default.
    bool read_bool(std::string_view section, std::string_view key, bool default_value) const;

    bool section_exists(std::string_view section) const;
    bool value_exists(std::string_view section, std::string_view key) const;
    // Key names of a section, in file order (first spelling of duplicates).
    std::vector<std::string> read_section(std::string_view section) const;
    // Key/value pairs of a section, in file order.
    std::vector<std::pair<std::string, std::string>> read_section_values(std::string_view section) const;
    std::vector<std::string> read_sections() const;

    // Writes create the file, the section and the key as needed. They return
    // false when the file could not be written; last_error() then says why.
    bool write_string(std::string_view section, std::string_view key, std::string_view value);
    bool write_integer(std::string_view section, std::string_view key, std::int64_t value);
    // Booleans are stored as "1" and "0".
    bool write_bool(std::string_view section, std::string_view key, bool value);
    bool erase_section(std::string_view section);
    bool delete_key(std::string_view section, std::string_view key);

    // While held, writes change only the copy in memory; flush() (or
    // release_writes()) stores them in one go. For files written key by key
    // in long loops (project files).
    void hold_writes();
    bool release_writes();
    bool flush();

    // Line break for a file this object creates; an existing file keeps its own.
    void set_line_break(std::string line_break) { new_file_line_break_ = std::move(line_break); }

    const std::string& last_error() const { return last_error_; }

private:
    struct Line {
        std::string text;     // the line as stored, without its line break
        std::string key;      // trimmed key of a "key=value" line, else empty
        std::string section;  // trimmed name of a "[section]" line, else empty
        bool is_section = false;
        bool is_pair = false;
    };

    void refresh() const;
    void parse(const std::string& content) const;
    // Index of the section header, or nullopt.
    std::optional<std::size_t> find_section(std::string_view section) const;
    // Index one past the last line of the section whose header is at index.
    std::size_t section_end(std::size_t header) const;
    std::optional<std::size_t> find_key(std::size_t header, std::string_view key) const;
    bool store();

    std::filesystem::path path_;
    std::string new_file_line_break_ = "\n";
    std::string last_error_;
    bool holding_ = false;
    bool in_memory_ = false;
    bool dirty_ = false;

    // Cache of the parsed file, refreshed when the file on disk changes.
    mutable std::vector<Line> lines_;
    mutable std::string line_break_;
    mutable bool loaded_ = false;
    mutable std::filesystem::file_time_type loaded_time_{};
    mutable std::uintmax_t loaded_size_ = 0;
    mutable std::uintmax_t loaded_inode_ = 0; // every store renames a new file in
    mutable bool loaded_existed_ = false;
};

} // namespace valmuri
