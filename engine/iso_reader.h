#pragma once
// Reading side of ISO 9660 and Joliet: volume descriptors, path tables and
// directory records as they come off a disc. Everything here takes bytes
// that anyone could have written; no offset or length is trusted.

#include "engine/directory_record.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace valmuri::iso_reader {

constexpr std::size_t SectorSize = 2048;
using Sector = std::span<const std::uint8_t, SectorSize>;

// Directory record, fixed part; the same layout the image writer uses.
using DirectoryRecord = valmuri::DirectoryRecord;

// Path table record, fixed part (ISO 9660 9.4); the identifier follows it.
struct PathTableRecord {
    std::uint8_t identifier_length;
    std::uint8_t extended_attribute_length;
    std::uint8_t extent[4];
    std::uint8_t parent_number[2];
};
static_assert(sizeof(PathTableRecord) == 8);

enum class DescriptorType : std::uint8_t {
    BootRecord = 0,
    Primary = 1,
    Supplementary = 2,
    Partition = 3,
    Terminator = 255,
};

// Directory record flags (ISO 9660 9.1.6).
enum RecordFlag : std::uint8_t {
    FlagExistence = 0x01,   // "hidden"
    FlagDirectory = 0x02,
    FlagMultiExtent = 0x80,
};

struct RecordingDate {
    std::uint8_t years_since_1900 = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::int8_t zone = 0;   // units of 15 minutes from GMT
};

// The parts of a primary or supplementary volume descriptor a reader needs.
struct VolumeDescriptor {
    DescriptorType type = DescriptorType::Primary;
    bool joliet = false;                // supplementary with a UCS-2 escape sequence
    std::uint32_t volume_space_size = 0;
    std::uint32_t path_table_size = 0;
    std::uint32_t path_table_l = 0;
    std::uint32_t root_extent = 0;
    std::uint32_t root_length = 0;
};

// Type of the descriptor in sector when it carries "CD001", else none.
std::optional<DescriptorType> descriptor_type(Sector sector);

// Reads a primary or supplementary descriptor; none for any other sector.
std::optional<VolumeDescriptor> parse_volume_descriptor(Sector sector);

enum class NameEncoding {
    Iso,      // 8-bit identifiers
    Joliet,   // UCS-2 big-endian identifiers
};

struct DirectoryEntry {
    std::string name;   // UTF-8, without the ";" version
    std::uint32_t extent = 0;
    std::uint32_t length = 0;
    std::uint8_t flags = 0;
    RecordingDate date;

    bool is_directory() const { return (flags & FlagDirectory) != 0; }
    bool is_hidden() const { return (flags & FlagExistence) != 0; }
};

// Identifiers longer than this are refused with the import's name message.
constexpr std::size_t MaxJolietIdentifier = 214;
constexpr std::size_t MaxIsoIdentifier = 239;

// Outcome of reading one sector of a directory extent.
struct DirectorySector {
    std::vector<DirectoryEntry> entries;
    std::vector<std::string> names_too_long;   // decoded, for the message
    bool damaged = false;                      // a record ran past its sector or held a name it could not
};

// Reads the records of one directory sector in order. "." and "..", empty
// names and names that would mean "." or ".." are left out, as are names
// that exceed the identifier limit (listed in names_too_long). A record that
// does not fit its sector ends the sector and marks it damaged.
DirectorySector parse_directory_sector(Sector sector, NameEncoding encoding);

// Decodes an identifier to UTF-8 and cuts it at the first ";". Characters
// that would break a path of the disc tree ("\" and control characters) become "_".
std::string decode_identifier(std::span<const std::uint8_t> identifier, NameEncoding encoding);

RecordingDate parse_recording_date(const std::uint8_t* seven_bytes);

// Facts of a path table that bound a directory walk.
struct PathTableShape {
    std::uint32_t directories = 0;
    std::uint32_t depth = 0;    // levels, the root being level 1
};

// Walks a type L path table of size bytes. None when a record runs past the
// table or names a parent that does not come before it.
std::optional<PathTableShape> parse_path_table(std::span<const std::uint8_t> table);

} // namespace valmuri::iso_reader
