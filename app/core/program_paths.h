#pragma once
// Where the program's own files live: the folder of the running executable
// holds options.ini, the geometry file, idiomas/ and the help page. When that
// folder cannot be written (an installed program), the two settings files
// move to $XDG_CONFIG_HOME/valmuri-mp3/ and language files are also looked
// for in the installed data folder (share/valmuri-mp3/).

#include <filesystem>
#include <vector>

namespace valmuri {

class ProgramPaths {
public:
    // executable: the program's full path; config_home: $XDG_CONFIG_HOME (or
    // ~/.config); data_folder: the installed data folder, may not exist.
    ProgramPaths(std::filesystem::path executable, std::filesystem::path config_home,
                 std::filesystem::path data_folder);
    // The paths of the running program, from /proc/self/exe and the environment.
    static ProgramPaths for_running_program();

    const std::filesystem::path& executable() const { return executable_; }
    std::filesystem::path program_folder() const { return executable_.parent_path(); }
    // The folder of options.ini and the geometry file; created when it is the
    // per-user folder and does not exist yet.
    std::filesystem::path settings_folder() const;
    std::filesystem::path options_file() const { return settings_folder() / "options.ini"; }
    // The executable's name with ".ini" as extension.
    std::filesystem::path geometry_file() const;
    // idiomas/ of the program folder, then of the installed data folder.
    std::vector<std::filesystem::path> language_folders() const;
    // The help page: the program folder's, else the installed one.
    std::filesystem::path help_file() const;
    // The recent-files list: $XDG_CONFIG_HOME/valmuri-mp3/recent.ini.
    std::filesystem::path recent_files_file() const { return config_home_ / "valmuri-mp3" / "recent.ini"; }
    // The system's temporary folder, with its trailing separator. Files the
    // program writes go into program_temp_folder() below it.
    static std::filesystem::path temp_folder();

private:
    bool program_folder_writable() const;

    std::filesystem::path executable_;
    std::filesystem::path config_home_;
    std::filesystem::path data_folder_;
};

inline constexpr const char* kHelpFileName = "ajuda_valmurimp3.html";

} // namespace valmuri
