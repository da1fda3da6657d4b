#pragma once
// What the cache thread reads for a burn of the burner's current image.

#include "engine/cache_thread.h"
#include "engine/disc_tree.h"

#include <vector>

namespace valmuri {

class TVordaCDBurner;

// Every file of the file table that carries data from the local disks, in
// table order, with the size the tree recorded. Folders, imported entries and
// empty files are left out: they take no sectors of the new session.
std::vector<CacheSourceFile> cache_sources_of(const DiscTree& tree);

// The cache job for the burner's last layout and header. The header stream
// moves into the job (the burner's stream is left empty).
CacheJob cache_job_for(TVordaCDBurner& burner, std::uint32_t block_size);

} // namespace valmuri
