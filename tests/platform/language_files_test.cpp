// Keeps the shipped language files complete and consistent with each other:
// the program shows whatever a file holds, so a missing key or a lost %1
// only shows up as an empty caption or a message without its number.
#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path language_dir = fs::path(VALMURI_SOURCE_DIR) / "idiomas";
const char* const default_language = "PORTUGUES_BR.INI";
constexpr int text_count = 210;
// Texts the program added after a210 live in ranges up to this key; each
// must be in every file.
constexpr int last_key = 299;

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// Sections and keys as the program's INI reader sees them: names without
// letter case, lines without "=" and comment lines ignored.
struct LanguageFile {
    std::string name;
    std::string bytes;
    std::map<std::string, std::map<std::string, std::string>> sections;
    std::vector<std::string> duplicates; // "section/key" seen twice

    const std::map<std::string, std::string>& section(const std::string& s) const
    {
        static const std::map<std::string, std::string> empty;
        auto it = sections.find(s);
        return it == sections.end() ? empty : it->second;
    }

    std::string value(const std::string& s, const std::string& k) const
    {
        const auto& keys = section(s);
        auto it = keys.find(k);
        return it == keys.end() ? std::string() : it->second;
    }
};

LanguageFile load(const fs::path& path)
{
    LanguageFile file;
    file.name = path.filename().string();
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    file.bytes = all.str();

    std::string section;
    std::istringstream lines(file.bytes);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string t = trim(line);
        if (t.empty() || t[0] == ';')
            continue;
        if (t.front() == '[' && t.back() == ']') {
            section = lower(t.substr(1, t.size() - 2));
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = lower(trim(line.substr(0, eq)));
        auto& keys = file.sections[section];
        if (keys.count(key))
            file.duplicates.push_back(section + "/" + key);
        else
            keys[key] = line.substr(eq + 1);
    }
    return file;
}

std::vector<fs::path> language_paths()
{
    std::vector<fs::path> paths;
    for (const auto& entry : fs::directory_iterator(language_dir)) {
        const std::string name = entry.path().filename().string();
        if (!name.empty() && name[0] != '.' && lower(entry.path().extension().string()) == ".ini")
            paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

bool valid_utf8(const std::string& s)
{
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        size_t follow = 0;
        if (c >= 0xC2 && c <= 0xDF)
            follow = 1;
        else if ((c & 0xF0) == 0xE0)
            follow = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            follow = 3;
        else if (c >= 0x80)
            return false;
        if (i + follow >= s.size() && follow > 0)
            return false;
        for (size_t k = 1; k <= follow; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += follow + 1;
    }
    return true;
}

// The placeholders a text carries, such as {"%1", "%3"}.
std::set<std::string> placeholders(const std::string& text)
{
    std::set<std::string> found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '%' && std::isdigit(static_cast<unsigned char>(text[i + 1])))
            found.insert(text.substr(i, 2));
    }
    return found;
}

std::string key(int n)
{
    return "a" + std::to_string(n);
}

// a180 and a181 are shown with every "%" turned into a line break.
bool percent_is_line_break(const std::string& k)
{
    return k == "a180" || k == "a181";
}

class LanguageFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const auto& path : language_paths())
            files.push_back(load(path));
        ASSERT_TRUE(fs::exists(language_dir / default_language));
        reference = load(language_dir / default_language);
        ASSERT_GE(files.size(), 2u) << "expected the Portuguese and the English file";
    }

    std::vector<LanguageFile> files;
    LanguageFile reference;
};

TEST_F(LanguageFiles, AreUtf8WithCrLfLineEndsAndNoDuplicateKeys)
{
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        EXPECT_TRUE(valid_utf8(f.bytes));
        EXPECT_NE(f.bytes.rfind("\xEF\xBB\xBF", 0), 0u) << "a byte order mark would hide the first section";
        for (size_t i = 0; i < f.bytes.size(); ++i) {
            const bool line_end_ok = (f.bytes[i] != '\n' || (i > 0 && f.bytes[i - 1] == '\r')) &&
                                     (f.bytes[i] != '\r' || (i + 1 < f.bytes.size() && f.bytes[i + 1] == '\n'));
            ASSERT_TRUE(line_end_ok) << "bare CR or LF at byte " << i;
        }
        for (const auto& d : f.duplicates)
            ADD_FAILURE() << d << " appears twice; readers take only one of them";
    }
}

TEST_F(LanguageFiles, NameTheLanguageAndTranslator)
{
    std::set<std::string> names;
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const std::string language = f.value("info", "idioma");
        EXPECT_FALSE(trim(language).empty());
        EXPECT_FALSE(trim(f.value("info", "autor")).empty());
        EXPECT_TRUE(names.insert(language).second) << "two menu items would read " << language;
    }
}

TEST_F(LanguageFiles, HoldExactlyTheInterfaceTextsWithoutBlanksAtTheEnds)
{
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const auto& texts = f.section("traducao");
        for (int n = 1; n <= text_count; ++n) {
            auto it = texts.find(key(n));
            ASSERT_NE(it, texts.end()) << key(n) << " missing";
            EXPECT_FALSE(it->second.empty()) << key(n) << " is empty";
            // INI readers drop blanks at both ends, so they never reach the screen.
            EXPECT_EQ(trim(it->second), it->second) << key(n);
        }
        for (const auto& [k, v] : texts) {
            const bool numbered = k.size() > 1 && k[0] == 'a' && k[1] != '0' &&
                                  k.find_first_not_of("0123456789", 1) == std::string::npos &&
                                  std::stoi(k.substr(1)) <= last_key;
            EXPECT_TRUE(numbered) << "unknown key " << k << " (a typo would leave a text empty)";
            if (numbered && std::stoi(k.substr(1)) > text_count) {
                EXPECT_TRUE(reference.section("traducao").count(k)) << k << " missing in " << default_language;
            }
        }
    }
}

