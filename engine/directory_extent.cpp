#include "engine/directory_extent.h"

#include "engine/directory_record.h"
#include "engine/disc_name.h"

namespace valmuri {
namespace {

bool is_dot_name(const std::string& name)
{
    return name == "." || name == "..";
}

const std::string& name_of(const TFEntry& node, NameSet names)
{
    return names == NameSet::Iso ? node.ShortName : node.LongName;
}

// Directories imported from a disc bring their own "." and "..".
bool has_own_dot_records(const TDEntry& dir, NameSet names)
{
    return dir.FirstEntry != nullptr && name_of(*dir.FirstEntry, names) == ".";
}

std::size_t identifier_length(const TFEntry& node, NameSet names)
{
    const std::string& name = name_of(node, names);
    if (is_dot_name(name))
        return 1;
    const std::size_t suffix = node.Dir != nullptr ? 0 : 2;
    return names == NameSet::Iso ? name.size() + suffix : 2 * (utf8_length(name) + suffix);
}

// Offset of the next record of the given length: the next sector when it
// does not fit in the rest of the current one.
std::size_t place(std::size_t offset, std::size_t length)
{
    const std::size_t room = SectorSize - offset % SectorSize;
    return length > room ? offset + room : offset;
}

std::uint8_t flags_of(const TFEntry& node)
{
    std::uint8_t flags = node.Dir != nullptr ? RecordFlagDirectory : 0;
    if (node.Attr & AttrHidden)
        flags |= RecordFlagExistence;
    return flags;
}

} // namespace

std::string node_identifier(const TFEntry& node, NameSet names)
{
    const std::string& name = name_of(node, names);
    if (name == ".")
        return std::string(1, '\0');
    if (name == "..")
        return std::string(1, '\1');
    const std::string full = node.Dir != nullptr ? name : name + ";1";
    return names == NameSet::Iso ? full : ucs2_big_endian(full);
}

std::uint32_t directory_extent_sectors(const TDEntry& dir, NameSet names)
{
    std::size_t offset = has_own_dot_records(dir, names) ? 0 : 2 * 34;
    for (const TFEntry* node = dir.FirstEntry; node; node = node->Next) {
        const std::size_t length = directory_record_length(identifier_length(*node, names));
        offset = place(offset, length) + length;
    }
    return static_cast<std::uint32_t>(sectors_for(static_cast<std::int64_t>(offset)));
}

void write_directory_extent(std::vector<std::uint8_t>& out, const TDEntry& dir, NameSet names,
                            const LayoutValues& layout, TDateTime now, std::int8_t zone)
{
    const bool iso = names == NameSet::Iso;
    const std::uint32_t dir_area = iso ? layout.DirArea : layout.DirAreaJoliet;
    auto extent_of = [&](const TDEntry& d) {
        return dir_area + static_cast<std::uint32_t>(iso ? d.Location : d.LocationJoliet);
    };
    auto length_of = [&](const TDEntry& d) { return static_cast<std::uint32_t>(iso ? d.Size : d.SizeJoliet); };

    // Sized from the records themselves, so a stale layout cannot overrun it.
    const std::size_t base = out.size();
    out.resize(base + std::size_t{directory_extent_sectors(dir, names)} * SectorSize, 0);
    std::size_t offset = 0;
    if (!has_own_dot_records(dir, names)) {
        offset += put_directory_record(&out[base], extent_of(dir), length_of(dir), now, zone, RecordFlagDirectory,
                                       std::string_view("\0", 1));
        offset += put_directory_record(&out[base + offset], extent_of(*dir.Parent), length_of(*dir.Parent), now, zone,
                                       RecordFlagDirectory, std::string_view("\1", 1));
    }
    for (const TFEntry* node = dir.FirstEntry; node; node = node->Next) {
        const std::string identifier = node_identifier(*node, names);
        offset = place(offset, directory_record_length(identifier.size()));
        std::uint32_t extent = 0;
        std::uint32_t length = 0;
        if (node->Dir != nullptr) {
            extent = extent_of(*node->Dir);
            length = length_of(*node->Dir);
        } else if (node->Imported) {
            extent = static_cast<std::uint32_t>(iso ? node->Location : node->LocationJoliet);
            length = static_cast<std::uint32_t>(iso ? node->Size : node->SizeJoliet);
        } else if ((iso ? node->Size : node->SizeJoliet) > 0) {
            extent = layout.FirstFileLocation + static_cast<std::uint32_t>(iso ? node->Location : node->LocationJoliet);
            length = static_cast<std::uint32_t>(iso ? node->Size : node->SizeJoliet);
        }
        offset += put_directory_record(&out[base + offset], extent, length, node->DateTime, zone, flags_of(*node),
                                       identifier);
    }
}

} // namespace valmuri
