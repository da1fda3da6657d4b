#include "engine/device_disc_queries.h"

#include "drive/disc_information.h"
#include "drive/disc_type.h"
#include "engine/burner.h"
#include "engine/session_import.h"

#include <array>

namespace valmuri {

std::uint8_t DeviceDiscQueries::ReadDiscType()
{
    const std::uint8_t type = burner_.GetDiscType();
    TSCSIDevice::SetCurrentDiscType(type);
    return type;
}

std::optional<std::uint32_t> DeviceDiscQueries::FindStartSector()
{
    TSCSIDevice& drive = burner_;
    // A drive that answers ready at once is not waited for.
    const auto wait_for_ready = [&drive] {
        if (!drive.TestUnitReady(5000))
            drive.WaitForReady(10000, 500);
    };
    wait_for_ready();
    const std::uint8_t type = drive.GetDiscType();
    const bool finalize = drive.TSCSIDevice::FinalizeDisc();
    drive.TSCSIDevice::SetFinalizeDisc(true);
    drive.SetWriteParameters(false, burner_.UnderrunProtection(), true, type);
    drive.TSCSIDevice::SetFinalizeDisc(finalize);
    wait_for_ready();

    if (type == dtDVDRAM || type == dtDVDPlusRW) {
        // Written in place: the new session starts where the last volume ends.
        std::array<std::uint8_t, 2048> block{};
        for (std::uint32_t lba = 32; lba >= 16; --lba) {
            block.fill(0);
            if (!drive.Read10(lba, 1, static_cast<std::uint32_t>(block.size()), block.data()))
                continue;
            const bool descriptor = (block[0] == 1 || block[0] == 2) && block[1] == 'C' && block[2] == 'D'
                && block[3] == '0' && block[4] == '0' && block[5] == '1';
            if (descriptor)
                return iso_volume_size(block.data());
        }
        return 0;
    }

    std::array<std::uint8_t, kDiscInformationLength> info{};
    const bool have_information = drive.ReadDiscInformation(info.data(), static_cast<std::uint16_t>(info.size()));
    if (type == dtDVDRWRestricted || type == dtDVDRWSequential) {
        if (drive.ReadTrackInformation(1) && drive.TrackInfo().next_writable != 0)
            return drive.TrackInfo().next_writable;
        return 0;
    }
    const int sessions = have_information ? session_count(info.data()) : 0;
    if (!drive.ReadTrackInformation(static_cast<std::uint32_t>(sessions + 1)))
        return std::nullopt;
    return drive.TrackInfo().next_writable;
}

bool DeviceDiscQueries::ImportPreviousSession(std::int8_t session, TDEntry* into)
{
    return valmuri::ImportPreviousSession(burner_, session, into);
}

} // namespace valmuri
