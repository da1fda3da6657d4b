#include "engine/image_layout.h"

#include "engine/directory_extent.h"
#include "engine/path_table.h"

namespace valmuri {
namespace {

std::uint32_t table_sectors(std::uint32_t bytes)
{
    return static_cast<std::uint32_t>(sectors_for(bytes));
}

// Gives every directory its extent within its tree's directory area, in
// directory-table order, root first; returns the sectors of the whole area.
std::uint32_t size_directory_extents(DiscTree& tree, NameSet names)
{
    std::uint32_t next = 0;
    for (const auto& dir : tree.Dirs()) {
        const std::uint32_t sectors = directory_extent_sectors(*dir, names);
        if (names == NameSet::Iso) {
            dir->Location = static_cast<std::int32_t>(next);
            dir->Size = std::int64_t{sectors} * SectorSize;
        } else {
            dir->LocationJoliet = static_cast<std::int32_t>(next);
            dir->SizeJoliet = std::int64_t{sectors} * SectorSize;
        }
        next += sectors;
    }
    return next;
}

} // namespace

LayoutValues compute_layout(DiscTree& tree, const LayoutOptions& options)
{
    LayoutValues v;
    sort_path_tables(tree);
    v.PathTableSize = path_table_size(tree.IsoOrder(), NameSet::Iso);
    v.PathTableSizeJoliet = options.joliet ? path_table_size(tree.JolietOrder(), NameSet::Joliet) : 0;

    const std::uint32_t s = options.start_sector;
    v.StartSector = s;
    v.PrimaryDescriptor = s + 16;
    std::uint32_t n = s + 17;
    if (options.bootable)
        v.BootRecordDescriptor = n++;
    if (options.joliet)
        v.JolietDescriptor = n++;
    v.Terminator = n++;

    v.PathTableL = n;
    n += table_sectors(v.PathTableSize);
    v.PathTableM = n;
    n += table_sectors(v.PathTableSize);
    if (options.joliet) {
        v.PathTableLJoliet = n;
        n += table_sectors(v.PathTableSizeJoliet);
        v.PathTableMJoliet = n;
        n += table_sectors(v.PathTableSizeJoliet);
    }

    v.DirArea = n;
    v.DirSectors = size_directory_extents(tree, NameSet::Iso);
    n += v.DirSectors;
    if (options.joliet) {
        v.DirAreaJoliet = n;
        v.DirSectorsJoliet = size_directory_extents(tree, NameSet::Joliet);
        n += v.DirSectorsJoliet;
    }

    if (options.bootable) {
        v.BootCatalogLocation = n;
        v.BootImageLocation = n + 1;
        v.BootImageSectors = static_cast<std::uint32_t>(sectors_for(options.boot_image_bytes));
        n += 1 + v.BootImageSectors;
    }

    if (n < MinimumFirstFileSector) {
        v.PadSectors = MinimumFirstFileSector - n;
        v.FirstFileLocation = MinimumFirstFileSector;
    } else {
        v.FirstFileLocation = n;
    }

    std::int64_t file_sectors = 0;
    for (const auto& node : tree.Files()) {
        if (node->Dir != nullptr) {
            node->Location = node->Dir->Location;
            node->LocationJoliet = node->Dir->LocationJoliet;
            node->Size = node->Dir->Size;
            node->SizeJoliet = node->Dir->SizeJoliet;
        } else if (node->Imported) {
            continue;
        } else if (node->Size == 0) {
            node->Location = 0;
            node->LocationJoliet = 0;
        } else {
            node->Location = static_cast<std::int32_t>(file_sectors);
            node->LocationJoliet = node->Location;
            file_sectors += sectors_for(node->Size);
        }
    }
    v.FileSectors = file_sectors;
    v.VolumeEnd = v.FirstFileLocation + file_sectors;
    v.ImageSectors = v.VolumeEnd - v.StartSector;
    return v;
}

} // namespace valmuri
