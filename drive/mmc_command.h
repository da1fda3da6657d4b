#pragma once
// The MMC commands the engine sends, as command descriptor blocks.
//
// Each builder returns the whole command: CDB bytes, CDB length, direction
// flags, transfer length and the time-out the drive is given. The CDB
// length, the flags and the transfer length come from the command's shape
// (drive/command_shape.h) and the length field of the filled CDB. Multi-byte
// CDB fields are big-endian and as wide as MMC makes them; bytes not named
// stay 0 (the sender later puts the LUN into bits 5-7 of byte 1).

#include "drive/aspi_abi.h"

#include <array>
#include <cstdint>
#include <ctime>

namespace valmuri {

// Operation codes, named as MMC names them.
enum class MmcOpcode : std::uint8_t {
    TEST_UNIT_READY = 0x00,
    REZERO_UNIT = 0x01,
    REQUEST_SENSE = 0x03,
    FORMAT_UNIT = 0x04,
    INQUIRY = 0x12,
    START_STOP_UNIT = 0x1B,
    PREVENT_ALLOW_MEDIUM_REMOVAL = 0x1E,
    READ_FORMAT_CAPACITIES = 0x23,
    READ_CAPACITY = 0x25,
    READ_10 = 0x28,
    WRITE_10 = 0x2A,
    SYNCHRONIZE_CACHE = 0x35,
    READ_TOC_PMA_ATIP = 0x43,
    GET_CONFIGURATION = 0x46,
    READ_DISC_INFORMATION = 0x51,
    READ_TRACK_INFORMATION = 0x52,
    RESERVE_TRACK = 0x53,
    SEND_OPC_INFORMATION = 0x54,
    MODE_SELECT_10 = 0x55,
    MODE_SENSE_10 = 0x5A,
    CLOSE_TRACK_SESSION = 0x5B,
    READ_BUFFER_CAPACITY = 0x5C,
    BLANK = 0xA1,
    SET_STREAMING = 0xB6,
    SET_CD_SPEED = 0xBB,
    SEND_DVD_STRUCTURE = 0xBF,
};

// Direction flags of the request block: event notification, with data in or out.
inline constexpr std::uint8_t kFlagsNoData = SRB_EVENT_NOTIFY;
inline constexpr std::uint8_t kFlagsDataIn = SRB_EVENT_NOTIFY | SRB_DIR_IN;
inline constexpr std::uint8_t kFlagsDataOut = SRB_EVENT_NOTIFY | SRB_DIR_OUT;

struct MmcCommand {
    std::array<std::uint8_t, 16> cdb{};
    std::uint8_t cdb_length = 6;
    std::uint8_t flags = kFlagsNoData;
    std::uint32_t transfer_length = 0;
    std::uint32_t timeout_ms = 10000;

    MmcOpcode opcode() const { return static_cast<MmcOpcode>(cdb[0]); }
};

// Zero-fills the request block and puts the command and its buffer in it.
void fill_request(SRB_ExecSCSICmd& request, const MmcCommand& command, void* buffer);

// Sizes the engine reads and writes.
inline constexpr std::uint32_t kInquiryLength = 128;
inline constexpr std::uint32_t kFormatCapacitiesLength = 248;
inline constexpr std::uint32_t kTrackInformationLength = 40;
inline constexpr std::uint32_t kBufferCapacityLength = 32;
inline constexpr std::uint32_t kTimestampLength = 22;
inline constexpr std::uint32_t kBlankTimeoutMs = 4800000;

namespace mmc {

MmcCommand test_unit_ready(std::uint32_t timeout_ms);
MmcCommand rezero_unit();
MmcCommand request_sense(std::uint8_t length);
MmcCommand format_unit(std::uint8_t byte1, std::uint32_t list_length);
MmcCommand inquiry();
// eject true opens the tray, false loads it.
MmcCommand start_stop_unit(bool eject);
MmcCommand prevent_allow_medium_removal(bool allow);
MmcCommand read_format_capacities();
// READ (10) and WRITE (10) move blocks x 2048 bytes.
MmcCommand read10(std::uint32_t lba, std::uint16_t blocks);
MmcCommand write10(std::uint32_t lba, std::uint16_t blocks);
MmcCommand synchronize_cache(std::uint32_t timeout_ms, bool immediate);
MmcCommand read_toc(std::uint8_t format, std::uint8_t track, bool msf, std::uint8_t control, std::uint8_t length);
MmcCommand get_configuration(std::uint8_t request_type, std::uint16_t feature, std::uint16_t length);
MmcCommand read_disc_information(std::uint16_t length);
MmcCommand read_track_information(std::uint32_t track);
MmcCommand reserve_track(std::uint32_t size);
MmcCommand send_opc_information();
MmcCommand mode_select10(std::uint16_t length);
MmcCommand mode_sense10(std::uint8_t page, bool defaults, std::uint16_t length);
MmcCommand close_track_session(bool close_track, bool immediate);
MmcCommand close_track_session_raw(bool immediate, std::uint8_t function, std::uint8_t track);
MmcCommand read_buffer_capacity();
// type 0 blanks the whole disc, 1 the minimal area; always with IMMED.
MmcCommand blank(std::uint8_t blanking_type);
MmcCommand set_streaming(std::uint16_t length);
// Speeds in KB/s; 0 asks for the drive's fastest (sent as 0xFFFF).
MmcCommand set_cd_speed(std::uint16_t read_speed, std::uint16_t write_speed);
MmcCommand send_dvd_structure(std::uint8_t format, std::uint16_t length);
MmcCommand send_timestamp();

} // namespace mmc

// Time stamp structure of SEND DVD STRUCTURE format 0x0F: data length 20,
// then the local time as the 14 ASCII digits "yyyymmddhhnnss".
std::array<std::uint8_t, kTimestampLength> timestamp_structure(const std::tm& local_time);

} // namespace valmuri
