#include "app/core/compilation.h"

#include "platform/text.h"

#include <algorithm>

namespace valmuri {

void Compilation::add_observer(CompilationObserver* observer)
{
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void Compilation::remove_observer(CompilationObserver* observer)
{
    std::erase(observers_, observer);
}

void Compilation::build_names() const
{
    if (names_valid_)
        return;
    names_.clear();
    names_.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        auto [it, inserted] = names_.try_emplace(upper_ascii(row_field(rows_[i], TrackField::DiscName)),
                                                 NameEntry{static_cast<int>(i), 0});
        ++it->second.count;
    }
    names_valid_ = true;
}

int Compilation::find_disc_name(std::string_view name) const
{
    build_names();
    const auto it = names_.find(upper_ascii(name));
    return it == names_.end() ? -1 : it->second.first;
}

int Compilation::find_other_disc_name(std::string_view name, int skip) const
{
    build_names();
    const std::string key = upper_ascii(name);
    const auto it = names_.find(key);
    if (it == names_.end())
        return -1;
    if (it->second.first != skip)
        return it->second.first;
    if (it->second.count < 2)
        return -1;
    for (int i = 0; i < row_count(); ++i)
        if (i != skip && upper_ascii(disc_name(i)) == key)
            return i;
    return -1;
}

void Compilation::append_track(std::string_view disc_name, std::string_view size, std::string_view source_path)
{
    const int index = row_count();
    for (auto* observer : observers_)
        observer->rows_about_to_be_inserted(index, index);
    rows_.push_back(make_row(pad_number(index + 1), disc_name, size, source_path));
    if (names_valid_) {
        auto [it, inserted] = names_.try_emplace(upper_ascii(disc_name), NameEntry{index, 0});
        ++it->second.count;
    }
    for (auto* observer : observers_)
        observer->rows_inserted();
}

void Compilation::set_row(int index, std::string text)
{
    rows_[static_cast<std::size_t>(index)] = std::move(text);
    invalidate_names();
    for (auto* observer : observers_)
        observer->rows_changed(index, index);
}

void Compilation::set_track(int index, std::string_view disc_name, std::string_view size,
                            std::string_view source_path)
{
    if (index < 0 || index >= row_count())
        return;
    set_row(index, make_row(track_number(index), disc_name, size, source_path));
}

void Compilation::notify_reset_begin()
{
    for (auto* observer : observers_)
        observer->rows_about_to_be_reset();
}

void Compilation::notify_reset_end()
{
    invalidate_names();
    for (auto* observer : observers_)
        observer->rows_reset();
}

void Compilation::set_rows(std::vector<std::string> rows)
{
    notify_reset_begin();
    rows_ = std::move(rows);
    notify_reset_end();
}

void Compilation::clear()
{
    set_rows({});
}

void Compilation::renumber()
{
    bool changed = false;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const std::string& old = rows_[i];
        std::string rebuilt = make_row(pad_number(static_cast<std::int64_t>(i) + 1), row_field(old, 2),
                                       row_field(old, 3), row_field(old, 4));
        if (rebuilt != old) {
            rows_[i] = std::move(rebuilt);
            changed = true;
        }
    }
    if (changed && !rows_.empty())
        for (auto* observer : observers_)
            observer->rows_changed(0, row_count() - 1);
}

void Compilation::set_options(const ProjectOptions& options)
{
    if (options == options_)
        return;
    options_ = options;
    for (auto* observer : observers_)
        observer->options_changed();
}

void Compilation::reset_to_new()
{
    clear();
    set_options(ProjectOptions{});
    project_file_.clear();
}

} // namespace valmuri
