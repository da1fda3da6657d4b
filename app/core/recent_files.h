#pragma once
// The recent-files list: up to 25 project paths, most recent first, kept in
// $XDG_CONFIG_HOME/valmuri-mp3/recent.ini, section "OpenFiles", values
// File1 ... File25.

#include <filesystem>
#include <string>
#include <vector>

namespace valmuri {

class RecentFiles {
public:
    static constexpr std::size_t kMaxEntries = 25;

    // Reads the list from the file (missing: empty).
    explicit RecentFiles(std::filesystem::path file);

    const std::vector<std::string>& entries() const { return entries_; }
    // To the top; a path already listed moves there; the 26th falls off.
    void add(const std::string& path);
    void remove(const std::string& path);
    void clear();
    // Empty on success, else why the file could not be written.
    const std::string& last_error() const { return last_error_; }

private:
    void store();

    std::filesystem::path file_;
    std::vector<std::string> entries_;
    std::string last_error_;
};

} // namespace valmuri
