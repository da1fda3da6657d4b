#include "app/core/program_paths.h"

#include <cstdlib>
#include <unistd.h>

namespace fs = std::filesystem;

namespace valmuri {

ProgramPaths::ProgramPaths(fs::path executable, fs::path config_home, fs::path data_folder)
    : executable_(std::move(executable)), config_home_(std::move(config_home)), data_folder_(std::move(data_folder))
{
}

ProgramPaths ProgramPaths::for_running_program()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        exe = fs::current_path(ec) / "valmuri-mp3";
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = fs::path(home) / ".config";
    else
        config = temp_folder();
    fs::path data = exe.parent_path().parent_path() / "share" / "valmuri-mp3";
    return ProgramPaths(exe, config, data);
}

bool ProgramPaths::program_folder_writable() const
{
    return ::access(program_folder().c_str(), W_OK) == 0;
}

fs::path ProgramPaths::settings_folder() const
{
    if (program_folder_writable())
        return program_folder();
    fs::path folder = config_home_ / "valmuri-mp3";
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}

fs::path ProgramPaths::geometry_file() const
{
    fs::path name = executable_.filename();
    name.replace_extension(".ini");
    return settings_folder() / name;
}

std::vector<fs::path> ProgramPaths::language_folders() const
{
    std::vector<fs::path> folders{program_folder() / "idiomas"};
    if (!data_folder_.empty() && data_folder_ / "idiomas" != folders.front())
        folders.push_back(data_folder_ / "idiomas");
    return folders;
}

fs::path ProgramPaths::help_file() const
{
    fs::path local = program_folder() / kHelpFileName;
    std::error_code ec;
    if (fs::exists(local, ec) || data_folder_.empty())
        return local;
    fs::path installed = data_folder_ / kHelpFileName;
    return fs::exists(installed, ec) ? installed : local;
}

fs::path ProgramPaths::temp_folder()
{
    const char* tmp = std::getenv("TMPDIR");
    fs::path folder = (tmp && *tmp) ? fs::path(tmp) : fs::path("/tmp");
    return folder / "";
}

} // namespace valmuri
