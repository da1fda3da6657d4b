#include "drive/erase_plan.h"

#include "drive/disc_type.h"
#include "platform/endian.h"

#include <cfenv>
#include <cmath>

namespace valmuri {
namespace {

FormatList format_list(std::uint32_t blocks, std::uint8_t format_type, std::uint32_t parameter)
{
    FormatList list{};
    list[1] = 0x82; // FOV, IMMED
    list[3] = 8;    // one descriptor
    put_be32(&list[4], blocks);
    list[8] = static_cast<std::uint8_t>(format_type << 2);
    list[9] = static_cast<std::uint8_t>(parameter >> 16);
    list[10] = static_cast<std::uint8_t>(parameter >> 8);
    list[11] = static_cast<std::uint8_t>(parameter);
    return list;
}

} // namespace

std::uint16_t erase_estimate(std::uint8_t disc_type, std::uint8_t blanking_type)
{
    if (is_cd(disc_type))
        return blanking_type == kBlankQuick ? 150 : 4500;
    if (blanking_type == kBlankFull)
        return 4440;
    if (blanking_type == kBlankQuick)
        return disc_type == dtDVDRW ? 180 : 600;
    return 8880;
}

int erase_progress(double counter, std::uint16_t estimate)
{
    if (estimate == 0)
        return 100;
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double percent = std::nearbyint(counter / estimate * 100.0);
    std::fesetround(saved);
    return static_cast<int>(percent);
}

FormatList dvd_ram_format_list()
{
    return format_list(2236704, 0x00, 2048);
}

FormatList dvd_plus_rw_format_list()
{
    return format_list(2295104, 0x26, 0);
}

} // namespace valmuri
