// The row operations of the track editing commands.

#include "app/core/compilation.h"

#include "platform/text.h"

#include <algorithm>

namespace valmuri {

EditResult Compilation::rename(int index, std::string_view new_name)
{
    if (index < 0 || index >= row_count())
        return EditResult::NoSuchRow;
    const std::string name = trim(new_name);
    // A disc file named ".mp3" helps nobody: an empty name is refused.
    if (name.empty())
        return EditResult::EmptyName;
    if (name.find(';') != std::string::npos)
        return EditResult::HasSemicolon;
    if (!equals_ignore_ascii_case(name, disc_name(index)) && find_other_disc_name(name, index) >= 0)
        return EditResult::NameTaken;
    set_row(index, with_field(row(index), int(TrackField::DiscName), name));
    return EditResult::Done;
}

bool Compilation::move_row(int from, int to)
{
    if (from < 0 || from >= row_count() || to < 0 || to >= row_count())
        return false;
    notify_reset_begin();
    if (from != to) {
        auto first = rows_.begin();
        if (from < to)
            std::rotate(first + from, first + from + 1, first + to + 1);
        else
            std::rotate(first + to, first + from, first + from + 1);
    }
    for (std::size_t i = 0; i < rows_.size(); ++i)
        rows_[i] = make_row(pad_number(static_cast<std::int64_t>(i) + 1), row_field(rows_[i], 2),
                            row_field(rows_[i], 3), row_field(rows_[i], 4));
    notify_reset_end();
    return true;
}

void Compilation::delete_rows(std::vector<int> indexes)
{
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    std::erase_if(indexes, [this](int i) { return i < 0 || i >= row_count(); });
    if (indexes.empty())
        return;
    // From the last to the first, one contiguous block at a time.
    std::size_t end = indexes.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && indexes[begin - 1] == indexes[begin] - 1)
            --begin;
        const int first = indexes[begin];
        const int last = indexes[end - 1];
        for (auto* observer : observers_)
            observer->rows_about_to_be_removed(first, last);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
        invalidate_names();
        for (auto* observer : observers_)
            observer->rows_removed();
        end = begin;
    }
    renumber();
}

EditResult Compilation::replace_source(int index, const std::string& path, const NumberFormat& format, bool* cut)
{
    if (index < 0 || index >= row_count())
        return EditResult::NoSuchRow;
    const DiscNameCut name = disc_name_for(path);
    if (cut != nullptr)
        *cut = false;
    // The current row is never a clash with itself, also when only the cut
    // name equals its disc name.
    if (find_other_disc_name(name.name, index) >= 0)
        return EditResult::NameTaken;
    set_track(index, name.name, file_size_text(path, format), path);
    if (cut != nullptr)
        *cut = name.cut;
    return EditResult::Done;
}

void Compilation::auto_rename_remove(const std::vector<int>& indexes, const std::vector<std::string>& texts,
                                     std::string_view replacement)
{
    // The texts are joined by ";" and split again, so a text holding ";"
    // acts as its parts.
    std::vector<std::string> parts;
    for (const auto& text : texts) {
        std::size_t start = 0;
        while (true) {
            const std::size_t next = text.find(';', start);
            parts.push_back(text.substr(start, next == std::string::npos ? std::string::npos : next - start));
            if (next == std::string::npos)
                break;
            start = next + 1;
        }
    }
    for (int index : indexes) {
        if (index < 0 || index >= row_count())
            continue;
        std::string name = disc_name(index);
        for (const auto& part : parts)
            if (!part.empty())
                name = replace_all(name, part, replacement);
        set_row(index, with_field(row(index), int(TrackField::DiscName), name));
    }
}

void Compilation::auto_rename_add(const std::vector<int>& indexes, std::string_view text, AutoRenamePlace place)
{
    for (int index : indexes) {
        if (index < 0 || index >= row_count())
            continue;
        const std::string name = disc_name(index);
        const std::string renamed = place == AutoRenamePlace::Start ? std::string(text) + name : name + std::string(text);
        set_row(index, with_field(row(index), int(TrackField::DiscName), renamed));
    }
}

} // namespace valmuri
