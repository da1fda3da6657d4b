#pragma once
// Reading folders for the file browser.

#include <filesystem>
#include <string>
#include <vector>

namespace valmuri {

// The MP3 files of a folder (not its subfolders): names without their last
// extension, of files whose extension is ".mp3" in any letter case, sorted
// without regard to case.
std::vector<std::string> list_mp3_names(const std::filesystem::path& folder);

// Mount points of the file systems a user keeps files on ("/" first, then
// the others in /proc/self/mounts order), without the kernel's own.
std::vector<std::string> list_mounted_folders(const std::string& mounts_file = "/proc/self/mounts");

} // namespace valmuri
