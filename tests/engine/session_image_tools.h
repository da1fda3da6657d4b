#pragma once
// Disc images made by independent tools (genisoimage, xorriso) in a
// temporary folder, for reading them back.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace valmuri::test {

class ImageFolder {
public:
    ImageFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "valmuri-session-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ImageFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    ImageFolder(const ImageFolder&) = delete;
    ImageFolder& operator=(const ImageFolder&) = delete;

    std::filesystem::path path(const std::string& name = {}) const { return name.empty() ? path_ : path_ / name; }

    // Writes a file below the folder, creating its parents.
    void file(const std::string& name, const std::string& content = "x")
    {
        const auto target = path_ / name;
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary) << content;
    }

    // Runs a shell command in the folder; true on exit status 0.
    bool run(const std::string& command) const
    {
        const std::string line = "cd '" + path_.string() + "' && (" + command + ") >/dev/null 2>&1";
        return std::system(line.c_str()) == 0;
    }

    std::uintmax_t sectors(const std::string& name) const { return std::filesystem::file_size(path(name)) / 2048; }

private:
    std::filesystem::path path_;
};

} // namespace valmuri::test
