#include "drive/disc_type.h"

#include <array>

namespace valmuri {

TDiscType disc_type_from_profile(std::uint16_t profile)
{
    switch (static_cast<MmcProfile>(profile)) {
    case MmcProfile::CD_ROM: return dtCDROM;
    case MmcProfile::CD_R: return dtCDR;
    case MmcProfile::CD_RW: return dtCDRW;
    case MmcProfile::DVD_ROM: return dtDVDROM;
    case MmcProfile::DVD_R_SEQUENTIAL: return dtDVDR;
    case MmcProfile::DVD_RAM: return dtDVDRAM;
    case MmcProfile::DVD_RW_RESTRICTED_OVERWRITE: return dtDVDRWRestricted;
    case MmcProfile::DVD_RW_SEQUENTIAL: return dtDVDRWSequential;
    case MmcProfile::DVD_PLUS_RW: return dtDVDPlusRW;
    case MmcProfile::DVD_PLUS_R: return dtDVDPlusR;
    case MmcProfile::DVD_PLUS_R_DUAL_LAYER: return dtDVDPlusRDL;
    case MmcProfile::DDCD_ROM: return dtDDCDROM;
    case MmcProfile::DDCD_R: return dtDDCDR;
    case MmcProfile::DDCD_RW: return dtDDCDRW;
    }
    return dtUnknown;
}

std::string disc_type_name(std::uint8_t type)
{
    static const std::array<const char*, 16> names = {"UNKNOWN", "CD-ROM", "CD-R", "CD-RW", "DVD-ROM", "DVD-R",
        "DVD-RAM", "DVD-RW", "DVD-RW", "DVD-RW", "DVD+RW", "DVD+R", "DVD+R DL", "DDCD-ROM", "DDCD-R", "DDCD-RW"};
    return type < names.size() ? names[type] : "UNKNOWN";
}

} // namespace valmuri
