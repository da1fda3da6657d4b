#pragma once
// A program folder of its own for each test: an executable path, idiomas/
// with chosen language files, removed afterwards.

#include "app/core/program_paths.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace valmuri::testing {

class ProgramFolder {
public:
    ProgramFolder()
    {
        char pattern[] = "/tmp/valmuri-app-XXXXXX";
        root_ = ::mkdtemp(pattern);
        std::filesystem::create_directories(root_ / "program");
    }
    ~ProgramFolder() { std::filesystem::remove_all(root_); }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    std::filesystem::path folder() const { return root_ / "program"; }
    std::filesystem::path idiomas() const { return folder() / "idiomas"; }
    ProgramPaths paths() const
    {
        return ProgramPaths(folder() / "valmuri-mp3", root_ / "config", root_ / "share");
    }
    // Copies a shipped language file into idiomas/ under the given name.
    void add_shipped_language(const std::string& source_name, const std::string& name) const
    {
        std::filesystem::create_directories(idiomas());
        std::filesystem::copy_file(std::filesystem::path(VALMURI_SOURCE_DIR) / "idiomas" / source_name,
                                   idiomas() / name, std::filesystem::copy_options::overwrite_existing);
    }
    void write(const std::filesystem::path& relative, const std::string& content) const
    {
        std::filesystem::create_directories((folder() / relative).parent_path());
        std::ofstream(folder() / relative, std::ios::binary) << content;
    }

private:
    std::filesystem::path root_;
};

} // namespace valmuri::testing
