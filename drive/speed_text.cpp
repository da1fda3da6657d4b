#include "drive/speed_text.h"

#include "drive/disc_type.h"

namespace valmuri {

std::string speed_text(std::uint32_t kbps, std::uint8_t disc_type, const NumberFormat& format)
{
    bool dvd = false;
    switch (disc_type) {
    case dtDVDRAM:
    case dtDVDRW:
    case dtDVDRWRestricted:
    case dtDVDRWSequential:
    case dtDVDPlusRW:
        dvd = true;
        break;
    default:
        break;
    }
    const std::string multiple
        = dvd ? format_float("0.0X", kbps / 1385.0, format) : format_float("0X", kbps / 176.4, format);
    return multiple + format_integer("(#,##0 KB/s)", kbps, format);
}

} // namespace valmuri
