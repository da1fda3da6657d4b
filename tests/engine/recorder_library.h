#pragma once
// The virtual recorder library as the burn tests load it.

#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <string>

namespace valmuri::test {

inline const std::string kRecorderLibrary = std::string(VALMURI_BINARY_DIR) + "/libwnaspi32.so";

// Makes the loaded library drop its recorders, which saves their discs: it
// does so at the next question once the configuration names none. The empty
// configuration is written into folder.
inline void release_recorders(const std::filesystem::path& folder)
{
    const std::filesystem::path empty = folder / "empty.ini";
    std::ofstream(empty) << "; none\n";
    ::setenv("VALMURI_VRECORDER", empty.c_str(), 1);
    if (void* library = ::dlopen(kRecorderLibrary.c_str(), RTLD_NOW)) {
        if (auto info = reinterpret_cast<std::uint32_t (*)()>(::dlsym(library, "GetASPI32SupportInfo")))
            info();
        ::dlclose(library);
    }
}

} // namespace valmuri::test
