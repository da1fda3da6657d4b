#include "vrecorder/recorder.h"

#include <algorithm>
#include <cstring>

#include "platform/endian.h"
#include "vrecorder/mmc.h"

namespace valmuri::vrecorder {

namespace {

constexpr std::uint32_t buffer_bytes = 4 * 1024 * 1024;

// Speeds in KB/s: CD multiples of 176.4, DVD multiples of 1385.
constexpr std::array<std::uint32_t, 12> cd_speeds{176, 353, 706, 1411, 1764, 2117, 2822, 3528, 4234, 5645, 7056, 8467};
constexpr std::array<std::uint32_t, 7> dvd_speeds{1385, 2770, 5540, 8310, 11080, 16620, 22160};

} // namespace

Recorder::Recorder(RecorderConfig config, std::uint8_t target, Clock& clock)
    : config_(std::move(config)), target_(target), clock_(clock), faults_(config_.faults),
      pacer_(clock, buffer_bytes)
{
    // Track at once, mode 1 data blocks, no further session, 150-block pause.
    write_parameters_[0] = 0x05;
    write_parameters_[1] = 0x32;
    write_parameters_[2] = 0x01;
    write_parameters_[3] = 0x04;
    write_parameters_[4] = 0x08;
    put_be16(&write_parameters_[14], 150);
    load_disc(config_.image);
    write_speed_ = max_write_speed();
    read_speed_ = max_read_speed();
    apply_pacing();
}

Recorder::~Recorder()
{
    // The data is in the image already; only the bookkeeping is left to keep.
    std::scoped_lock lock(mutex_);
    save_disc();
}

CommandResult Recorder::execute(const CommandRequest& request)
{
    std::scoped_lock lock(mutex_);
    std::uint8_t opcode = request.cdb[0];
    CommandResult transfer = check_transfer(request);
    if (transfer.status != CommandStatus::good)
        return transfer;
    bool medium = needs_medium(opcode);
    switch (faults_.before_command(opcode, medium)) {
    case InjectedFault::busy:
        return {CommandStatus::busy, {}};
    case InjectedFault::never_complete:
        return {CommandStatus::never_completes, {}};
    case InjectedFault::host_error:
        return {CommandStatus::selection_timeout, {}};
    case InjectedFault::not_ready:
        if (opcode == static_cast<std::uint8_t>(Opcode::REQUEST_SENSE))
            return request_sense(request, true);
        return CommandResult::check(sense::becoming_ready);
    case InjectedFault::none:
        break;
    }
    if (Sense invalid = check_cdb(request); !invalid.none())
        return CommandResult::check(invalid);
    if (tray_open_ && config_.auto_load && !tray_command(opcode))
        close_tray(); // the next disc is fed as soon as the drive is asked about one
    if (medium) {
        Sense sense = ensure_medium();
        if (!sense.none())
            return CommandResult::check(sense);
        refresh_from_disk();
    }
    CommandResult result = dispatch(request);
    faults_.after_command(opcode, result.status == CommandStatus::good);
    return result;
}

bool Recorder::needs_medium(std::uint8_t opcode)
{
    switch (static_cast<Opcode>(opcode)) {
    case Opcode::INQUIRY:
    case Opcode::REQUEST_SENSE:
    case Opcode::START_STOP_UNIT:
    case Opcode::PREVENT_ALLOW_MEDIUM_REMOVAL:
    case Opcode::MODE_SENSE_10:
    case Opcode::MODE_SELECT_10:
    case Opcode::GET_CONFIGURATION:
    case Opcode::SET_CD_SPEED:
    case Opcode::SET_STREAMING:
    case Opcode::READ_BUFFER_CAPACITY:
    case Opcode::SYNCHRONIZE_CACHE:
        return false;
    default:
        return true;
    }
}

bool Recorder::tray_command(std::uint8_t opcode)
{
    switch (static_cast<Opcode>(opcode)) {
    case Opcode::INQUIRY:
    case Opcode::REQUEST_SENSE:
    case Opcode::START_STOP_UNIT:
    case Opcode::PREVENT_ALLOW_MEDIUM_REMOVAL:
        return true;
    default:
        return false;
    }
}

CommandResult Recorder::dispatch(const CommandRequest& request)
{
    switch (static_cast<Opcode>(request.cdb[0])) {
    case Opcode::TEST_UNIT_READY:
    case Opcode::REZERO_UNIT:
    case Opcode::SEND_OPC_INFORMATION:
        return CommandResult::ok();
    case Opcode::REQUEST_SENSE: return request_sense(request, false);
    case Opcode::FORMAT_UNIT: return format_unit(request);
    case Opcode::INQUIRY: return inquiry(request);
    case Opcode::START_STOP_UNIT: return start_stop_unit(request);
    case Opcode::PREVENT_ALLOW_MEDIUM_REMOVAL: return prevent_allow_medium_removal(request);
    case Opcode::READ_FORMAT_CAPACITIES: return read_format_capacities(request);
    case Opcode::READ_CAPACITY: return read_capacity(request);
    case Opcode::READ_10: return read_10(request);
    case Opcode::WRITE_10: return write_10(request);
    case Opcode::SYNCHRONIZE_CACHE: return synchronize_cache(request);
    case Opcode::READ_TOC_PMA_ATIP: return read_toc_pma_atip(request);
    case Opcode::GET_CONFIGURATION: return get_configuration(request);
    case Opcode::READ_DISC_INFORMATION: return read_disc_information(request);
    case Opcode::READ_TRACK_INFORMATION: return read_track_information(request);
    case Opcode::RESERVE_TRACK: return reserve_track(request);
    case Opcode::MODE_SELECT_10: return mode_select(request);
    case Opcode::MODE_SENSE_10: return mode_sense(request);
    case Opcode::CLOSE_TRACK_SESSION: return close_track_session(request);
    case Opcode::READ_BUFFER_CAPACITY: return read_buffer_capacity(request);
    case Opcode::BLANK: return blank(request);
    case Opcode::SET_STREAMING: return set_streaming(request);
    case Opcode::SET_CD_SPEED: return set_cd_speed(request);
    case Opcode::SEND_DVD_STRUCTURE: return send_dvd_structure(request);
    }
    return CommandResult::check(sense::invalid_command_operation_code);
}

CommandResult Recorder::deliver(const CommandRequest& request, std::span<const std::uint8_t> response,
                                std::uint32_t allocation_length)
{
    if (request.direction == DataDirection::out)
        return {CommandStatus::data_phase_error, {}};
    std::size_t count = std::min<std::size_t>({response.size(), allocation_length, request.length});
    if (count > 0)
        std::memcpy(request.data, response.data(), count);
    return CommandResult::ok();
}

std::uint32_t Recorder::max_write_speed() const
{
    if (config_.speed != 0)
        return config_.speed;
    return disc_ && !disc_->cd() ? dvd_speeds.back() : cd_speeds.back();
}

std::uint32_t Recorder::max_read_speed() const
{
    return disc_ && !disc_->cd() ? dvd_speeds.back() : cd_speeds.back();
}

std::vector<std::uint32_t> Recorder::write_speeds() const
{
    std::uint32_t max = max_write_speed();
    std::vector<std::uint32_t> speeds;
    if (disc_ && !disc_->cd())
        speeds.assign(dvd_speeds.begin(), dvd_speeds.end());
    else
        speeds.assign(cd_speeds.begin(), cd_speeds.end());
    std::erase_if(speeds, [max](std::uint32_t speed) { return speed >= max; });
    speeds.push_back(max);
    return speeds;
}

void Recorder::apply_pacing()
{
    pacer_.set_speed(config_.speed != 0 ? std::min(write_speed_, config_.speed) : 0);
}

bool Recorder::test_write() const
{
    return (write_parameters_[2] & 0x10) != 0;
}

std::uint8_t Recorder::multisession_field() const
{
    return static_cast<std::uint8_t>(write_parameters_[3] >> 6);
}

} // namespace valmuri::vrecorder
