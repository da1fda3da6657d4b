#pragma once
// The interface texts of the current language: a1 ... a210 of the section
// "traducao" of a language file, the program's own later texts up to a299,
// and the path of the file they came from.

#include "platform/ini_file.h"

#include <array>
#include <filesystem>
#include <string>

namespace valmuri {

class TranslationTable {
public:
    static constexpr int kCount = 299;

    // Reads the texts from a language file; a missing key gives an empty text.
    void load(const IniFile& language_file, std::filesystem::path path);
    // Text n (1 ... 299); empty for any other n.
    const std::string& text(int n) const;
    const std::string& operator[](int n) const { return text(n); }
    void set_text(int n, std::string value);
    // The language file last loaded (empty for built-in texts).
    const std::filesystem::path& path() const { return path_; }

private:
    std::array<std::string, kCount> texts_;
    std::filesystem::path path_;
};

} // namespace valmuri
