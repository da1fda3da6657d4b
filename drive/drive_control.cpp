// What the drive and its disc can do: capabilities and speeds, the disc
// type and state, and the room left for writing.

#include "drive/scsi_device.h"

#include "drive/capabilities.h"
#include "drive/disc_type.h"
#include "platform/endian.h"

#include <algorithm>
#include <atomic>

namespace valmuri {
namespace {

std::atomic<std::uint8_t> current_disc_type{dtUnknown};

constexpr std::uint16_t kCapabilitiesReadLength = 255;
constexpr std::uint16_t kCurrentPageReadLength = 128;
constexpr std::uint16_t kConfigurationLength = 114;
constexpr std::uint8_t kAtipLength = 26;

} // namespace

std::uint8_t TSCSIDevice::CurrentDiscType()
{
    return current_disc_type;
}

void TSCSIDevice::SetCurrentDiscType(std::uint8_t type)
{
    current_disc_type = type;
}

bool TSCSIDevice::GetCapabilities()
{
    device_capabilities_ = 0;
    device_max_write_speed_ = 0;
    device_max_read_speed_ = 0;
    capabilities_page_.fill(0);

    std::array<std::uint8_t, kCapabilitiesReadLength> answer{};
    const auto page_in = [](const auto& answer, std::uint8_t code, std::size_t bytes) {
        return mode_page_offset(answer.data(), answer.size(), code, bytes);
    };
    std::optional<std::size_t> at;
    if (ModeSense10(kCapabilitiesPageCode, answer.data(), true, kCapabilitiesReadLength, kCapabilitiesReadLength - 1)
        && (at = page_in(answer, kCapabilitiesPageCode, kCapabilitiesPageBytesRead))) {
        std::copy(answer.begin() + *at, answer.end(), capabilities_page_.begin());
        const std::uint8_t* page = capabilities_page_.data();
        std::uint32_t caps = capabilities_from_page(page);

        std::array<std::uint8_t, kCurrentPageReadLength> vendor{};
        if (ModeSense10(kUnderrunProtectionPageCode, vendor.data(), false, kCurrentPageReadLength,
                kCurrentPageReadLength - 1)
            && page_in(vendor, kUnderrunProtectionPageCode, 2))
            caps |= capUnderrunProtection;
        if (ForcedUnderrunProtection())
            caps |= capUnderrunProtection;

        const bool writes_dvd_ram = (page[3] & 0x20) != 0;
        const PageSpeeds speeds = speeds_from_page(page);
        device_max_write_speed_ = speeds.max_write == 0 && writes_dvd_ram ? 1 : speeds.max_write;
        device_max_read_speed_ = speeds.max_read == 0 && writes_dvd_ram ? 1 : speeds.max_read;

        for (std::uint16_t feature : {kFeatureDVDPlusRW, kFeatureDVDPlusRDualLayer, kFeatureDVDRWrite}) {
            configuration_.fill(0);
            if (GetConfiguration(2, feature, kConfigurationLength, configuration_.data())
                && get_be16(&configuration_[8]) == feature)
                caps |= capabilities_from_feature(feature, configuration_[12] == 1);
        }
        device_capabilities_ = caps;
    }

    std::array<std::uint8_t, kCurrentPageReadLength> current{};
    if (!ModeSense10(kCapabilitiesPageCode, current.data(), false, kCurrentPageReadLength, kCurrentPageReadLength - 1)
        || !(at = page_in(current, kCapabilitiesPageCode, kCapabilitiesPageBytesRead)))
        return false;
    std::copy(current.begin() + *at, current.end(), capabilities_page_.begin());

    PageSpeeds speeds = speeds_from_page(capabilities_page_.data());
    if (speeds.current_write == 0)
        speeds.current_write = kDvdSpeedUnit;
    if (speeds.max_write == 0)
        speeds.max_write = kDvdSpeedUnit;
    current_write_speed_ = speeds.current_write;
    max_write_speed_ = speeds.max_write;
    current_read_speed_ = speeds.current_read;
    max_read_speed_ = speeds.max_read;
    buffer_size_kb_ = speeds.buffer_size;
    device_max_write_speed_ = std::max(device_max_write_speed_, max_write_speed_);
    device_max_read_speed_ = std::max(device_max_read_speed_, max_read_speed_);
    return true;
}

std::uint16_t TSCSIDevice::MaxWriteSpeed()
{
    return GetCapabilities() ? device_max_write_speed_ : 0;
}

std::uint16_t TSCSIDevice::MaxReadSpeed()
{
    return GetCapabilities() ? device_max_read_speed_ : 0;
}

std::uint16_t TSCSIDevice::CurrentWriteSpeed()
{
    return GetCapabilities() ? current_write_speed_ : 0;
}

void TSCSIDevice::SetWriteSpeed(std::uint16_t speed)
{
    SetCDSpeed(read_speed_, speed);
    write_speed_ = speed;
}

TDiscType TSCSIDevice::GetDiscType()
{
    configuration_.fill(0);
    TDiscType type = dtUnknown;
    if (GetConfiguration(2, 0, kConfigurationLength, configuration_.data()))
        type = disc_type_from_profile(get_be16(&configuration_[6]));
    if (type == dtUnknown) {
        atip_.fill(0);
        if (ReadTOC(4, atip_.data(), 0, true, 0, kAtipLength)) {
            if (atip_[6] & 0x80)
                type = (atip_[6] & 0x40) ? dtCDRW : dtCDR;
            else
                type = dtCDROM;
        }
    }
    if (type == dtUnknown && read_disc_information())
        type = disc_is_erasable(disc_information_.data()) ? dtCDRW : dtCDR;
    if (type == dtUnknown && TestUnitReady(5000))
        type = dtCDROM;
    return type;
}

bool TSCSIDevice::read_disc_information()
{
    disc_information_.fill(0);
    if (!ReadDiscInformation(disc_information_.data(), kDiscInformationLength))
        return false;
    return true;
}

bool TSCSIDevice::IsDiscErasable()
{
    if (read_disc_information())
        return disc_is_erasable(disc_information_.data());
    const TDiscType type = GetDiscType();
    SetCurrentDiscType(type);
    return type == dtDVDRAM || type == dtDVDRWRestricted || type == dtDVDRWSequential || type == dtDVDPlusRW;
}

int TSCSIDevice::GetDiscStatus()
{
    if (!read_disc_information())
        return kDiscStatusUnknown;
    return disc_status(disc_information_.data());
}

int TSCSIDevice::GetSessionCount()
{
    if (!read_disc_information())
        return 0;
    return session_count(disc_information_.data());
}

std::uint32_t TSCSIDevice::iso_volume_size_on_disc()
{
    std::array<std::uint8_t, 2048> block{};
    for (std::uint32_t lba = 16; lba <= 32; ++lba) {
        block.fill(0);
        if (!Read10(lba, 1, static_cast<std::uint32_t>(block.size()), block.data()))
            continue;
        if (const std::uint32_t size = iso_volume_size(block.data()))
            return size;
    }
    return 0;
}

std::uint32_t TSCSIDevice::GetDiscFreeBlocks()
{
    const TDiscType type = GetDiscType();
    const auto send_write_parameters = [&] {
        const bool finalize = finalize_disc_;
        finalize_disc_ = true;
        SetWriteParameters(false, underrun_protection_, true, type);
        finalize_disc_ = finalize;
    };
    send_write_parameters();
    const bool have_information = read_disc_information();
    const std::uint8_t last_track = have_information ? last_track_in_last_session(disc_information_.data()) : 0;

    if (is_cd(type)) {
        send_write_parameters();
        if (have_information && disc_status(disc_information_.data()) == kDiscComplete)
            return 0;
        for (int attempt = 0; attempt < 2; ++attempt) {
            read_disc_information();
            if (ReadTrackInformation(last_track))
                return std::max(track_info_.free_blocks, track_info_.track_size);
        }
        return 0;
    }

    if (!ReadTrackInformation(last_track))
        return 0;
    const TrackInformation& track = track_info_;
    const auto sequential_room = [&]() -> std::uint32_t {
        if (track.track_size == kNoTrackSize)
            return 0;
        return track.last_recorded == 0 ? track.track_size : track.free_blocks;
    };
    switch (type) {
    case dtDVDRWRestricted:
        if (track.next_writable != 0)
            return track.free_blocks;
        if (ReadFormatCapacities()) {
            if (track.free_blocks == track.track_size)
                return track.free_blocks;
            const std::uint32_t capacity = formatted_capacity(format_capacities_.data());
            return capacity > track.track_size ? capacity - track.track_size : 0;
        }
        return sequential_room();
    case dtDVDRAM:
    case dtDVDPlusRW: {
        // Overwritable media: the room after the file system already there.
        const std::uint32_t size = track.track_size;
        const std::uint32_t used = iso_volume_size_on_disc();
        return size > used ? size - used : 0;
    }
    default:
        return sequential_room();
    }
}

} // namespace valmuri
