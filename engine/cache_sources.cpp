#include "engine/cache_sources.h"

namespace valmuri {

std::vector<CacheSourceFile> cache_sources_of(const DiscTree& tree)
{
    std::vector<CacheSourceFile> sources;
    sources.reserve(tree.Files().size());
    for (const auto& entry : tree.Files()) {
        if (!entry || entry->Dir != nullptr || (entry->Attr & AttrDirectory) != 0)
            continue;
        if (entry->Imported || entry->SourcePath.empty() || entry->Size <= 0)
            continue;
        sources.push_back({entry->SourcePath, entry->Size});
    }
    return sources;
}

} // namespace valmuri
