#pragma once
// Where every structure and every file of the image lies. The whole layout
// is computed before anything is written; the header writer and the data
// stream follow it sector for sector.

#include "engine/disc_tree.h"

#include <cstdint>

namespace valmuri {

constexpr std::uint32_t SectorSize = 2048;
// The first file's data never starts below this sector.
constexpr std::uint32_t MinimumFirstFileSector = 150;
// With the post-gap, images shorter than this are filled with zero sectors.
constexpr std::int64_t PostGapMinimumSectors = 300;

struct LayoutOptions {
    std::uint32_t start_sector = 0;    // absolute sector of the session's first sector
    bool joliet = true;
    bool bootable = false;
    std::int64_t boot_image_bytes = 0; // size of the boot image file when bootable
};

struct LayoutValues {
    std::uint32_t StartSector = 0;
    std::uint32_t PrimaryDescriptor = 0;
    std::uint32_t BootRecordDescriptor = 0;    // 0 when not bootable
    std::uint32_t JolietDescriptor = 0;        // 0 without Joliet
    std::uint32_t Terminator = 0;
    std::uint32_t PathTableL = 0;
    std::uint32_t PathTableM = 0;
    std::uint32_t PathTableLJoliet = 0;
    std::uint32_t PathTableMJoliet = 0;
    std::uint32_t PathTableSize = 0;           // bytes, without the fill to a whole sector
    std::uint32_t PathTableSizeJoliet = 0;
    std::uint32_t DirArea = 0;                 // the root's ISO extent
    std::uint32_t DirAreaJoliet = 0;           // the root's Joliet extent
    std::uint32_t DirSectors = 0;              // sectors of all ISO directory extents
    std::uint32_t DirSectorsJoliet = 0;
    std::uint32_t BootCatalogLocation = 0;
    std::uint32_t BootImageLocation = 0;
    std::uint32_t BootImageSectors = 0;
    std::int64_t PadSectors = 0;               // zero sectors before the first file
    std::uint32_t FirstFileLocation = 0;
    std::int64_t FileSectors = 0;              // sectors of all new files' data
    std::int64_t VolumeEnd = 0;                // the sector after the last file
    std::int64_t ImageSectors = 0;             // VolumeEnd - StartSector: what a burn writes
};

constexpr std::int64_t sectors_for(std::int64_t bytes)
{
    return (bytes + SectorSize - 1) / SectorSize;
}

// Sorts the path table orders, sizes every directory extent, and gives a
// sector to every structure and every file of the tree. Fills the Size,
// Location and Number fields of the tree's records.
LayoutValues compute_layout(DiscTree& tree, const LayoutOptions& options);

} // namespace valmuri
