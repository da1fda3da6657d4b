#include "app/core/recent_files.h"

#include "platform/ini_file.h"

#include <algorithm>

namespace valmuri {
namespace {

constexpr const char* kSection = "OpenFiles";

} // namespace

RecentFiles::RecentFiles(std::filesystem::path file) : file_(std::move(file))
{
    const IniFile ini(file_);
    for (std::size_t i = 1; i <= kMaxEntries; ++i) {
        const std::string path = ini.read_string(kSection, "File" + std::to_string(i), "");
        if (!path.empty() && std::find(entries_.begin(), entries_.end(), path) == entries_.end())
            entries_.push_back(path);
    }
}

void RecentFiles::add(const std::string& path)
{
    std::erase(entries_, path);
    entries_.insert(entries_.begin(), path);
    if (entries_.size() > kMaxEntries)
        entries_.resize(kMaxEntries);
    store();
}

void RecentFiles::remove(const std::string& path)
{
    std::erase(entries_, path);
    store();
}

void RecentFiles::clear()
{
    entries_.clear();
    store();
}

void RecentFiles::store()
{
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    IniFile ini(file_);
    ini.hold_writes();
    ini.erase_section(kSection);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        ini.write_string(kSection, "File" + std::to_string(i + 1), entries_[i]);
    ini.release_writes();
    last_error_ = ini.last_error();
}

} // namespace valmuri
