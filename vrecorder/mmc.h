#pragma once
// The MMC vocabulary the recorder answers in: operation codes, profiles and
// the sense values a recorder reports.

#include <cstdint>

namespace valmuri::vrecorder {

enum class Opcode : std::uint8_t {
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

// Current profile of GET CONFIGURATION; 0 when no medium is loaded.
enum class Profile : std::uint16_t {
    none = 0x0000,
    cd_r = 0x0009,
    cd_rw = 0x000A,
    dvd_r_sequential = 0x0011,
    dvd_ram = 0x0012,
    dvd_rw_restricted_overwrite = 0x0013,
    dvd_rw_sequential = 0x0014,
    dvd_plus_rw = 0x001A,
    dvd_plus_r = 0x001B,
    dvd_plus_r_dl = 0x002B,
};

// Fixed-format sense data as a recorder reports it (key, ASC, ASCQ and,
// for medium errors, the failing block in the information field).
struct Sense {
    std::uint8_t key = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
    bool information_valid = false;
    std::uint32_t information = 0;

    bool none() const { return key == 0 && asc == 0 && ascq == 0; }
    friend bool operator==(const Sense&, const Sense&) = default;
};

namespace sense_key {
inline constexpr std::uint8_t no_sense = 0x0;
inline constexpr std::uint8_t not_ready = 0x2;
inline constexpr std::uint8_t medium_error = 0x3;
inline constexpr std::uint8_t illegal_request = 0x5;
inline constexpr std::uint8_t unit_attention = 0x6;
} // namespace sense_key

namespace sense {
inline constexpr Sense ok{};
inline constexpr Sense becoming_ready{sense_key::not_ready, 0x04, 0x01};
inline constexpr Sense medium_not_present{sense_key::not_ready, 0x3A, 0x00};
inline constexpr Sense medium_not_present_tray_open{sense_key::not_ready, 0x3A, 0x02};
inline constexpr Sense write_error{sense_key::medium_error, 0x0C, 0x00};
inline constexpr Sense unrecovered_read_error{sense_key::medium_error, 0x11, 0x00};
inline constexpr Sense parameter_list_length_error{sense_key::illegal_request, 0x1A, 0x00};
inline constexpr Sense invalid_command_operation_code{sense_key::illegal_request, 0x20, 0x00};
inline constexpr Sense lba_out_of_range{sense_key::illegal_request, 0x21, 0x00};
inline constexpr Sense invalid_address_for_write{sense_key::illegal_request, 0x21, 0x02};
inline constexpr Sense invalid_field_in_cdb{sense_key::illegal_request, 0x24, 0x00};
inline constexpr Sense logical_unit_not_supported{sense_key::illegal_request, 0x25, 0x00};
inline constexpr Sense invalid_field_in_parameter_list{sense_key::illegal_request, 0x26, 0x00};
inline constexpr Sense parameter_value_invalid{sense_key::illegal_request, 0x26, 0x02};
inline constexpr Sense command_sequence_error{sense_key::illegal_request, 0x2C, 0x00};
inline constexpr Sense incompatible_medium{sense_key::illegal_request, 0x30, 0x00};
inline constexpr Sense cannot_read_incompatible_format{sense_key::illegal_request, 0x30, 0x02};
inline constexpr Sense cannot_write_incompatible_format{sense_key::illegal_request, 0x30, 0x05};
inline constexpr Sense cannot_format_incompatible_medium{sense_key::illegal_request, 0x30, 0x06};
inline constexpr Sense medium_not_formatted{sense_key::illegal_request, 0x30, 0x10};
inline constexpr Sense saving_parameters_not_supported{sense_key::illegal_request, 0x39, 0x00};
inline constexpr Sense medium_removal_prevented{sense_key::illegal_request, 0x53, 0x02};
inline constexpr Sense end_of_user_area{sense_key::illegal_request, 0x63, 0x00};
inline constexpr Sense illegal_mode_for_track{sense_key::illegal_request, 0x64, 0x00};
} // namespace sense

inline constexpr std::uint32_t sector_size = 2048;

} // namespace valmuri::vrecorder
