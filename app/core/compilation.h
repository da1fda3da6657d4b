#pragma once
// The compilation: the numbered track rows, the project options and the
// project file they belong to. A plain class without widgets; the window's
// table model shows it and hears of every change through CompilationObserver.
//
// Invariants kept by the operations (rows read from a project file are taken
// as stored): no two rows have disc names equal with a-z folded to A-Z, and
// after an operation that moves or deletes rows the numbers run 001, 002, ...

#include "app/core/project_options.h"
#include "app/core/track_row.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace valmuri {

// Told of every change, in the order a QAbstractTableModel needs: the
// "about to" call comes before the rows change, the other one after.
// Indexes are 0-based and inclusive.
class CompilationObserver {
public:
    virtual ~CompilationObserver() = default;
    virtual void rows_about_to_be_inserted(int /*first*/, int /*last*/) {}
    virtual void rows_inserted() {}
    virtual void rows_about_to_be_removed(int /*first*/, int /*last*/) {}
    virtual void rows_removed() {}
    // The text of rows first ... last changed in place.
    virtual void rows_changed(int /*first*/, int /*last*/) {}
    // Any other change (open, clear, moves, structure editor): read it all again.
    virtual void rows_about_to_be_reset() {}
    virtual void rows_reset() {}
    virtual void options_changed() {}
};

// Why a rename or a replacement was refused.
// A name holding ";" would split its row into more fields.
enum class EditResult { Done, EmptyName, NameTaken, HasSemicolon, NoSuchRow };

enum class AutoRenamePlace { Start, End };

class Compilation {
public:
    Compilation() = default;
    Compilation(const Compilation&) = delete;
    Compilation& operator=(const Compilation&) = delete;

    void add_observer(CompilationObserver* observer);
    void remove_observer(CompilationObserver* observer);

    // ---- Rows ---------------------------------------------------------------
    int row_count() const { return static_cast<int>(rows_.size()); }
    bool empty() const { return rows_.empty(); }
    const std::string& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    const std::vector<std::string>& rows() const { return rows_; }
    std::string field(int index, TrackField field) const { return row_field(row(index), field); }
    std::string track_number(int index) const { return field(index, TrackField::Number); }
    std::string disc_name(int index) const { return field(index, TrackField::DiscName); }
    std::string size_text(int index) const { return field(index, TrackField::Size); }
    std::string source_path(int index) const { return field(index, TrackField::SourcePath); }

    // First row whose disc name equals name with a-z folded, or -1.
    int find_disc_name(std::string_view name) const;
    // The same, ignoring the row at index skip.
    int find_other_disc_name(std::string_view name, int skip) const;

    // Appends a row numbered row_count() + 1.
    void append_track(std::string_view disc_name, std::string_view size, std::string_view source_path);
    // Fields 2-4 of the row at index; its number stays.
    void set_track(int index, std::string_view disc_name, std::string_view size, std::string_view source_path);
    // Every row replaced by rows, taken as they are (no renumbering).
    void set_rows(std::vector<std::string> rows);
    void clear();
    // Numbers 001, 002, ... in list order.
    void renumber();

    // ---- Editing (all refuse out-of-range indexes) ---------------------------
    // Trims blanks and control characters; a change of letter case only is
    // always taken, a name another row has (a-z folded) is refused, and so
    // are an empty name and one holding ";".
    EditResult rename(int index, std::string_view new_name);
    // Moves the row at from to position to (rows between shift), renumbers.
    bool move_row(int from, int to);
    bool move_up(int index) { return index > 0 && move_row(index, index - 1); }
    bool move_down(int index) { return index + 1 < row_count() && move_row(index, index + 1); }
    // Deletes the given rows (any order, duplicates ignored), renumbers.
    void delete_rows(std::vector<int> indexes);
    // New source file for the row at index: disc name from the file's name
    // (cut to 64 characters, reported through cut), size and path from the
    // file; refused when another row has that disc name.
    EditResult replace_source(int index, const std::string& path, const NumberFormat& format, bool* cut = nullptr);
    // Removes every occurrence of each text (split again at ";") from the disc
    // names of the given rows, putting replacement in its place. No length or
    // duplicate check.
    void auto_rename_remove(const std::vector<int>& indexes, const std::vector<std::string>& texts,
                            std::string_view replacement);
    void auto_rename_add(const std::vector<int>& indexes, std::string_view text, AutoRenamePlace place);

    // ---- Project ------------------------------------------------------------
    const ProjectOptions& options() const { return options_; }
    void set_options(const ProjectOptions& options);
    // The file last opened or saved; empty for a new project.
    const std::filesystem::path& project_file() const { return project_file_; }
    void set_project_file(std::filesystem::path path) { project_file_ = std::move(path); }
    // Empty list, default options, no project file.
    void reset_to_new();

private:
    void set_row(int index, std::string text);
    void notify_reset_begin();
    void notify_reset_end();
    void invalidate_names() { names_valid_ = false; }
    void build_names() const;

    std::vector<std::string> rows_;
    ProjectOptions options_;
    std::filesystem::path project_file_;
    std::vector<CompilationObserver*> observers_;

    // Upper-cased disc name -> first row holding it and the number of rows;
    // rebuilt on demand after changes other than appends.
    struct NameEntry {
        int first = 0;
        int count = 0;
    };
    mutable std::unordered_map<std::string, NameEntry> names_;
    mutable bool names_valid_ = true;
};

} // namespace valmuri
