#pragma once
// Everything of the image that comes before the first file's data: the
// system area, the volume descriptors, the path tables, the directory
// extents, the boot catalog and the zero fill.

#include "engine/disc_tree.h"
#include "engine/image_layout.h"
#include "engine/volume_descriptor.h"

#include <cstdint>
#include <vector>

namespace valmuri {

struct HeaderOptions {
    bool joliet = true;
    bool bootable = false;
    VolumeIdentifiers ids;
    TDateTime now = 0;                  // dates of the primary descriptor and of "." and ".."
    TDateTime joliet_creation = 0;
    TDateTime joliet_modification = 0;
    std::int8_t zone = 0;               // recording dates' offset from UTC, in 15 minutes
};

// Writes the header into out (cleared first). Without a boot image it ends
// at the first file sector; with one it ends after the boot catalog, and the
// boot image and the zero fill follow it in the data stream. Returns false
// when the bytes written do not match the layout (nothing of it may be used).
bool build_image_header(std::vector<std::uint8_t>& out, const DiscTree& tree, const LayoutValues& layout,
                        const HeaderOptions& options);

// Sectors the header holds for a layout.
std::int64_t header_sectors(const LayoutValues& layout, bool bootable);

} // namespace valmuri
