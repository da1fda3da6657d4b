#pragma once
// The running program's own temporary folder: created with mode 0700 under
// the system's temporary folder at first use and removed with everything in
// it when the program ends. Files with fixed names (cursor, sound, autorun
// and player files) live here, so another user cannot plant a link under
// such a name and two running copies never share a file.

#include <filesystem>
#include <string>

namespace valmuri {

class ProgramTempFolder {
public:
    // A new folder under base ("valmuri-mp3-XXXXXX").
    explicit ProgramTempFolder(const std::filesystem::path& base);
    ~ProgramTempFolder();
    ProgramTempFolder(const ProgramTempFolder&) = delete;
    ProgramTempFolder& operator=(const ProgramTempFolder&) = delete;

    // Empty when the folder could not be created.
    const std::filesystem::path& path() const { return path_; }
    bool valid() const { return !path_.empty(); }
    // path() / name.
    std::filesystem::path file(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The folder of this process, under $TMPDIR or /tmp; removed at exit.
const ProgramTempFolder& program_temp_folder();

} // namespace valmuri
