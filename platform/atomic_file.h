#pragma once
// Writing a file the user cares about so that it is either the old file or
// the whole new one: the content goes into a temporary file in the same
// folder, is synced, and is renamed over the target. A symbolic link is
// followed so the link itself survives; the target keeps its permissions.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace valmuri {

// Empty on success, else the system's reason ("No space left on device");
// the old file is then untouched and no temporary file is left behind.
std::string write_file_atomically(const std::filesystem::path& path, std::string_view content);

// The whole file; on failure error holds the system's reason. A file over
// max_bytes is not read and sets too_large.
struct FileBytes {
    std::string bytes;
    std::string error;
    bool too_large = false;
};
FileBytes read_file_bytes(const std::filesystem::path& path, std::uintmax_t max_bytes);

} // namespace valmuri
