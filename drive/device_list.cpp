// Host adapter inquiry, the device scan and the drive path of a device.

#include "drive/scsi_device.h"

#include "drive/pass_through_system.h"
#include "drive/transport.h"

#include <cstring>

namespace valmuri {
namespace {

constexpr std::uint8_t kTypeWorm = 4;
constexpr std::uint8_t kTypeOptical = 5;
constexpr std::uint8_t kCountFailed = 255;
constexpr std::uint8_t kCountWhenNoneReported = 7;

// A fixed-size identifier field up to its first NUL.
std::string field_text(const std::uint8_t* field, std::size_t size)
{
    const void* nul = std::memchr(field, 0, size);
    const std::size_t length = nul ? static_cast<const std::uint8_t*>(nul) - field : size;
    return std::string(reinterpret_cast<const char*>(field), length);
}

std::string trim_blanks(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

void TSCSIDevice::HostAdapterInquiry(std::uint8_t adapter)
{
    ha_inquiry_ = SRB_HAInquiry{};
    ha_inquiry_.SRB_Cmd = SC_HA_INQUIRY;
    ha_inquiry_.SRB_HaId = adapter;
    SendASPI32Command(&ha_inquiry_);
    host_adapter_count_
        = std::atomic_ref<std::uint8_t>(ha_inquiry_.SRB_Status).load() == SS_COMP ? ha_inquiry_.HA_Count : kCountFailed;
    if (host_adapter_count_ == 0)
        host_adapter_count_ = kCountWhenNoneReported;
}

void TSCSIDevice::BuildDeviceList()
{
    devices_.clear();
    const DeviceAddress remembered = selected_;
    selected_.lun = 0;
    if (do_debug_)
        DebugMessage(">>> " + aspi_layer_name(), 1);

    // A failed inquiry leaves 255, which reads as -1: no adapter is scanned.
    const int count = HostAdapterCount();
    for (int adapter = 0; adapter < count; ++adapter) {
        HostAdapterInquiry(static_cast<std::uint8_t>(adapter));
        if (do_debug_)
            DebugMessage(">>> " + field_text(ha_inquiry_.HA_ManagerId, sizeof ha_inquiry_.HA_ManagerId) + " ("
                    + trim_blanks(field_text(ha_inquiry_.HA_Identifier, sizeof ha_inquiry_.HA_Identifier)) + ")",
                1);
        for (std::uint8_t target = 0; target < 8; ++target) {
            for (std::uint8_t lun = 0; lun < 8; ++lun) {
                selected_ = DeviceAddress{static_cast<std::uint8_t>(adapter), target, lun};
                inquiry_buffer_.fill(0);
                if (!Inquiry())
                    continue;
                const std::uint8_t type = inquiry_buffer_[0];
                if (type != kTypeOptical && type != kTypeWorm)
                    continue;
                const std::string path = GetDriveLetter();
                std::string entry = std::to_string(adapter) + ":" + std::to_string(target) + ":"
                    + std::to_string(lun) + "," + (path.empty() ? std::string("?:") : path) + " "
                    + std::string(reinterpret_cast<const char*>(&inquiry_buffer_[8]), 28);
                if (type == kTypeWorm)
                    entry += " (not supported)";
                devices_.push_back(std::move(entry));
            }
        }
    }

    selected_ = remembered;
    last_error_text_.clear();
}

std::string TSCSIDevice::GetDriveLetter()
{
    if (aspi_layer_name() == kEmulationLayerName)
        return emulation_device_path(selected_.host_adapter, selected_.target, selected_.lun);
    return drive_path_from_library(selected_);
}

// With the library layer the drive is found by the kernel's address of each
// optical drive (adapter and target compared, as the library numbers them),
// then by asking the library for the drive number.
std::string TSCSIDevice::drive_path_from_library(const DeviceAddress& address)
{
    PassThroughSystem& system = pass_through_system();
    const std::vector<std::string> drives = system.optical_drives();
    for (const std::string& path : drives) {
        int fd = system.open_drive(path, true);
        if (fd < 0)
            fd = system.open_drive(path, false);
        if (fd < 0)
            continue;
        KernelScsiAddress kernel;
        const bool known = system.scsi_address(fd, kernel);
        system.close_drive(fd);
        if (known && kernel.host == address.host_adapter && kernel.target == address.target)
            return path;
    }

    SRB_GetDiskInfo info{};
    info.SRB_Cmd = SC_GET_DISK_INFO;
    info.SRB_HaId = address.host_adapter;
    info.SRB_Target = address.target;
    info.SRB_Lun = address.lun;
    SendASPI32Command(&info);
    if (std::atomic_ref<std::uint8_t>(info.SRB_Status).load() != SS_COMP)
        return std::string();
    // The drive number counts the system's drives: n names /dev/srN.
    const std::string path = "/dev/sr" + std::to_string(info.SRB_Int13HDriveInfo);
    for (const std::string& drive : drives)
        if (drive == path)
            return path;
    return std::string();
}

} // namespace valmuri
