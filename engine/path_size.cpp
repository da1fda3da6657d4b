#include "engine/burner.h"

#include <filesystem>
#include <sys/stat.h>

namespace valmuri {

std::int64_t TVordaCDBurner::GetPathSize(const std::string& Path) const
{
    namespace fs = std::filesystem;
    if (Path.empty())
        return 0;
    if (Path.back() != '/' && Path.back() != '\\') {
        struct stat st{};
        return ::stat(Path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : 0;
    }
    // Symbolic links to folders are not followed, so a link loop cannot
    // recurse without end; links to files count with their target's size.
    std::int64_t total = 0;
    std::error_code ec;
    fs::recursive_directory_iterator it(fs::path(Path.substr(0, Path.size() - 1) + "/"),
                                        fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code file_ec;
        if (it->is_regular_file(file_ec))
            total += static_cast<std::int64_t>(it->file_size(file_ec));
    }
    return total;
}

} // namespace valmuri
