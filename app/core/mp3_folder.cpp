#include "app/core/mp3_folder.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace valmuri {

std::vector<std::string> list_mp3_names(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path& path = it->path();
        if (!equals_ignore_ascii_case(path.extension().string(), ".mp3") || it->is_directory(ec))
            continue;
        names.push_back(path.stem().string());
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return compare_ignore_ascii_case(a, b) < 0;
    });
    return names;
}

namespace {

// Mount paths in /proc/self/mounts escape blanks as octal ("\040").
std::string unescape_mount_path(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
            out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 3), nullptr, 8)));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

} // namespace

std::vector<std::string> list_mounted_folders(const std::string& mounts_file)
{
    static const std::set<std::string> system_types = {
        "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "cgroup", "cgroup2", "securityfs", "pstore",
        "debugfs", "tracefs", "mqueue", "hugetlbfs", "configfs", "fusectl", "bpf", "autofs", "binfmt_misc",
        "overlay", "nsfs", "rpc_pipefs", "efivarfs", "ramfs", "squashfs", "devfs", "fuse.portal", "fuse.gvfsd-fuse"};
    std::vector<std::string> folders{"/"};
    std::ifstream in(mounts_file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, mount_point, type;
        if (!(fields >> device >> mount_point >> type))
            continue;
        mount_point = unescape_mount_path(mount_point);
        if (system_types.count(type) || mount_point == "/" || mount_point.rfind("/proc", 0) == 0
            || mount_point.rfind("/sys", 0) == 0 || mount_point.rfind("/dev", 0) == 0
            || mount_point.rfind("/run", 0) == 0 || mount_point.rfind("/snap/", 0) == 0 || mount_point == "/boot"
            || mount_point.rfind("/boot/", 0) == 0)
            continue;
        if (std::find(folders.begin(), folders.end(), mount_point) == folders.end())
            folders.push_back(mount_point);
    }
    return folders;
}

} // namespace valmuri
