#include "drive/capabilities.h"

#include "platform/endian.h"

#include <algorithm>
#include <initializer_list>

namespace valmuri {

std::optional<std::size_t> mode_page_offset(const std::uint8_t* answer, std::size_t length, std::uint8_t page_code,
                                            std::size_t page_bytes)
{
    constexpr std::size_t kHeaderBytes = 8;
    if (length < kHeaderBytes)
        return std::nullopt;
    const std::size_t at = kHeaderBytes + get_be16(answer + 6);
    if (at + std::max<std::size_t>(page_bytes, 2) > length || (answer[at] & 0x3F) != page_code)
        return std::nullopt;
    return at;
}

std::uint32_t capabilities_from_page(const std::uint8_t* page)
{
    std::uint32_t caps = 0;
    const std::uint8_t read = page[2];
    const std::uint8_t write = page[3];
    if (read & 0x01) caps |= capReadCDR;
    if (read & 0x02) caps |= capReadCDRW;
    if (read & 0x04) caps |= capMethod2;
    if (read & 0x08) caps |= capReadDVDROM;
    if (read & 0x10) caps |= capReadDVDR | capReadDVDRW;
    if (read & 0x20) caps |= capReadDVDRAM;
    if (write & 0x01) caps |= capWriteCDR;
    if (write & 0x02) caps |= capWriteCDRW;
    if (write & 0x04) caps |= capTestWrite;
    if (write & 0x10) caps |= capWriteDVDR | capWriteDVDRW;
    if (write & 0x20) caps |= capWriteDVDRAM;
    if (page[4] & 0x80) caps |= capUnderrunProtection;
    return caps;
}

std::uint32_t capabilities_from_feature(std::uint16_t feature, bool writable)
{
    switch (feature) {
    case kFeatureDVDPlusRW:
        return capReadDVDPlusRW | capReadDVDPlusR | (writable ? capWriteDVDPlusRW | capWriteDVDPlusR : 0u);
    case kFeatureDVDPlusRDualLayer:
        return capReadDVDPlusRDL | (writable ? capWriteDVDPlusRDL : 0u);
    case kFeatureDVDRWrite:
        return capReadDVDR | capReadDVDRW | (writable ? capWriteDVDR | capWriteDVDRW : 0u);
    default:
        return 0;
    }
}

PageSpeeds speeds_from_page(const std::uint8_t* page)
{
    PageSpeeds speeds;
    speeds.max_read = get_be16(page + 8);
    speeds.buffer_size = get_be16(page + 12);
    speeds.current_read = get_be16(page + 14);
    speeds.max_write = get_be16(page + 18);
    speeds.current_write = get_be16(page + 20);
    return speeds;
}

} // namespace valmuri
