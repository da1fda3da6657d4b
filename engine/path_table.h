#pragma once
// Path tables: every directory once, breadth first, each with the first
// sector of its extent and the number of its parent in the same table.

#include "engine/disc_tree.h"

#include <cstdint>
#include <string>
#include <vector>

namespace valmuri {

// Path table record, fixed part (ISO 9660 9.4); the identifier follows.
struct PathTableRecord {
    std::uint8_t identifier_length;
    std::uint8_t extended_attribute_length;
    std::uint8_t extent[4];     // little-endian in type L tables, big-endian in type M
    std::uint8_t parent_number[2];
};
static_assert(sizeof(PathTableRecord) == 8);

enum class NameSet { Iso, Joliet };
enum class ByteOrder { Little, Big };

// Orders both path tables breadth first: by the number of the parent, and
// under one parent by identifier bytes (ISO short names, Joliet long names),
// a prefix before the longer name. Numbers the directories from 1 (Number
// and NumberJoliet); the root is always number 1.
void sort_path_tables(DiscTree& tree);

// Size in bytes of a path table over the given order, without the fill.
std::uint32_t path_table_size(const std::vector<TDEntry*>& order, NameSet names);

// Appends a path table (records and the zero fill to a whole sector) to out.
// Extents are base + the directory's Location (LocationJoliet).
void write_path_table(std::vector<std::uint8_t>& out, const std::vector<TDEntry*>& order, NameSet names,
                      ByteOrder byte_order, std::uint32_t base);

} // namespace valmuri