TEST_F(LanguageFiles, CarryTheSamePlaceholdersAsTheDefaultLanguage)
{
    const auto& ref = reference.section("traducao");
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const auto& texts = f.section("traducao");
        for (int n = 1; n <= last_key; ++n) {
            const std::string k = key(n);
            if (n > text_count && ref.count(k)) {
                EXPECT_TRUE(texts.count(k)) << k << " missing";
            }
            if (!texts.count(k) || !ref.count(k))
                continue;
            const std::string& text = texts.at(k);
            if (percent_is_line_break(k)) {
                EXPECT_TRUE(placeholders(text).empty()) << k << ": a line break followed by a digit";
                continue;
            }
            EXPECT_EQ(placeholders(text), placeholders(ref.at(k))) << k << ": " << text;
            for (size_t i = 0; i < text.size(); ++i) {
                if (text[i] == '%') {
                    EXPECT_TRUE(i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '3')
                        << k << ": stray % in " << text;
                }
            }
        }
    }
}

TEST_F(LanguageFiles, SubstitutedTextsHoldTheirPlaceholders)
{
    // Texts into which the program puts a count, a file name, a time of day,
    // an error text, a disc type or a speed.
    const std::map<std::string, std::set<std::string>> substituted = {
        {"a71", {"%1"}},  {"a103", {"%1"}}, {"a107", {"%1"}},       {"a124", {"%1"}},
        {"a132", {"%1"}}, {"a135", {"%1", "%2"}}, {"a136", {"%1"}}, {"a138", {"%1", "%2", "%3"}},
        {"a145", {"%1"}}, {"a146", {"%1"}}, {"a147", {"%1"}},       {"a158", {"%1"}},
    };
    const auto& texts = reference.section("traducao");
    for (const auto& [k, expected] : substituted) {
        ASSERT_TRUE(texts.count(k)) << k;
        EXPECT_EQ(placeholders(texts.at(k)), expected) << k << ": " << texts.at(k);
    }
}

TEST_F(LanguageFiles, CaptionsHaveAtMostOneAccelerator)
{
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        for (const auto& [k, text] : f.section("traducao")) {
            size_t marks = 0;
            for (size_t i = 0; i < text.size(); ++i) {
                if (text[i] != '&')
                    continue;
                if (i + 1 < text.size() && text[i + 1] == '&') {
                    ++i;
                    continue;
                }
                ++marks;
                EXPECT_TRUE(i + 1 < text.size() && text[i + 1] != ' ') << k << ": & marks no letter";
            }
            EXPECT_LE(marks, 1u) << k << ": " << text;
        }
    }
}

TEST_F(LanguageFiles, SaveDialogFiltersAreDescriptionBarPattern)
{
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        for (const std::string k : {"a165", "a178"}) {
            const auto& texts = f.section("traducao");
            ASSERT_TRUE(texts.count(k));
            const std::string& filter = texts.at(k);
            const auto bar = filter.find('|');
            ASSERT_NE(bar, std::string::npos) << k;
            EXPECT_EQ(filter.find('|', bar + 1), std::string::npos) << k;
            EXPECT_GT(bar, 0u) << k;
            EXPECT_EQ(filter.compare(bar + 1, 2, "*."), 0) << k;
        }
        EXPECT_NE(f.section("traducao").at("a165").find("*.txt"), std::string::npos);
        EXPECT_NE(f.section("traducao").at("a178").find("*.htm"), std::string::npos);
    }
}

TEST_F(LanguageFiles, AboutBoxNamesThisProgram)
{
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        ASSERT_TRUE(f.section("traducao").count("a168"));
        EXPECT_NE(f.section("traducao").at("a168").find("Valmuri MP3"), std::string::npos);
    }
}

TEST_F(LanguageFiles, PlayerTextsAreNumberedWithoutGapsAndMatch)
{
    const auto& ref = reference.section("traducao_mp3player");
    ASSERT_FALSE(ref.empty());
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const auto& texts = f.section("traducao_mp3player");
        // The player reads b1 … bN where N is the number of keys.
        ASSERT_EQ(texts.size(), ref.size());
        for (size_t n = 1; n <= texts.size(); ++n) {
            const std::string k = "b" + std::to_string(n);
            ASSERT_TRUE(texts.count(k)) << k << " missing";
            EXPECT_FALSE(texts.at(k).empty()) << k;
            EXPECT_EQ(trim(texts.at(k)), texts.at(k)) << k;
            EXPECT_EQ(texts.at(k).find('%'), std::string::npos) << k;
        }
    }
}

TEST_F(LanguageFiles, ReadTheSameThroughTheProgramsIniReader)
{
    for (const auto& path : language_paths()) {
        const LanguageFile f = load(path);
        SCOPED_TRACE(f.name);
        const valmuri::IniFile ini(path);
        for (const std::string section : {"info", "traducao", "traducao_mp3player"}) {
            for (const auto& [k, v] : f.section(section))
                EXPECT_EQ(ini.read_string(section, k, "<missing>"), v) << section << "/" << k;
        }
        EXPECT_EQ(ini.read_section("traducao_mp3player").size(), f.section("traducao_mp3player").size());
    }
}

} // namespace
