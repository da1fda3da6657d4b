#pragma once
// The library layer: an ASPI shared library (libwnaspi32.so, such as the
// virtual recorder) loaded with dlopen.

#include "drive/aspi_abi.h"

#include <string>
#include <vector>

namespace valmuri {

inline constexpr const char* kAspiLibraryFile = "libwnaspi32.so";

struct AspiLibrary {
    void* handle = nullptr;
    GetASPI32SupportInfoFn support_info = nullptr;
    SendASPI32CommandFn send = nullptr;
};

// The folder of the running executable. VALMURI_PROGRAM_DIR in the
// environment or set_program_folder() override it (tests point it at the
// build folder).
std::string program_folder();
void set_program_folder(const std::string& folder);

// The files tried, in order: DllPath when given, the program folder's
// library, then the bare name for the dynamic linker's search path.
std::vector<std::string> aspi_library_candidates(const std::string& dll_path);

// Loads the first candidate that loads. A library without both entry points
// is closed again and not used; the result is then false.
bool load_aspi_library(const std::string& dll_path, AspiLibrary& library);
// Closes the library; true when it was closed or nothing was open.
bool free_aspi_library(AspiLibrary& library);

} // namespace valmuri
