#pragma once
// The language files the program offers: every "*.ini" file (extension in
// any letter case) of the language folders, sorted by name without regard
// to case. An entry's index is its place in the languages menu and the
// number after "ID" in the section "idiomas" of options.ini.

#include "platform/ini_file.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace valmuri {

inline constexpr const char* kDefaultLanguageFile = "PORTUGUES_BR.INI";

struct LanguageEntry {
    std::string file_name;       // name without folder, as stored in options.ini
    std::filesystem::path path;  // where it was found
    std::string language;        // info/idioma
    std::string author;          // info/autor
};

class LanguageList {
public:
    // Names beginning with "." are skipped. A name found in an earlier
    // folder hides the same name (letter case ignored) in later ones.
    static LanguageList scan(const std::vector<std::filesystem::path>& folders);

    const std::vector<LanguageEntry>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }
    // The index of PORTUGUES_BR.INI (letter case ignored), else 0.
    int default_index() const { return default_index_; }

    // Writes "ID" + index = file name for every entry into section idiomas.
    bool write_ids(IniFile& options) const;
    // The first index whose "ID" key in options.ini names previous_file
    // (letter case ignored), else the default index.
    int choose(const IniFile& options, const std::string& previous_file) const;
    // The file named by "ID" + index in options.ini, looked up in the
    // language folders; nullopt when the key or the file is missing.
    std::optional<std::filesystem::path> file_for_index(const IniFile& options, int index) const;

private:
    std::vector<std::filesystem::path> folders_;
    std::vector<LanguageEntry> entries_;
    int default_index_ = 0;
};

// Reads options/idiomasID and the file name stored under "ID" + that number,
// then erases the section idiomas (rebuilt by LanguageList::write_ids).
std::string take_previous_language(IniFile& options);
// Stores the chosen index in options/idiomasID.
bool store_language_index(IniFile& options, int index);

} // namespace valmuri
