#pragma once
// The disc in the selected drive, read through MMC commands: the session
// count from READ DISC INFORMATION, a session's start from READ TRACK
// INFORMATION of its track (one track per session on the discs this
// program writes) and sectors with READ (10).

#include "drive/scsi_device.h"
#include "engine/disc_reader.h"

namespace valmuri {

class DeviceDiscReader : public DiscReader {
public:
    explicit DeviceDiscReader(TSCSIDevice& device)
        : device_(device)
    {
    }

    int session_count() override;
    std::optional<std::uint32_t> session_start(int session) override;
    bool read_sectors(std::uint32_t lba, std::uint32_t count, std::uint8_t* buffer) override;

private:
    TSCSIDevice& device_;
};

} // namespace valmuri
