#pragma once
// Kinds of disc the engine tells apart, and how a drive's current profile
// maps onto them.

#include <cstdint>
#include <string>

namespace valmuri {

enum TDiscType : std::uint8_t {
    dtUnknown = 0,
    dtCDROM = 1,
    dtCDR = 2,
    dtCDRW = 3,
    dtDVDROM = 4,
    dtDVDR = 5,
    dtDVDRAM = 6,
    dtDVDRW = 7, // never detected; kept for its erase estimate
    dtDVDRWRestricted = 8,
    dtDVDRWSequential = 9,
    dtDVDPlusRW = 10,
    dtDVDPlusR = 11,
    dtDVDPlusRDL = 12,
    dtDDCDROM = 13,
    dtDDCDR = 14,
    dtDDCDRW = 15,
};

// MMC profile numbers reported by GET CONFIGURATION (current profile).
enum class MmcProfile : std::uint16_t {
    CD_ROM = 0x08,
    CD_R = 0x09,
    CD_RW = 0x0A,
    DVD_ROM = 0x10,
    DVD_R_SEQUENTIAL = 0x11,
    DVD_RAM = 0x12,
    DVD_RW_RESTRICTED_OVERWRITE = 0x13,
    DVD_RW_SEQUENTIAL = 0x14,
    DVD_PLUS_RW = 0x1A,
    DVD_PLUS_R = 0x1B,
    DDCD_ROM = 0x20,
    DDCD_R = 0x21,
    DDCD_RW = 0x22,
    DVD_PLUS_R_DUAL_LAYER = 0x2B,
};

// dtUnknown for a profile the engine does not write or read.
TDiscType disc_type_from_profile(std::uint16_t profile);

// "CD-RW", "DVD+R DL", ...; "UNKNOWN" for values outside the table.
std::string disc_type_name(std::uint8_t type);

// The CD kinds. An unknown disc is handled as a CD; the DDCD kinds, like
// every other type, as DVD.
inline bool is_cd(std::uint8_t type)
{
    switch (type) {
    case dtUnknown:
    case dtCDROM:
    case dtCDR:
    case dtCDRW:
        return true;
    default:
        return false;
    }
}

// CD-R and CD-RW: the CDs the writer records on.
inline bool is_recordable_cd(std::uint8_t type)
{
    return type == dtCDR || type == dtCDRW;
}

} // namespace valmuri
