#pragma once
// The capability set of a drive, read from the capabilities mode page (2Ah)
// and from GET CONFIGURATION features.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace valmuri {

enum DeviceCapability : std::uint32_t {
    capReadCDR = 0x1,
    capReadCDRW = 0x2,
    capMethod2 = 0x4,
    capReadDVDROM = 0x8,
    capReadDVDR = 0x10,
    capReadDVDRW = 0x20,
    capReadDVDRAM = 0x40,
    capReadDVDPlusRW = 0x80,
    capReadDVDPlusRDL = 0x100,
    capReadDVDPlusR = 0x200,
    capWriteCDR = 0x400,
    capWriteCDRW = 0x800,
    capTestWrite = 0x1000,
    capWriteDVDR = 0x2000,
    capWriteDVDRW = 0x4000,
    capWriteDVDRAM = 0x8000,
    capWriteDVDPlusRW = 0x10000,
    capWriteDVDPlusRDL = 0x20000,
    capWriteDVDPlusR = 0x40000,
    capUnderrunProtection = 0x100000,
};

// The engine keeps this much of the capabilities page, from its page code byte.
inline constexpr std::size_t kCapabilitiesPageSize = 516;
inline constexpr std::uint8_t kCapabilitiesPageCode = 0x2A;
inline constexpr std::uint8_t kWriteParametersPageCode = 0x05;
// A vendor page whose presence marks buffer-underrun protection.
inline constexpr std::uint8_t kUnderrunProtectionPageCode = 0x30;

// GET CONFIGURATION features that reveal DVD+R/+RW, DVD+R DL and DVD-R/-RW.
inline constexpr std::uint16_t kFeatureDVDPlusRW = 0x2A;
inline constexpr std::uint16_t kFeatureDVDPlusRDualLayer = 0x3B;
inline constexpr std::uint16_t kFeatureDVDRWrite = 0x2F;

inline constexpr std::uint16_t kDvdSpeedUnit = 1385; // KB/s of DVD 1X

// Where a mode page starts in a MODE SENSE (10) answer of length bytes:
// after the 8-byte header and the block descriptors whose length the header
// gives (bytes 6-7). Nothing when the page found there has another code or
// fewer than page_bytes of it are in the answer.
std::optional<std::size_t> mode_page_offset(const std::uint8_t* answer, std::size_t length, std::uint8_t page_code,
                                            std::size_t page_bytes);
// Bytes of the capabilities page that the engine reads (up to the current
// write speed).
inline constexpr std::size_t kCapabilitiesPageBytesRead = 22;

// Bits from the capabilities page's bytes 2 (read), 3 (write) and 4 (BUF).
std::uint32_t capabilities_from_page(const std::uint8_t* page);

// Bits a GET CONFIGURATION feature adds when present; writable is its
// "current" byte (12) equal to 1.
std::uint32_t capabilities_from_feature(std::uint16_t feature, bool writable);

// Speeds and buffer size of the capabilities page, converted to host order.
struct PageSpeeds {
    std::uint16_t max_read = 0;    // bytes 8-9
    std::uint16_t buffer_size = 0; // bytes 12-13, KB
    std::uint16_t current_read = 0; // bytes 14-15
    std::uint16_t max_write = 0;   // bytes 18-19
    std::uint16_t current_write = 0; // bytes 20-21
};
PageSpeeds speeds_from_page(const std::uint8_t* page);

} // namespace valmuri
