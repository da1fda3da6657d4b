#pragma once
// The write parameters mode page (05h) the engine sends before writing, and
// the pages used to find out which write types a drive accepts.
//
// Page bytes: 2 BUFE (bit 6), LS_V (5), test write (4), write type (0-3);
// 3 multi-session (7-6), FP (5), track mode (0-3); 4 data block type;
// 5 link size; 8 session format; 10-13 packet size; 14-15 audio pause length.

#include <array>
#include <cstdint>

namespace valmuri {

inline constexpr std::size_t kWriteParametersPageSize = 54;
inline constexpr std::size_t kModeHeaderSize = 8;
// MODE SELECT (10) list: a zero 8-byte header and page bytes 0 to 51.
inline constexpr std::size_t kWriteParametersListSize = 60;

using WriteParametersPage = std::array<std::uint8_t, kWriteParametersPageSize>;

struct WriteParameterOptions {
    bool test_write = false;
    bool underrun_protection = false;
    bool dual_layer_multisession = false;
    std::uint8_t disc_type = 0;
    bool finalize_disc = false;
    std::uint32_t capabilities = 0;           // the drive's DeviceCapabilities
    std::uint8_t capabilities_page_byte4 = 0; // its capabilities page byte 4 (BUF)
    bool link_size_quirk = false;
};

// Builds the page to send on top of the drive's current page.
WriteParametersPage build_write_parameters(const WriteParametersPage& current, const WriteParameterOptions& options);

std::array<std::uint8_t, kWriteParametersListSize> write_parameters_list(const WriteParametersPage& page);

// Write types as they are probed and remembered in WriteModes.
enum WriteMode : std::uint8_t {
    wmRAW = 1,
    wmSAO = 2,
    wmTAO = 4,
};

// The trial page for one write type, and the length of the MODE SELECT list
// carrying it (the drive's page length plus both headers, never past the copy).
struct WriteModeProbe {
    std::array<std::uint8_t, kModeHeaderSize + kWriteParametersPageSize> list{};
    std::uint16_t length = 0;
};
WriteModeProbe write_mode_probe(const WriteParametersPage& current, WriteMode mode);

} // namespace valmuri
