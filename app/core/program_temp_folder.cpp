#include "app/core/program_temp_folder.h"

#include "app/core/program_paths.h"

#include <cstdlib>
#include <sys/stat.h>

namespace valmuri {

ProgramTempFolder::ProgramTempFolder(const std::filesystem::path& base)
{
    std::string pattern = (base / "valmuri-mp3-XXXXXX").string();
    // mkdtemp creates the folder with mode 0700.
    if (::mkdtemp(pattern.data()) != nullptr)
        path_ = pattern;
}

ProgramTempFolder::~ProgramTempFolder()
{
    if (path_.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

const ProgramTempFolder& program_temp_folder()
{
    static const ProgramTempFolder folder(ProgramPaths::temp_folder());
    return folder;
}

} // namespace valmuri
