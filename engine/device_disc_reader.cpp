#include "engine/device_disc_reader.h"

#include <algorithm>

namespace valmuri {

namespace {

// Sectors per READ (10); small enough for any transport's transfer limit.
constexpr std::uint32_t MaxSectorsPerRead = 16;

} // namespace

int DeviceDiscReader::session_count()
{
    return device_.GetSessionCount();
}

std::optional<std::uint32_t> DeviceDiscReader::session_start(int session)
{
    if (session < 1 || session > 0xFF)
        return std::nullopt;
    if (!device_.ReadTrackInformation(static_cast<std::uint32_t>(session)))
        return std::nullopt;
    return device_.TrackInfo().track_start;
}

bool DeviceDiscReader::read_sectors(std::uint32_t lba, std::uint32_t count, std::uint8_t* buffer)
{
    while (count > 0) {
        const std::uint32_t blocks = std::min(count, MaxSectorsPerRead);
        if (!device_.Read10(lba, static_cast<std::uint16_t>(blocks), blocks * SectorSize, buffer))
            return false;
        lba += blocks;
        count -= blocks;
        buffer += std::size_t{blocks} * SectorSize;
    }
    return true;
}

} // namespace valmuri
