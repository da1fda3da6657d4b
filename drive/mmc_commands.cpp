// One member of TSCSIDevice per MMC command, and the error text and failure
// line every failed command leaves behind.

#include "drive/scsi_device.h"

#include "drive/failure_log.h"
#include "drive/sense_text.h"
#include "drive/transport.h"

#include <algorithm>
#include <cstring>

namespace valmuri {

bool TSCSIDevice::send_command(const MmcCommand& command, void* buffer, bool accept_pending)
{
    SRB_ExecSCSICmd request;
    fill_request(request, command, buffer);
    ExecSCSICommand(request, command.timeout_ms);
    return request.SRB_Status == SS_COMP || (accept_pending && request.SRB_Status == SS_PENDING);
}

void TSCSIDevice::build_error_text(const SRB_ExecSCSICmd& request)
{
    last_failure_ = failure_of(request);
    const FailureText failure = describe_failure(
        last_failure_.status, last_failure_.host_status, last_failure_.target_status, last_failure_.sense);
    last_error_text_ = failure.text;
    target_busy_ = failure.target_busy;
}

void TSCSIDevice::write_failure_log_line(const SRB_ExecSCSICmd& request)
{
    if (failure_log_latch_ || !failure_log_due(request))
        return;
    DebugMessage(failure_log_line(request, srb_buffer(request), last_error_text_), 0);
}

bool TSCSIDevice::Inquiry()
{
    return send_command(mmc::inquiry(), inquiry_buffer_.data());
}

bool TSCSIDevice::TestUnitReady(std::uint32_t timeout_ms)
{
    return send_command(mmc::test_unit_ready(timeout_ms), nullptr);
}

bool TSCSIDevice::RezeroUnit()
{
    return send_command(mmc::rezero_unit(), nullptr);
}

bool TSCSIDevice::RequestSense(std::uint8_t* buffer, std::uint8_t length)
{
    return send_command(mmc::request_sense(length), buffer);
}

bool TSCSIDevice::FormatUnit(std::uint8_t byte1, const std::uint8_t* list, std::uint32_t length)
{
    return send_command(mmc::format_unit(byte1, length), const_cast<std::uint8_t*>(list));
}

namespace {

// Closes the drive handle after the tray command, so the tray is free for
// other programs, and then puts the process-wide setting back as it was.
class CloseHandleForTrayCommand {
public:
    explicit CloseHandleForTrayCommand(bool wanted) : before_(close_handle_after_command())
    {
        if (wanted)
            set_close_handle_after_command(true);
    }
    ~CloseHandleForTrayCommand() { set_close_handle_after_command(before_); }
    CloseHandleForTrayCommand(const CloseHandleForTrayCommand&) = delete;
    CloseHandleForTrayCommand& operator=(const CloseHandleForTrayCommand&) = delete;

private:
    const bool before_;
};

} // namespace

bool TSCSIDevice::StartStopUnit(bool eject)
{
    CloseHandleForTrayCommand close_handle(true);
    return send_command(mmc::start_stop_unit(eject), nullptr);
}

bool TSCSIDevice::PreventAllowMediumRemoval(bool allow)
{
    CloseHandleForTrayCommand close_handle(allow);
    return send_command(mmc::prevent_allow_medium_removal(allow), nullptr);
}

bool TSCSIDevice::ReadFormatCapacities()
{
    format_capacities_.fill(0);
    return send_command(mmc::read_format_capacities(), format_capacities_.data());
}

bool TSCSIDevice::Read10(std::uint32_t lba, std::uint16_t blocks, std::uint32_t length, void* buffer)
{
    const MmcCommand command = mmc::read10(lba, blocks);
    if (length < command.transfer_length)
        return false;
    return send_command(command, buffer);
}

bool TSCSIDevice::Write10(std::uint32_t lba, std::uint16_t blocks, std::uint32_t length, const void* buffer)
{
    const MmcCommand command = mmc::write10(lba, blocks);
    if (length < command.transfer_length)
        return false;
    return send_command(command, const_cast<void*>(buffer), true);
}

bool TSCSIDevice::SynchronizeCache(std::uint32_t timeout_ms, bool immediate)
{
    return send_command(mmc::synchronize_cache(timeout_ms, immediate), nullptr);
}

bool TSCSIDevice::ReadTOC(std::uint8_t format, void* buffer, std::uint8_t track, bool msf, std::uint8_t control,
    std::uint32_t length)
{
    if (length > 255)
        return false;
    return send_command(mmc::read_toc(format, track, msf, control, static_cast<std::uint8_t>(length)), buffer);
}

bool TSCSIDevice::GetConfiguration(std::uint8_t request_type, std::uint16_t feature, std::uint16_t length,
    void* buffer)
{
    return send_command(mmc::get_configuration(request_type, feature, length), buffer);
}

bool TSCSIDevice::ReadDiscInformation(void* buffer, std::uint16_t length)
{
    return send_command(mmc::read_disc_information(length), buffer);
}

bool TSCSIDevice::ReadTrackInformation(std::uint32_t track)
{
    std::array<std::uint8_t, kTrackInformationLength> answer{};
    if (!send_command(mmc::read_track_information(track), answer.data()))
        return false;
    track_info_ = parse_track_information(answer.data());
    return true;
}

bool TSCSIDevice::ReserveTrack(std::uint32_t size)
{
    return send_command(mmc::reserve_track(size), nullptr);
}

bool TSCSIDevice::SendOPCInformation()
{
    return send_command(mmc::send_opc_information(), nullptr);
}

bool TSCSIDevice::ModeSelect10(const void* list, std::uint16_t length)
{
    const std::size_t size = std::min<std::size_t>(length, mode_buffer_.size());
    std::memcpy(mode_buffer_.data(), list, size);
    return send_command(mmc::mode_select10(static_cast<std::uint16_t>(size)), mode_buffer_.data());
}

bool TSCSIDevice::ModeSense10(std::uint8_t page, void* buffer, bool defaults, std::uint16_t length,
    std::uint16_t clear_count)
{
    std::memset(buffer, 0, std::min<std::size_t>(clear_count + 1u, length));
    const std::size_t size = std::min<std::size_t>(length, mode_buffer_.size());
    mode_buffer_.fill(0);
    if (!send_command(mmc::mode_sense10(page, defaults, static_cast<std::uint16_t>(size)), mode_buffer_.data()))
        return false;
    std::memcpy(buffer, mode_buffer_.data(), size);
    return true;
}

bool TSCSIDevice::CloseTrackSession(bool close_track, bool immediate)
{
    return send_command(mmc::close_track_session(close_track, immediate), nullptr);
}

bool TSCSIDevice::CloseTrackSessionRaw(bool immediate, std::uint8_t function, std::uint8_t track)
{
    return send_command(mmc::close_track_session_raw(immediate, function, track), nullptr);
}

bool TSCSIDevice::ReadBufferCapacity()
{
    std::array<std::uint8_t, kBufferCapacityLength> answer{};
    if (!send_command(mmc::read_buffer_capacity(), answer.data())) {
        device_free_buffer_size_ = 0;
        return false;
    }
    const BufferCapacity capacity = parse_buffer_capacity(answer.data());
    device_buffer_size_ = capacity.size;
    device_free_buffer_size_ = capacity.free;
    return true;
}

bool TSCSIDevice::Blank(std::uint8_t blanking_type)
{
    return send_command(mmc::blank(blanking_type), nullptr, true);
}

bool TSCSIDevice::SetStreaming(const void* descriptor, std::uint16_t length)
{
    return send_command(mmc::set_streaming(length), const_cast<void*>(descriptor));
}

bool TSCSIDevice::SetCDSpeed(std::uint16_t read_speed, std::uint16_t write_speed)
{
    return send_command(mmc::set_cd_speed(read_speed, write_speed), nullptr);
}

bool TSCSIDevice::SendDVDStructure(std::uint8_t format, const void* data, std::uint16_t length)
{
    return send_command(mmc::send_dvd_structure(format, length), const_cast<void*>(data));
}

bool TSCSIDevice::SendTimestamp(const std::tm& local_time)
{
    auto structure = timestamp_structure(local_time);
    return send_command(mmc::send_timestamp(), structure.data());
}

} // namespace valmuri
