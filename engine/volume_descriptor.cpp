#include "engine/volume_descriptor.h"

#include "engine/disc_name.h"
#include "platform/endian.h"

#include <cstddef>
#include <cstring>

namespace valmuri {
namespace {

const std::uint8_t JolietEscape[3] = {0x25, 0x2F, 0x40}; // UCS-2 level 1
constexpr char NoDate[17] = "0000000000000000";

// 8-bit field: a to z upper-cased, cut at a character boundary, space-padded.
template <std::size_t N>
void put_text(char (&field)[N], const std::string& value)
{
    const std::string upper = upper_ascii(value);
    const std::string_view cut = utf8_cut_bytes(upper, N);
    std::memset(field, ' ', N);
    std::memcpy(field, cut.data(), cut.size());
}

// UCS-2 big-endian field, padded with UCS-2 spaces; a field of odd width
// (the file identifiers) ends in a zero byte.
template <std::size_t N>
void put_ucs2_text(char (&field)[N], const std::string& value)
{
    const std::string ucs2 = ucs2_big_endian(value);
    const std::size_t room = N / 2 * 2;
    for (std::size_t i = 0; i < room; i += 2) {
        field[i] = i < ucs2.size() ? ucs2[i] : '\0';
        field[i + 1] = i < ucs2.size() ? ucs2[i + 1] : ' ';
    }
    if (N % 2 == 1)
        field[N - 1] = '\0';
}

void put_date(char (&field)[17], TDateTime value)
{
    const std::string text = descriptor_date_text(value);
    std::memcpy(field, text.data(), 16);
    field[16] = 0; // time-zone offset
}

void put_common(VolumeDescriptor& d, std::uint8_t type, const VolumeRoot& root, std::int64_t volume_end)
{
    d.type = type;
    std::memcpy(d.standard_identifier, "CD001", 5);
    d.version = 1;
    put_both32(d.volume_space_size, static_cast<std::uint32_t>(volume_end));
    put_both16(d.volume_set_size, 1);
    put_both16(d.volume_sequence_number, 1);
    put_both16(d.logical_block_size, static_cast<std::uint16_t>(SectorSize));
    put_both32(d.path_table_size, root.path_table_size);
    put_le32(d.type_l_path_table, root.path_table_l);
    put_be32(d.type_m_path_table, root.path_table_m);

    // Root directory record; its date is left zero.
    std::uint8_t* r = d.root_directory_record;
    r[0] = 34;
    put_both32(r + 2, root.root_extent);
    put_both32(r + 10, root.root_length);
    r[25] = 2;
    put_both16(r + 28, 1);
    r[32] = 1;

    std::memcpy(d.expiration_date, NoDate, 17);
    std::memcpy(d.effective_date, NoDate, 17);
    d.file_structure_version = 1;
    // Eight spaces at byte 1024 of the sector, inside the application use field.
    std::memset(d.application_use + (1024 - offsetof(VolumeDescriptor, application_use)), ' ', 8);
}

} // namespace

void put_primary_descriptor(std::uint8_t* sector, const VolumeIdentifiers& ids, const VolumeRoot& root,
                            std::int64_t volume_end, TDateTime now)
{
    VolumeDescriptor d{};
    put_common(d, 1, root, volume_end);
    put_text(d.system_identifier, ids.system);
    put_text(d.volume_identifier, ids.volume);
    put_text(d.volume_set_identifier, ids.volume_set);
    put_text(d.publisher_identifier, ids.publisher);
    put_text(d.data_preparer_identifier, ids.preparer);
    put_text(d.application_identifier, ids.application);
    put_text(d.copyright_file_identifier, ids.copyright_file);
    put_text(d.abstract_file_identifier, ids.abstract_file);
    put_text(d.bibliographic_file_identifier, ids.bibliographic_file);
    put_date(d.creation_date, now);
    put_date(d.modification_date, now);
    std::memcpy(sector, &d, sizeof d);
}

void put_joliet_descriptor(std::uint8_t* sector, const VolumeIdentifiers& ids, const VolumeRoot& root,
                           std::int64_t volume_end, TDateTime creation, TDateTime modification)
{
    VolumeDescriptor d{};
    put_common(d, 2, root, volume_end);
    std::memcpy(d.escape_sequences, JolietEscape, sizeof JolietEscape);
    put_ucs2_text(d.system_identifier, ids.system);
    put_ucs2_text(d.volume_identifier, ids.volume);
    put_ucs2_text(d.volume_set_identifier, ids.volume_set);
    put_ucs2_text(d.publisher_identifier, ids.publisher);
    put_ucs2_text(d.data_preparer_identifier, ids.preparer);
    put_ucs2_text(d.application_identifier, ids.application);
    put_ucs2_text(d.copyright_file_identifier, ids.copyright_file);
    put_ucs2_text(d.abstract_file_identifier, ids.abstract_file);
    put_ucs2_text(d.bibliographic_file_identifier, ids.bibliographic_file);
    put_date(d.creation_date, creation);
    put_date(d.modification_date, modification);
    std::memcpy(sector, &d, sizeof d);
}

void put_boot_record_descriptor(std::uint8_t* sector, std::uint32_t boot_catalog)
{
    std::memset(sector, 0, SectorSize);
    sector[0] = 0;
    std::memcpy(sector + 1, "CD001", 5);
    sector[6] = 1;
    static const char system[] = "EL TORITO SPECIFICATION";
    std::memcpy(sector + 7, system, sizeof system - 1);
    put_le32(sector + 71, boot_catalog);
}

void put_terminator_descriptor(std::uint8_t* sector)
{
    std::memset(sector, 0, SectorSize);
    sector[0] = 255;
    std::memcpy(sector + 1, "CD001", 5);
    sector[6] = 1;
}

} // namespace valmuri
