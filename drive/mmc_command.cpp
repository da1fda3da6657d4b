#include "drive/mmc_command.h"

#include "platform/endian.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace valmuri {
namespace {

MmcCommand command(MmcOpcode opcode, std::uint8_t cdb_length, std::uint32_t timeout_ms = 10000)
{
    MmcCommand c;
    c.cdb[0] = static_cast<std::uint8_t>(opcode);
    c.cdb_length = cdb_length;
    c.timeout_ms = timeout_ms;
    return c;
}

MmcCommand data_in(MmcCommand c, std::uint32_t length)
{
    c.flags = kFlagsDataIn;
    c.transfer_length = length;
    return c;
}

MmcCommand data_out(MmcCommand c, std::uint32_t length)
{
    c.flags = kFlagsDataOut;
    c.transfer_length = length;
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
    return command(MmcOpcode::TEST_UNIT_READY, 6, timeout_ms);
}

MmcCommand rezero_unit()
{
    return command(MmcOpcode::REZERO_UNIT, 6);
}

MmcCommand request_sense(std::uint8_t length)
{
    auto c = data_in(command(MmcOpcode::REQUEST_SENSE, 6), length);
    c.cdb[4] = length;
    return c;
}

MmcCommand format_unit(std::uint8_t byte1, std::uint32_t list_length)
{
    auto c = data_out(command(MmcOpcode::FORMAT_UNIT, 6), list_length);
    c.cdb[1] = byte1;
    return c;
}

MmcCommand inquiry()
{
    auto c = data_in(command(MmcOpcode::INQUIRY, 6), kInquiryLength);
    c.cdb[4] = 0x80;
    return c;
}

MmcCommand start_stop_unit(bool eject)
{
    auto c = command(MmcOpcode::START_STOP_UNIT, 6, 20000);
    c.cdb[4] = eject ? 2 : 3; // LoEj with Start clear ejects, with Start set loads
    return c;
}

MmcCommand prevent_allow_medium_removal(bool allow)
{
    auto c = command(MmcOpcode::PREVENT_ALLOW_MEDIUM_REMOVAL, 6);
    c.cdb[4] = allow ? 0 : 1;
    return c;
}

MmcCommand read_format_capacities()
{
    auto c = data_in(command(MmcOpcode::READ_FORMAT_CAPACITIES, 10), kFormatCapacitiesLength);
    c.cdb[8] = static_cast<std::uint8_t>(kFormatCapacitiesLength);
    return c;
}

MmcCommand read10(std::uint32_t lba, std::uint16_t blocks, std::uint32_t length)
{
    auto c = data_in(command(MmcOpcode::READ_10, 10), length);
    put_be32(&c.cdb[2], lba);
    put_be16(&c.cdb[7], blocks);
    return c;
}

MmcCommand write10(std::uint32_t lba, std::uint16_t blocks, std::uint8_t flags, std::uint32_t length)
{
    auto c = command(MmcOpcode::WRITE_10, 10, 120000);
    c.flags = flags;
    c.transfer_length = length;
    put_be32(&c.cdb[2], lba);
    put_be16(&c.cdb[7], blocks);
    return c;
}

MmcCommand synchronize_cache(std::uint32_t timeout_ms, bool immediate)
{
    auto c = command(MmcOpcode::SYNCHRONIZE_CACHE, 10, timeout_ms);
    c.cdb[1] = immediate ? 2 : 0;
    return c;
}

MmcCommand read_toc(std::uint8_t format, std::uint8_t track, bool msf, std::uint8_t control, std::uint8_t length)
{
    auto c = data_in(command(MmcOpcode::READ_TOC_PMA_ATIP, 10), length);
    c.cdb[1] = msf ? 2 : 0;
    c.cdb[2] = format;
    c.cdb[6] = track;
    c.cdb[8] = length;
    c.cdb[9] = control;
    return c;
}

MmcCommand get_configuration(std::uint8_t request_type, std::uint16_t feature, std::uint16_t length)
{
    auto c = data_in(command(MmcOpcode::GET_CONFIGURATION, 10, 30000), length);
    c.cdb[1] = request_type;
    c.cdb[3] = static_cast<std::uint8_t>(feature);
    c.cdb[8] = static_cast<std::uint8_t>(length);
    return c;
}

MmcCommand read_disc_information(std::uint16_t length)
{
    auto c = data_in(command(MmcOpcode::READ_DISC_INFORMATION, 10), length);
    c.cdb[8] = static_cast<std::uint8_t>(length);
    return c;
}

MmcCommand read_track_information(std::uint32_t track)
{
    auto c = data_in(command(MmcOpcode::READ_TRACK_INFORMATION, 10, 60000), kTrackInformationLength);
    c.cdb[1] = 1; // the address is a track number
    c.cdb[5] = static_cast<std::uint8_t>(track);
    c.cdb[8] = static_cast<std::uint8_t>(kTrackInformationLength);
    return c;
}

MmcCommand reserve_track(std::uint32_t size)
{
    auto c = command(MmcOpcode::RESERVE_TRACK, 12);
    put_be32(&c.cdb[5], size);
    return c;
}

MmcCommand send_opc_information()
{
    auto c = command(MmcOpcode::SEND_OPC_INFORMATION, 10, 150000);
    c.cdb[1] = 1; // perform OPC
    return c;
}

MmcCommand mode_select10(std::uint16_t length)
{
    auto c = data_out(command(MmcOpcode::MODE_SELECT_10, 10), length);
    c.cdb[1] = 0x10; // page format
    c.cdb[8] = static_cast<std::uint8_t>(length);
    return c;
}

MmcCommand mode_sense10(std::uint8_t page, bool defaults, std::uint16_t length)
{
    auto c = data_in(command(MmcOpcode::MODE_SENSE_10, 10, 20000), length);
    c.cdb[2] = static_cast<std::uint8_t>(page | (defaults ? 0x80 : 0x00));
    put_be16(&c.cdb[7], length);
    return c;
}

MmcCommand close_track_session(bool close_track, bool immediate)
{
    auto c = command(MmcOpcode::CLOSE_TRACK_SESSION, 10, 180000);
    c.cdb[1] = immediate ? 1 : 0;
    c.cdb[2] = close_track ? 1 : 2;
    if (close_track)
        c.cdb[5] = 0xFF;
    return c;
}

MmcCommand close_track_session_raw(bool immediate, std::uint8_t function, std::uint8_t track)
{
    auto c = command(MmcOpcode::CLOSE_TRACK_SESSION, 10, 180000);
    c.cdb[1] = immediate ? 1 : 0;
    c.cdb[2] = function;
    c.cdb[5] = track;
    return c;
}

MmcCommand read_buffer_capacity()
{
    auto c = data_in(command(MmcOpcode::READ_BUFFER_CAPACITY, 10), kBufferCapacityLength);
    c.cdb[8] = static_cast<std::uint8_t>(kBufferCapacityLength);
    return c;
}

MmcCommand blank(std::uint8_t blanking_type)
{
    auto c = command(MmcOpcode::BLANK, 12, kBlankTimeoutMs);
    c.cdb[1] = static_cast<std::uint8_t>(blanking_type + 0x10); // IMMED
    return c;
}

MmcCommand set_streaming(std::uint16_t length)
{
    auto c = data_out(command(MmcOpcode::SET_STREAMING, 12), length);
    put_be16(&c.cdb[9], length);
    return c;
}

MmcCommand set_cd_speed(std::uint16_t read_speed, std::uint16_t write_speed)
{
    auto c = command(MmcOpcode::SET_CD_SPEED, 12);
    put_be16(&c.cdb[2], read_speed == 0 ? 0xFFFF : read_speed);
    put_be16(&c.cdb[4], write_speed == 0 ? 0xFFFF : write_speed);
    return c;
}

MmcCommand send_dvd_structure(std::uint8_t format, std::uint16_t length)
{
    auto c = data_out(command(MmcOpcode::SEND_DVD_STRUCTURE, 12), length);
    c.cdb[7] = format;
    put_be16(&c.cdb[8], length);
    return c;
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
