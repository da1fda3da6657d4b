#pragma once
// Volume descriptors (ISO 9660 8): the primary descriptor, the Joliet
// supplementary descriptor, the El Torito boot record and the terminator.

#include "engine/date_time.h"
#include "engine/image_layout.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace valmuri {

// Primary and supplementary volume descriptor (ISO 9660 8.4, 8.5).
struct VolumeDescriptor {
    std::uint8_t type;
    char standard_identifier[5];          // "CD001"
    std::uint8_t version;
    std::uint8_t flags;                   // unused in the primary descriptor
    char system_identifier[32];
    char volume_identifier[32];
    std::uint8_t unused_72[8];
    std::uint8_t volume_space_size[8];    // both-endian
    std::uint8_t escape_sequences[32];    // Joliet: 25 2F 40; zero in the primary descriptor
    std::uint8_t volume_set_size[4];      // both-endian 16-bit
    std::uint8_t volume_sequence_number[4];
    std::uint8_t logical_block_size[4];
    std::uint8_t path_table_size[8];      // both-endian
    std::uint8_t type_l_path_table[4];    // little-endian
    std::uint8_t optional_type_l_path_table[4];
    std::uint8_t type_m_path_table[4];    // big-endian
    std::uint8_t optional_type_m_path_table[4];
    std::uint8_t root_directory_record[34];
    char volume_set_identifier[128];
    char publisher_identifier[128];
    char data_preparer_identifier[128];
    char application_identifier[128];
    char copyright_file_identifier[37];
    char abstract_file_identifier[37];
    char bibliographic_file_identifier[37];
    char creation_date[17];
    char modification_date[17];
    char expiration_date[17];
    char effective_date[17];
    std::uint8_t file_structure_version;
    std::uint8_t reserved_882;
    std::uint8_t application_use[512];
    std::uint8_t reserved_1395[653];
};
static_assert(sizeof(VolumeDescriptor) == 2048);
static_assert(offsetof(VolumeDescriptor, volume_space_size) == 80);
static_assert(offsetof(VolumeDescriptor, escape_sequences) == 88);
static_assert(offsetof(VolumeDescriptor, root_directory_record) == 156);
static_assert(offsetof(VolumeDescriptor, copyright_file_identifier) == 702);
static_assert(offsetof(VolumeDescriptor, creation_date) == 813);
static_assert(offsetof(VolumeDescriptor, file_structure_version) == 881);
static_assert(offsetof(VolumeDescriptor, application_use) == 883);

// The identifier texts and dates a volume descriptor carries.
struct VolumeIdentifiers {
    std::string system;
    std::string volume;
    std::string volume_set;
    std::string publisher;
    std::string preparer;
    std::string application;
    std::string copyright_file;
    std::string abstract_file;
    std::string bibliographic_file;
};

// What the root record and the path table fields of a descriptor point to.
struct VolumeRoot {
    std::uint32_t root_extent = 0;
    std::uint32_t root_length = 0;
    std::uint32_t path_table_size = 0;
    std::uint32_t path_table_l = 0;
    std::uint32_t path_table_m = 0;
};

// Primary: identifiers upper-cased (a to z) and space-padded; both dates are
// the time the header is built.
void put_primary_descriptor(std::uint8_t* sector, const VolumeIdentifiers& ids, const VolumeRoot& root,
                            std::int64_t volume_end, TDateTime now);

// Joliet: identifiers as given in UCS-2, the dates of the component.
void put_joliet_descriptor(std::uint8_t* sector, const VolumeIdentifiers& ids, const VolumeRoot& root,
                           std::int64_t volume_end, TDateTime creation, TDateTime modification);

void put_boot_record_descriptor(std::uint8_t* sector, std::uint32_t boot_catalog);
void put_terminator_descriptor(std::uint8_t* sector);

} // namespace valmuri
