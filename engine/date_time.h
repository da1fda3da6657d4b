#pragma once
// Date-times of the disc tree: days since 1899-12-30 with the time of day as
// the fraction, in local time. Directory records and volume descriptors are
// written from this form.

#include <cstdint>
#include <optional>
#include <string>

namespace valmuri {

using TDateTime = double;

struct CivilTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

TDateTime encode_date_time(const CivilTime& t);
CivilTime decode_date_time(TDateTime value);

// The current local date-time, to the millisecond.
TDateTime local_now();

// MS-DOS packed date (high word) and time (low word); two-second resolution,
// years 1980 to 2107. None when the value does not name a valid date.
std::optional<TDateTime> date_time_from_dos(std::uint32_t dos);
// 0 when the date lies outside the DOS range.
std::uint32_t dos_from_date_time(TDateTime value);
// Modification time of a file (seconds since the epoch) in local DOS form.
std::uint32_t dos_from_unix_time(std::int64_t seconds);

// Offset of the standard local time from UTC in units of 15 minutes, as
// written in the recording dates of directory records; summer time is not
// taken into account.
std::int8_t standard_zone_offset();

// "yyyymmddhhnnsszz" with the milliseconds unpadded, cut or space-padded to
// 16 characters: the date form of the volume descriptors.
std::string descriptor_date_text(TDateTime value);

} // namespace valmuri
