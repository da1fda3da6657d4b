#include "drive/mmc_command.h"

#include "drive/command_shape.h"

#include "platform/endian.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace valmuri {
namespace {

// A command of the opcode's shape with every CDB field 0; the builder fills
// the fields and then calls sized().
MmcCommand command(MmcOpcode opcode, std::uint32_t timeout_ms = 10000)
{
    MmcCommand c;
    c.cdb[0] = static_cast<std::uint8_t>(opcode);
    c.cdb_length = command_shape(c.cdb[0])->cdb_length;
    c.timeout_ms = timeout_ms;
    return c;
}

// Direction flags and transfer length as the filled CDB announces them.
MmcCommand sized(MmcCommand c)
{
    const CommandShape& shape = *command_shape(c.cdb[0]);
    c.flags = request_flags(shape.phase);
    c.transfer_length = cdb_transfer_length(shape, c.cdb.data());
    return c;
}

} // namespace

void fill_request(SRB_ExecSCSICmd& request, const MmcCommand& command, void* buffer)
{
    std::memset(&request, 0, sizeof request);
    request.SRB_Flags = command.flags;
    request.SRB_CDBLen = command.cdb_length;
    set_srb_buffer(request, buffer, command.transfer_length);
    std::memcpy(request.CDBByte, command.cdb.data(), command.cdb.size());
}

