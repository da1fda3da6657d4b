#pragma once
// The process-wide SCSI transport: one ASPI layer standing behind the two
// entry points SendASPI32Command and GetASPI32SupportInfo.
//
// Two layers can be loaded and the rest of the engine cannot tell them apart:
// an ASPI shared library ("WNASPI32.DLL", e.g. the virtual recorder) or the
// engine's own pass-through emulation over SG_IO ("KVASPI32"). The state is
// shared by every device object; it is changed on the main thread (or by the
// erase thread's reload) while no other thread sends commands.

#include <cstdint>
#include <string>

namespace valmuri {

inline constexpr const char* kLibraryLayerName = "WNASPI32.DLL";
inline constexpr const char* kEmulationLayerName = "KVASPI32";

// Loads a layer: the emulation first when PreferSPTI and it finds a drive,
// else a library (DllPath, the program folder's libwnaspi32.so, then
// libwnaspi32.so from the library path), else the emulation. Returns Loaded.
bool LoadASPI(bool PreferSPTI, const std::string& DllPath);

// Unloads whatever is loaded and loads again with the remembered preference
// and no path.
bool ReloadASPI();

// Frees the library layer; returns whether it was freed (true when there was
// nothing to free). The emulation is left alone.
bool UnloadASPI();

// Unloads both layers: frees the library, closes the emulation's drives.
// For hosts and tests that replace the transport under the engine.
void release_aspi_layers();

// The entry points of the loaded layer. With nothing loaded the send returns
// SS_NOT_SENT and the support info reports no adapters.
std::uint32_t GetASPI32SupportInfo();
std::uint8_t SendASPI32Command(void* request);

bool aspi_loaded();
// "WNASPI32.DLL", "KVASPI32", or empty.
std::string aspi_layer_name();

// Emulation only: close the drive's handle after every command.
void set_close_handle_after_command(bool close);
bool close_handle_after_command();

// The device path of the drive the loaded emulation knows at this address,
// or empty (also when the library layer is loaded).
std::string emulation_device_path(std::uint8_t host_adapter, std::uint8_t target, std::uint8_t lun);

} // namespace valmuri
