#include "app/core/language_list.h"

#include "platform/text.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace valmuri {

namespace {

std::string id_key(int index)
{
    return "ID" + std::to_string(index);
}

bool is_language_file_name(const std::string& name)
{
    return !name.empty() && name.front() != '.' && name.size() > 4
           && equals_ignore_ascii_case(std::string_view(name).substr(name.size() - 4), ".ini");
}

} // namespace

LanguageList LanguageList::scan(const std::vector<fs::path>& folders)
{
    LanguageList list;
    list.folders_ = folders;
    for (const fs::path& folder : folders) {
        std::error_code ec;
        fs::directory_iterator it(folder, ec);
        if (ec)
            continue;
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (!is_language_file_name(name) || it->is_directory(ec))
                continue;
            bool known = std::any_of(list.entries_.begin(), list.entries_.end(), [&](const LanguageEntry& e) {
                return equals_ignore_ascii_case(e.file_name, name);
            });
            if (!known)
                list.entries_.push_back({name, it->path(), {}, {}});
        }
    }
    std::stable_sort(list.entries_.begin(), list.entries_.end(), [](const LanguageEntry& a, const LanguageEntry& b) {
        int order = compare_ignore_ascii_case(a.file_name, b.file_name);
        return order != 0 ? order < 0 : a.file_name < b.file_name;
    });
    for (std::size_t i = 0; i < list.entries_.size(); ++i) {
        LanguageEntry& entry = list.entries_[i];
        IniFile file(entry.path);
        entry.language = file.read_string("info", "idioma");
        entry.author = file.read_string("info", "autor");
        if (upper_ascii(entry.file_name) == kDefaultLanguageFile)
            list.default_index_ = static_cast<int>(i);
    }
    return list;
}

bool LanguageList::write_ids(IniFile& options) const
{
    options.hold_writes();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        options.write_string("idiomas", id_key(static_cast<int>(i)), entries_[i].file_name);
    return options.release_writes();
}

int LanguageList::choose(const IniFile& options, const std::string& previous_file) const
{
    std::string wanted = upper_ascii(previous_file);
    int count = static_cast<int>(options.read_section("idiomas").size());
    if (count == 0) {
        // options.ini could not take the names (a folder that cannot be
        // written): the list itself holds the same names in the same order.
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (upper_ascii(entries_[i].file_name) == wanted)
                return static_cast<int>(i);
        return default_index_;
    }
    for (int i = 0; i < count; ++i)
        if (upper_ascii(options.read_string("idiomas", id_key(i))) == wanted)
            return i;
    return default_index_;
}

std::optional<fs::path> LanguageList::file_for_index(const IniFile& options, int index) const
{
    std::string name = options.read_string("idiomas", id_key(index));
    if (name.empty() && !options.section_exists("idiomas") && index >= 0
        && index < static_cast<int>(entries_.size()))
        return entries_[std::size_t(index)].path; // options.ini could not be written
    if (name.empty())
        return std::nullopt;
    // The name comes from options.ini: never let it lead out of the folder.
    if (name.find('/') != std::string::npos || name == "." || name == "..")
        return std::nullopt;
    for (const fs::path& folder : folders_) {
        std::error_code ec;
        if (fs::is_regular_file(folder / name, ec))
            return folder / name;
    }
    for (const LanguageEntry& entry : entries_)
        if (equals_ignore_ascii_case(entry.file_name, name))
            return entry.path;
    return std::nullopt;
}

std::string take_previous_language(IniFile& options)
{
    int index = options.read_integer("options", "idiomasID", -1);
    std::string previous = options.read_string("idiomas", id_key(index));
    options.erase_section("idiomas");
    return previous;
}

bool store_language_index(IniFile& options, int index)
{
    return options.write_integer("options", "idiomasID", index);
}

} // namespace valmuri