namespace mmc {

MmcCommand test_unit_ready(std::uint32_t timeout_ms)
{
    return sized(command(MmcOpcode::TEST_UNIT_READY, timeout_ms));
}

MmcCommand rezero_unit()
{
    return sized(command(MmcOpcode::REZERO_UNIT));
}

MmcCommand request_sense(std::uint8_t length)
{
    auto c = command(MmcOpcode::REQUEST_SENSE);
    c.cdb[4] = length;
    return sized(c);
}

MmcCommand format_unit(std::uint8_t byte1, std::uint32_t list_length)
{
    auto c = command(MmcOpcode::FORMAT_UNIT);
    c.cdb[1] = byte1;
    c = sized(c);
    c.transfer_length = list_length; // the list's own header says how long it is
    return c;
}

MmcCommand inquiry()
{
    auto c = command(MmcOpcode::INQUIRY);
    put_be16(&c.cdb[3], kInquiryLength);
    return sized(c);
}

MmcCommand start_stop_unit(bool eject)
{
    auto c = command(MmcOpcode::START_STOP_UNIT, 20000);
    c.cdb[4] = eject ? 2 : 3; // LoEj with Start clear ejects, with Start set loads
    return sized(c);
}

MmcCommand prevent_allow_medium_removal(bool allow)
{
    auto c = command(MmcOpcode::PREVENT_ALLOW_MEDIUM_REMOVAL);
    c.cdb[4] = allow ? 0 : 1;
    return sized(c);
}

MmcCommand read_format_capacities()
{
    auto c = command(MmcOpcode::READ_FORMAT_CAPACITIES);
    put_be16(&c.cdb[7], kFormatCapacitiesLength);
    return sized(c);
}

MmcCommand read10(std::uint32_t lba, std::uint16_t blocks)
{
    auto c = command(MmcOpcode::READ_10);
    put_be32(&c.cdb[2], lba);
    put_be16(&c.cdb[7], blocks);
    return sized(c);
}

MmcCommand write10(std::uint32_t lba, std::uint16_t blocks)
{
    auto c = command(MmcOpcode::WRITE_10, 120000);
    put_be32(&c.cdb[2], lba);
    put_be16(&c.cdb[7], blocks);
    return sized(c);
}

MmcCommand synchronize_cache(std::uint32_t timeout_ms, bool immediate)
{
    auto c = command(MmcOpcode::SYNCHRONIZE_CACHE, timeout_ms);
    c.cdb[1] = immediate ? 2 : 0;
    return sized(c);
}

MmcCommand read_toc(std::uint8_t format, std::uint8_t track, bool msf, std::uint8_t control, std::uint8_t length)
{
    auto c = command(MmcOpcode::READ_TOC_PMA_ATIP);
    c.cdb[1] = msf ? 2 : 0;
    c.cdb[2] = format;
    c.cdb[6] = track;
    put_be16(&c.cdb[7], length);
    c.cdb[9] = control;
    return sized(c);
}

MmcCommand get_configuration(std::uint8_t request_type, std::uint16_t feature, std::uint16_t length)
{
    auto c = command(MmcOpcode::GET_CONFIGURATION, 30000);
    c.cdb[1] = request_type;
    put_be16(&c.cdb[2], feature);
    put_be16(&c.cdb[7], length);
    return sized(c);
}

MmcCommand read_disc_information(std::uint16_t length)
{
    auto c = command(MmcOpcode::READ_DISC_INFORMATION);
    put_be16(&c.cdb[7], length);
    return sized(c);
}

MmcCommand read_track_information(std::uint32_t track)
{
    auto c = command(MmcOpcode::READ_TRACK_INFORMATION, 60000);
    c.cdb[1] = 1; // the address is a track number
    put_be32(&c.cdb[2], track);
    put_be16(&c.cdb[7], kTrackInformationLength);
    return sized(c);
}

MmcCommand reserve_track(std::uint32_t size)
{
    auto c = command(MmcOpcode::RESERVE_TRACK);
    put_be32(&c.cdb[5], size);
    return sized(c);
}

MmcCommand send_opc_information()
{
    auto c = command(MmcOpcode::SEND_OPC_INFORMATION, 150000);
    c.cdb[1] = 1; // perform OPC
    return sized(c);
}

MmcCommand mode_select10(std::uint16_t length)
{
    auto c = command(MmcOpcode::MODE_SELECT_10);
    c.cdb[1] = 0x10; // page format
    put_be16(&c.cdb[7], length);
    return sized(c);
}

MmcCommand mode_sense10(std::uint8_t page, bool defaults, std::uint16_t length)
{
    auto c = command(MmcOpcode::MODE_SENSE_10, 20000);
    c.cdb[2] = static_cast<std::uint8_t>(page | (defaults ? 0x80 : 0x00));
    put_be16(&c.cdb[7], length);
    return sized(c);
}

MmcCommand close_track_session(bool close_track, bool immediate)
{
    auto c = command(MmcOpcode::CLOSE_TRACK_SESSION, 180000);
    c.cdb[1] = immediate ? 1 : 0;
    c.cdb[2] = close_track ? 1 : 2;
    if (close_track)
        c.cdb[5] = 0xFF;
    return sized(c);
}

MmcCommand close_track_session_raw(bool immediate, std::uint8_t function, std::uint8_t track)
{
    auto c = command(MmcOpcode::CLOSE_TRACK_SESSION, 180000);
    c.cdb[1] = immediate ? 1 : 0;
    c.cdb[2] = function;
    c.cdb[5] = track;
    return sized(c);
}

MmcCommand read_buffer_capacity()
{
    auto c = command(MmcOpcode::READ_BUFFER_CAPACITY);
    put_be16(&c.cdb[7], kBufferCapacityLength);
    return sized(c);
}

MmcCommand blank(std::uint8_t blanking_type)
{
    auto c = command(MmcOpcode::BLANK, kBlankTimeoutMs);
    c.cdb[1] = static_cast<std::uint8_t>(blanking_type + 0x10); // IMMED
    return sized(c);
}

MmcCommand set_streaming(std::uint16_t length)
{
    auto c = command(MmcOpcode::SET_STREAMING);
    put_be16(&c.cdb[9], length);
    return sized(c);
}

MmcCommand set_cd_speed(std::uint16_t read_speed, std::uint16_t write_speed)
{
    auto c = command(MmcOpcode::SET_CD_SPEED);
    put_be16(&c.cdb[2], read_speed == 0 ? 0xFFFF : read_speed);
    put_be16(&c.cdb[4], write_speed == 0 ? 0xFFFF : write_speed);
    return sized(c);
}

MmcCommand send_dvd_structure(std::uint8_t format, std::uint16_t length)
{
    auto c = command(MmcOpcode::SEND_DVD_STRUCTURE);
    c.cdb[7] = format;
    put_be16(&c.cdb[8], length);
    return sized(c);
}

MmcCommand send_timestamp()
{
    return send_dvd_structure(0x0F, kTimestampLength);
}

} // namespace mmc

std::array<std::uint8_t, kTimestampLength> timestamp_structure(const std::tm& t)
{
    std::array<std::uint8_t, kTimestampLength> data{};
    put_be16(&data[0], kTimestampLength - 2);
    char digits[32];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d%02d%02d%02d", (t.tm_year + 1900) % 10000, (t.tm_mon + 1) % 100,
        t.tm_mday % 100, t.tm_hour % 100, t.tm_min % 100, t.tm_sec % 100);
    std::memcpy(&data[8], digits, 14);
    return data;
}

} // namespace valmuri
