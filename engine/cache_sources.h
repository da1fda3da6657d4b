#pragma once
// The source files of a disc tree in the order their data goes on the disc.

#include "engine/cache_thread.h"
#include "engine/disc_tree.h"

#include <vector>

namespace valmuri {

// Every file of the file table that carries data from the local disks, in
// table order, with the size the tree recorded. Folders, imported entries and
// empty files are left out: they take no sectors of the new session.
std::vector<CacheSourceFile> cache_sources_of(const DiscTree& tree);

} // namespace valmuri
