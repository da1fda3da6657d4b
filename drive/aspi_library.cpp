#include "drive/aspi_library.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include <dlfcn.h>

namespace valmuri {
namespace {

std::mutex folder_mutex;
std::string folder_override;

std::string executable_folder()
{
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::filesystem::current_path(error).string();
    return exe.parent_path().string();
}

} // namespace

std::string program_folder()
{
    {
        std::lock_guard lock(folder_mutex);
        if (!folder_override.empty())
            return folder_override;
    }
    if (const char* env = std::getenv("VALMURI_PROGRAM_DIR"); env && *env)
        return env;
    return executable_folder();
}

void set_program_folder(const std::string& folder)
{
    std::lock_guard lock(folder_mutex);
    folder_override = folder;
}

std::vector<std::string> aspi_library_candidates(const std::string& dll_path)
{
    std::vector<std::string> candidates;
    if (!dll_path.empty())
        candidates.push_back(dll_path);
    candidates.push_back((std::filesystem::path(program_folder()) / kAspiLibraryFile).string());
    candidates.push_back(kAspiLibraryFile);
    return candidates;
}

bool load_aspi_library(const std::string& dll_path, AspiLibrary& library)
{
    library = AspiLibrary{};
    for (const std::string& candidate : aspi_library_candidates(dll_path)) {
        void* handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            continue;
        auto support_info = reinterpret_cast<GetASPI32SupportInfoFn>(::dlsym(handle, "GetASPI32SupportInfo"));
        auto send = reinterpret_cast<SendASPI32CommandFn>(::dlsym(handle, "SendASPI32Command"));
        if (!support_info || !send) {
            ::dlclose(handle);
            return false;
        }
        library = AspiLibrary{handle, support_info, send};
        return true;
    }
    return false;
}

bool free_aspi_library(AspiLibrary& library)
{
    bool freed = true;
    if (library.handle)
        freed = ::dlclose(library.handle) == 0;
    library = AspiLibrary{};
    return freed;
}

} // namespace valmuri
