#pragma once
// Directory records (ISO 9660 9.1), the same form in the ISO and the Joliet
// tree; only the identifiers differ.

#include "engine/date_time.h"

#include <cstdint>
#include <string_view>

namespace valmuri {

// Fixed part of a directory record; the identifier follows, then a fill
// byte when its length is even.
struct DirectoryRecord {
    std::uint8_t length;
    std::uint8_t extended_attribute_length;
    std::uint8_t extent[8];               // both-endian
    std::uint8_t data_length[8];          // both-endian
    std::uint8_t recording_date[7];       // years since 1900, month, day, hour, minute, second, zone
    std::uint8_t flags;
    std::uint8_t file_unit_size;
    std::uint8_t interleave_gap;
    std::uint8_t volume_sequence_number[4]; // both-endian 16-bit
    std::uint8_t identifier_length;
};
static_assert(sizeof(DirectoryRecord) == 33);

constexpr std::uint8_t RecordFlagExistence = 0x01; // hidden
constexpr std::uint8_t RecordFlagDirectory = 0x02;

// The 7-byte recording date of a local date-time with the zone offset in
// units of 15 minutes.
void put_recording_date(std::uint8_t* date, TDateTime value, std::int8_t zone);

// Writes a whole record at out (which must have room for it) and returns its
// length.
std::size_t put_directory_record(std::uint8_t* out, std::uint32_t extent, std::uint32_t data_length,
                                 TDateTime date, std::int8_t zone, std::uint8_t flags, std::string_view identifier);

} // namespace valmuri
