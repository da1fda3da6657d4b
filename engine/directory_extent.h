#pragma once
// The extent of one directory: "." and "..", then one record per node of its
// content list in list order. A record never crosses a sector boundary.

#include "engine/disc_tree.h"
#include "engine/image_layout.h"
#include "engine/path_table.h"

#include <cstdint>
#include <string>
#include <vector>

namespace valmuri {

// The identifier of a node in the given tree: ISO short name or UCS-2 long
// name, with ";1" for files; nodes named "." and ".." have the one-byte
// identifiers 0x00 and 0x01.
std::string node_identifier(const TFEntry& node, NameSet names);

// Sectors the directory's extent takes.
std::uint32_t directory_extent_sectors(const TDEntry& dir, NameSet names);

// Appends the directory's extent, filled with zeros to whole sectors.
// Extents of subfolders are relative to the directory area of this tree,
// extents of files to the first file sector; imported files keep theirs.
void write_directory_extent(std::vector<std::uint8_t>& out, const TDEntry& dir, NameSet names,
                            const LayoutValues& layout, TDateTime now, std::int8_t zone);

} // namespace valmuri
