#include "engine/writer_drive.h"

#include "drive/disc_information.h"
#include "drive/scsi_device.h"

#include <array>

namespace valmuri {

bool DeviceWriterDrive::read_buffer_capacity(std::uint32_t& size, std::uint32_t& free)
{
    const bool ok = device_.ReadBufferCapacity();
    size = device_.DeviceBufferSize();
    free = device_.DeviceFreeBufferSize();
    return ok;
}

void DeviceWriterDrive::show_buffer(std::uint32_t size, std::uint32_t free)
{
    device_.SetBufferFigures(size, free);
}

std::uint8_t DeviceWriterDrive::read_disc_type()
{
    const std::uint8_t type = device_.GetDiscType();
    TSCSIDevice::SetCurrentDiscType(type);
    return type;
}

bool DeviceWriterDrive::load()
{
    return device_.StartStopUnit(false);
}

bool DeviceWriterDrive::rezero()
{
    return device_.RezeroUnit();
}

bool DeviceWriterDrive::set_cd_speed(std::uint16_t read_speed, std::uint16_t write_speed)
{
    return device_.SetCDSpeed(read_speed, write_speed);
}

bool DeviceWriterDrive::wait_for_ready(int budget_ms, int interval_ms)
{
    // A drive that answers ready at once is not waited for.
    if (device_.TestUnitReady(5000))
        return true;
    return device_.WaitForReady(budget_ms, interval_ms);
}

std::uint16_t DeviceWriterDrive::current_write_speed()
{
    return device_.CurrentWriteSpeed();
}

std::uint16_t DeviceWriterDrive::max_read_speed()
{
    return device_.MaxReadSpeed();
}

bool DeviceWriterDrive::set_write_parameters(bool test_write, bool underrun_protection, std::uint8_t disc_type,
                                             bool finalize_disc)
{
    // The page takes the finalize choice from the device's own setting.
    const bool kept = device_.TSCSIDevice::FinalizeDisc();
    device_.TSCSIDevice::SetFinalizeDisc(finalize_disc);
    // A DVD+R DL session stays open for another one unless the disc is finalized.
    const bool ok = device_.SetWriteParameters(test_write, underrun_protection, !finalize_disc, disc_type);
    device_.TSCSIDevice::SetFinalizeDisc(kept);
    return ok;
}

bool DeviceWriterDrive::set_streaming(const std::uint8_t* descriptor, std::uint16_t length)
{
    return device_.SetStreaming(descriptor, length);
}

int DeviceWriterDrive::session_count()
{
    return device_.GetSessionCount();
}

bool DeviceWriterDrive::send_timestamp(const std::tm& local_time)
{
    return device_.SendTimestamp(local_time);
}

bool DeviceWriterDrive::reserve_track(std::uint32_t sectors)
{
    return device_.ReserveTrack(sectors);
}

bool DeviceWriterDrive::send_opc()
{
    return device_.SendOPCInformation();
}

bool DeviceWriterDrive::write10(std::uint32_t lba, std::uint16_t sectors, const std::uint8_t* data,
                                std::uint32_t bytes)
{
    return device_.Write10(lba, sectors, bytes, data);
}

bool DeviceWriterDrive::synchronize_cache(std::uint32_t timeout_ms, bool immediate)
{
    return device_.SynchronizeCache(timeout_ms, immediate);
}

bool DeviceWriterDrive::read_disc_information()
{
    std::array<std::uint8_t, kDiscInformationLength> answer{};
    return device_.ReadDiscInformation(answer.data(), static_cast<std::uint16_t>(answer.size()));
}

bool DeviceWriterDrive::format_unit(const std::uint8_t* list, std::uint32_t length)
{
    return device_.FormatUnit(0x11, list, length);
}

bool DeviceWriterDrive::close_track_session(bool immediate, std::uint8_t function, std::uint8_t track)
{
    return device_.CloseTrackSessionRaw(immediate, function, track);
}

bool DeviceWriterDrive::allow_medium_removal()
{
    return device_.PreventAllowMediumRemoval(true);
}

bool DeviceWriterDrive::test_unit_ready(std::uint32_t timeout_ms)
{
    return device_.TestUnitReady(timeout_ms);
}

bool DeviceWriterDrive::immediate_close()
{
    return TSCSIDevice::ImmediateClose();
}

void DeviceWriterDrive::close_handle_after_command()
{
    device_.SetCloseHandleAfterCommand(true);
}

void DeviceWriterDrive::suppress_failure_log()
{
    device_.SetFailureLogLatch();
}

CommandFailure DeviceWriterDrive::last_failure()
{
    return device_.LastFailure();
}

std::string DeviceWriterDrive::last_error_text()
{
    return device_.LastErrorText();
}

void DeviceWriterDrive::debug(const std::string& text, int type)
{
    device_.DebugMessage(text, type);
}

} // namespace valmuri
