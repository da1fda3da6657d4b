#include "engine/iso_reader.h"

#include "platform/endian.h"

#include <algorithm>
#include <cstring>

namespace valmuri::iso_reader {

namespace {

constexpr std::uint8_t StandardIdentifier[5] = {'C', 'D', '0', '0', '1'};

void append_utf8(std::string& out, std::uint32_t code_point)
{
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        out += static_cast<char>(0xC0 | (code_point >> 6));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        out += static_cast<char>(0xE0 | (code_point >> 12));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code_point >> 18));
        out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    }
}

bool is_valid_utf8(std::span<const std::uint8_t> bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i];
        std::size_t extra = 0;
        std::uint32_t min = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            min = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            min = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            min = 0x10000;
        } else {
            return false;
        }
        if (bytes.size() - i <= extra)
            return false;
        std::uint32_t code_point = lead & (0x3F >> extra);
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
            code_point = (code_point << 6) | (bytes[i + k] & 0x3F);
        }
        if (code_point < min || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string decode_ucs2(std::span<const std::uint8_t> identifier)
{
    std::string out;
    const std::size_t units = identifier.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint16_t unit = get_be16(&identifier[2 * i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const std::uint16_t low = get_be16(&identifier[2 * (i + 1)]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                append_utf8(out, 0x10000 + ((std::uint32_t{unit} - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF)
            out += '_';
        else
            append_utf8(out, unit);
    }
    return out;
}

// Windows-1252 characters 0x80 to 0x9F; 0 where the code page has none.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

std::string decode_8bit(std::span<const std::uint8_t> identifier)
{
    if (is_valid_utf8(identifier))
        return std::string(identifier.begin(), identifier.end());
    // Not UTF-8: the bytes are taken in the Windows code page that 8-bit
    // disc names were usually written in.
    std::string out;
    for (std::uint8_t byte : identifier) {
        if (byte >= 0x80 && byte < 0xA0) {
            const char16_t mapped = Windows1252High[byte - 0x80];
            if (mapped == 0)
                out += '_';
            else
                append_utf8(out, mapped);
        } else {
            append_utf8(out, byte);
        }
    }
    return out;
}

} // namespace

std::optional<DescriptorType> descriptor_type(Sector sector)
{
    if (std::memcmp(sector.data() + 1, StandardIdentifier, sizeof StandardIdentifier) != 0)
        return std::nullopt;
    return static_cast<DescriptorType>(sector[0]);
}

std::optional<VolumeDescriptor> parse_volume_descriptor(Sector sector)
{
    const auto type = descriptor_type(sector);
    if (!type || (*type != DescriptorType::Primary && *type != DescriptorType::Supplementary))
        return std::nullopt;
    VolumeDescriptor descriptor;
    descriptor.type = *type;
    // Joliet is a supplementary volume whose escape sequence names UCS-2
    // level 1, 2 or 3; other supplementary volumes keep 8-bit identifiers.
    descriptor.joliet = *type == DescriptorType::Supplementary && sector[88] == 0x25 && sector[89] == 0x2F
        && (sector[90] == 0x40 || sector[90] == 0x43 || sector[90] == 0x45);
    descriptor.volume_space_size = get_le32(&sector[80]);
    descriptor.path_table_size = get_le32(&sector[132]);
    descriptor.path_table_l = get_le32(&sector[140]);
    descriptor.root_extent = get_le32(&sector[156 + 2]);
    descriptor.root_length = get_le32(&sector[156 + 10]);
    return descriptor;
}

std::string decode_identifier(std::span<const std::uint8_t> identifier, NameEncoding encoding)
{
    std::string name = encoding == NameEncoding::Joliet ? decode_ucs2(identifier) : decode_8bit(identifier);
    if (const auto version = name.find(';'); version != std::string::npos)
        name.resize(version);
    for (char& c : name) {
        if (c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    }
    return name;
}

RecordingDate parse_recording_date(const std::uint8_t* seven_bytes)
{
    RecordingDate date;
    date.years_since_1900 = seven_bytes[0];
    date.month = seven_bytes[1];
    date.day = seven_bytes[2];
    date.hour = seven_bytes[3];
    date.minute = seven_bytes[4];
    date.second = seven_bytes[5];
    date.zone = static_cast<std::int8_t>(seven_bytes[6]);
    return date;
}

DirectorySector parse_directory_sector(Sector sector, NameEncoding encoding)
{
    DirectorySector result;
    const std::size_t limit = encoding == NameEncoding::Joliet ? MaxJolietIdentifier : MaxIsoIdentifier;
    std::size_t offset = 0;
    while (offset + sizeof(DirectoryRecord) <= SectorSize) {
        const std::uint8_t* p = sector.data() + offset;
        // Some writers leave a bare 14-byte CD-XA system use run between
        // records of the ISO tree; it is stepped over.
        if (encoding == NameEncoding::Iso && p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 0 && p[5] == 0x55
            && p[6] == 0x58 && p[7] == 0x41) {
            offset += 14;
            continue;
        }
        DirectoryRecord record;
        std::memcpy(&record, p, sizeof record);
        if (record.length == 0)
            break;
        if (record.length < sizeof(DirectoryRecord) || offset + record.length > SectorSize
            || sizeof(DirectoryRecord) + record.identifier_length > record.length) {
            result.damaged = true;
            break;
        }
        const std::span<const std::uint8_t> identifier(p + sizeof(DirectoryRecord), record.identifier_length);
        offset += record.length;

        if (identifier.size() == 1 && (identifier[0] == 0x00 || identifier[0] == 0x01))
            continue;
        std::string name = decode_identifier(identifier, encoding);
        if (identifier.size() > limit) {
            result.names_too_long.push_back(std::move(name));
            continue;
        }
        // "." and ".." as real names would stand for the directory records the
        // layout writes itself.
        if (name.empty() || name == "." || name == "..")
            continue;

        DirectoryEntry entry;
        entry.name = std::move(name);
        entry.extent = get_le32(record.extent);
        entry.length = get_le32(record.data_length);
        entry.flags = record.flags;
        entry.date = parse_recording_date(record.recording_date);
        result.entries.push_back(std::move(entry));
    }
    return result;
}

std::optional<PathTableShape> parse_path_table(std::span<const std::uint8_t> table)
{
    std::vector<std::uint32_t> depths;
    std::size_t offset = 0;
    while (table.size() - offset >= sizeof(PathTableRecord)) {
        PathTableRecord record;
        std::memcpy(&record, table.data() + offset, sizeof record);
        if (record.identifier_length == 0)
            break;
        const std::size_t size = sizeof record + record.identifier_length;
        if (size > table.size() - offset)
            return std::nullopt;
        const std::uint32_t number = static_cast<std::uint32_t>(depths.size()) + 1;
        const std::uint16_t parent = get_le16(record.parent_number);
        if (number == 1) {
            depths.push_back(1);
        } else {
            if (parent < 1 || parent >= number)
                return std::nullopt;
            depths.push_back(depths[parent - 1] + 1);
        }
        offset += std::min(table.size() - offset, size + (record.identifier_length & 1));
    }
    if (depths.empty())
        return std::nullopt;
    return PathTableShape{static_cast<std::uint32_t>(depths.size()), *std::max_element(depths.begin(), depths.end())};
}

} // namespace valmuri::iso_reader
