// What the recorder checks of every command before it acts on it, as a
// strict drive and the kernel below it do: the data phase must go the way
// the opcode moves data and be exactly as long as the CDB says, no reserved
// CDB bit may be set, and the write parameters page must suit the medium.
// docs/vrecorder-checks.md lists the checks command by command.

#include <algorithm>
#include <array>

#include "platform/endian.h"
#include "vrecorder/recorder.h"

namespace valmuri::vrecorder {

namespace {

enum class Moves : std::uint8_t { nothing, in, out };
// How the CDB gives the number of bytes of the data phase.
enum class Count : std::uint8_t { none, bytes, blocks, format_list };

struct CdbRule {
    Opcode opcode;
    std::uint8_t length; // the CDB length MMC defines
    Moves moves;
    Count count;
    std::uint8_t field; // first byte of the length field
    std::uint8_t width; // its width in bytes
    // Bits each of CDB bytes 1 to 11 may carry; all others are reserved.
    // The last byte is the control byte, whose vendor bits (7-6) a drive
    // ignores and whose NACA and link bits it does not support.
    std::array<std::uint8_t, 11> allowed;
};

constexpr std::uint8_t ctl = 0xC0;
constexpr std::uint8_t any = 0xFF;

// From MMC-5 (INQUIRY and REQUEST SENSE from SPC-3).
constexpr std::array<CdbRule, 26> rules{{
    {Opcode::TEST_UNIT_READY, 6, Moves::nothing, Count::none, 0, 0, {0, 0, 0, 0, ctl}},
    {Opcode::REZERO_UNIT, 6, Moves::nothing, Count::none, 0, 0, {0, 0, 0, 0, ctl}},
    {Opcode::REQUEST_SENSE, 6, Moves::in, Count::bytes, 4, 1, {0x01, 0, 0, any, ctl}},
    // FmtData, CmpList, format code; bytes 3-4 are the obsolete interleave.
    {Opcode::FORMAT_UNIT, 6, Moves::out, Count::format_list, 0, 0, {0x1F, 0, any, any, ctl}},
    {Opcode::INQUIRY, 6, Moves::in, Count::bytes, 3, 2, {0x01, any, any, any, ctl}},
    {Opcode::START_STOP_UNIT, 6, Moves::nothing, Count::none, 0, 0, {0x01, 0, 0x0F, 0xF7, ctl}},
    {Opcode::PREVENT_ALLOW_MEDIUM_REMOVAL, 6, Moves::nothing, Count::none, 0, 0, {0, 0, 0, 0x03, ctl}},
    {Opcode::READ_FORMAT_CAPACITIES, 10, Moves::in, Count::bytes, 7, 2, {0, 0, 0, 0, 0, 0, any, any, ctl}},
    {Opcode::READ_CAPACITY, 10, Moves::in, Count::none, 0, 0, {0, any, any, any, any, 0, 0, 0x01, ctl}},
    {Opcode::READ_10, 10, Moves::in, Count::blocks, 7, 2, {0x18, any, any, any, any, 0, any, any, ctl}},
    {Opcode::WRITE_10, 10, Moves::out, Count::blocks, 7, 2, {0x1C, any, any, any, any, 0, any, any, ctl}},
    {Opcode::SYNCHRONIZE_CACHE, 10, Moves::nothing, Count::none, 0, 0, {0x02, any, any, any, any, 0, any, any, ctl}},
    // Control bits 7-6 once carried the format; drives still accept them there.
    {Opcode::READ_TOC_PMA_ATIP, 10, Moves::in, Count::bytes, 7, 2, {0x02, 0x0F, 0, 0, 0, any, any, any, 0xC0}},
    {Opcode::GET_CONFIGURATION, 10, Moves::in, Count::bytes, 7, 2, {0x03, any, any, 0, 0, 0, any, any, ctl}},
    {Opcode::READ_DISC_INFORMATION, 10, Moves::in, Count::bytes, 7, 2, {0x07, 0, 0, 0, 0, 0, any, any, ctl}},
    {Opcode::READ_TRACK_INFORMATION, 10, Moves::in, Count::bytes, 7, 2, {0x07, any, any, any, any, 0, any, any, ctl}},
    {Opcode::RESERVE_TRACK, 10, Moves::nothing, Count::none, 0, 0, {0x01, any, any, any, any, any, any, any, ctl}},
    {Opcode::SEND_OPC_INFORMATION, 10, Moves::out, Count::bytes, 7, 2, {0x01, 0x03, 0, 0, 0, 0, any, any, ctl}},
    {Opcode::MODE_SELECT_10, 10, Moves::out, Count::bytes, 7, 2, {0x11, 0, 0, 0, 0, 0, any, any, ctl}},
    {Opcode::MODE_SENSE_10, 10, Moves::in, Count::bytes, 7, 2, {0x18, any, any, 0, 0, 0, any, any, ctl}},
    {Opcode::CLOSE_TRACK_SESSION, 10, Moves::nothing, Count::none, 0, 0, {0x01, 0x07, 0, any, any, 0, 0, 0, ctl}},
    {Opcode::READ_BUFFER_CAPACITY, 10, Moves::in, Count::bytes, 7, 2, {0x01, 0, 0, 0, 0, 0, any, any, ctl}},
    {Opcode::BLANK, 12, Moves::nothing, Count::none, 0, 0, {0x17, any, any, any, any, 0, 0, 0, 0, 0, ctl}},
    {Opcode::SET_STREAMING, 12, Moves::out, Count::bytes, 9, 2, {0, 0, 0, 0, 0, 0, 0, any, any, any, ctl}},
    {Opcode::SET_CD_SPEED, 12, Moves::nothing, Count::none, 0, 0, {0x03, any, any, any, any, 0, 0, 0, 0, 0, ctl}},
    {Opcode::SEND_DVD_STRUCTURE, 12, Moves::out, Count::bytes, 8, 2, {0x0F, 0, 0, 0, 0, 0, any, any, any, 0xC0, ctl}},
}};

const CdbRule* rule_for(std::uint8_t opcode)
{
    auto found = std::find_if(rules.begin(), rules.end(),
                              [opcode](const CdbRule& rule) { return static_cast<std::uint8_t>(rule.opcode) == opcode; });
    return found == rules.end() ? nullptr : &*found;
}

constexpr std::uint32_t read_capacity_length = 8;

// Bytes the CDB asks to move; FORMAT UNIT counts its list from the list's header.
std::uint32_t expected_length(const CdbRule& rule, const CommandRequest& request)
{
    std::uint32_t field = 0;
    for (std::uint8_t i = 0; i < rule.width; ++i)
        field = (field << 8) | request.cdb[rule.field + i];
    switch (rule.count) {
    case Count::bytes:
        return field;
    case Count::blocks:
        return field * sector_size;
    case Count::format_list:
        if ((request.cdb[1] & 0x10) == 0)
            return 0; // no FmtData: no list
        if (request.data == nullptr || request.length < 4)
            return 4;
        return 4u + get_be16(request.data + 2);
    case Count::none:
        break;
    }
    return rule.opcode == Opcode::READ_CAPACITY ? read_capacity_length : 0;
}

bool moves_as_asked(Moves moves, DataDirection direction)
{
    switch (moves) {
    case Moves::in:
        return direction == DataDirection::in;
    case Moves::out:
        return direction == DataDirection::out;
    case Moves::nothing:
        break;
    }
    return false;
}

} // namespace

CommandResult Recorder::check_transfer(const CommandRequest& request) const
{
    const CdbRule* rule = rule_for(request.cdb[0]);
    if (rule == nullptr)
        return CommandResult::ok(); // answered as an unknown opcode
    std::uint32_t expected = expected_length(*rule, request);
    // The kernel moves exactly the bytes of the request, in the direction it
    // was told; a drive that expects another phase never completes it.
    if (expected == 0) {
        if (request.length != 0)
            return {CommandStatus::data_phase_error, {}};
        return CommandResult::ok();
    }
    if (!moves_as_asked(rule->moves, request.direction) || request.length != expected)
        return {CommandStatus::data_phase_error, {}};
    return CommandResult::ok();
}

Sense Recorder::check_cdb(const CommandRequest& request) const
{
    const CdbRule* rule = rule_for(request.cdb[0]);
    if (rule == nullptr)
        return sense::ok;
    if (request.cdb_length < rule->length)
        return sense::invalid_field_in_cdb;
    // Bytes 1 to the last of the CDB: every bit outside the allowed ones,
    // and every byte past the command's own length, is reserved.
    for (std::size_t i = 1; i < request.cdb_length; ++i) {
        std::uint8_t allowed = i < rule->length ? rule->allowed[i - 1] : 0;
        if ((request.cdb[i] & ~allowed) != 0)
            return sense::invalid_field_in_cdb;
    }
    switch (rule->opcode) {
    case Opcode::GET_CONFIGURATION:
        if ((request.cdb[1] & 0x03) == 0x03)
            return sense::invalid_field_in_cdb; // request type 3 is reserved
        break;
    case Opcode::RESERVE_TRACK:
        if ((request.cdb[1] & 0x01) == 0 && (request.cdb[2] | request.cdb[3] | request.cdb[4]) != 0)
            return sense::invalid_field_in_cdb; // a size reservation uses bytes 5-8 only
        break;
    default:
        break;
    }
    return sense::ok;
}

Sense Recorder::check_write_parameters_for_medium(std::span<const std::uint8_t> page) const
{
    if (!disc_ || tray_open_)
        return sense::ok; // checked again against the disc when it is written
    std::uint8_t write_type = page[2] & 0x0F;
    bool test = (page[2] & 0x10) != 0;
    bool fixed_packet = (page[3] & 0x20) != 0;
    std::uint8_t track_mode = page[3] & 0x0F;
    std::uint8_t block_type = page[4] & 0x0F;
    std::uint32_t packet_size = get_be32(&page[10]);
    if (disc_->cd()) {
        if (block_type == 8 && (track_mode & 0x04) == 0)
            return sense::parameter_value_invalid; // mode 1 data in an audio track
        if (write_type == 0 && fixed_packet && packet_size == 0)
            return sense::parameter_value_invalid;
        return sense::ok;
    }
    switch (disc_->kind()) {
    case MediumKind::dvd_r:
    case MediumKind::dvd_rw:
        // Incremental (0) or disc at once (2); one ECC block per fixed packet.
        if (write_type != 0 && write_type != 2)
            return sense::parameter_value_invalid;
        if (write_type == 0 && fixed_packet && packet_size != 16)
            return sense::parameter_value_invalid;
        break;
    default:
        // DVD+R, DVD+RW and DVD-RAM have no simulated writing.
        if (test)
            return sense::parameter_value_invalid;
        break;
    }
    if (block_type != 8)
        return sense::parameter_value_invalid; // DVD sectors hold 2048 bytes of user data
    return sense::ok;
}

} // namespace valmuri::vrecorder
