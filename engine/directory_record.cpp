#include "engine/directory_record.h"

#include "engine/disc_name.h"
#include "platform/endian.h"

#include <cstring>

namespace valmuri {

void put_recording_date(std::uint8_t* date, TDateTime value, std::int8_t zone)
{
    const CivilTime t = decode_date_time(value);
    const int years = t.year - 1900;
    date[0] = static_cast<std::uint8_t>(years < 0 ? 0 : years > 255 ? 255 : years);
    date[1] = static_cast<std::uint8_t>(t.month);
    date[2] = static_cast<std::uint8_t>(t.day);
    date[3] = static_cast<std::uint8_t>(t.hour);
    date[4] = static_cast<std::uint8_t>(t.minute);
    date[5] = static_cast<std::uint8_t>(t.second);
    date[6] = static_cast<std::uint8_t>(zone);
}

std::size_t put_directory_record(std::uint8_t* out, std::uint32_t extent, std::uint32_t data_length,
                                 TDateTime date, std::int8_t zone, std::uint8_t flags, std::string_view identifier)
{
    const std::size_t length = directory_record_length(identifier.size());
    DirectoryRecord record{};
    record.length = static_cast<std::uint8_t>(length);
    put_both32(record.extent, extent);
    put_both32(record.data_length, data_length);
    put_recording_date(record.recording_date, date, zone);
    record.flags = flags;
    put_both16(record.volume_sequence_number, 1);
    record.identifier_length = static_cast<std::uint8_t>(identifier.size());
    std::memcpy(out, &record, sizeof record);
    std::memcpy(out + sizeof record, identifier.data(), identifier.size());
    if (length > sizeof record + identifier.size())
        out[length - 1] = 0;
    return length;
}

} // namespace valmuri
