#include "engine/cache_sources.h"

#include "engine/burner.h"

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

CacheJob cache_job_for(TVordaCDBurner& burner, std::uint32_t block_size)
{
    const LayoutValues& layout = burner.Layout();
    CacheJob job;
    job.cache_size = burner.CacheSize();
    job.block_size = block_size;
    job.write_post_gap = burner.WritePostGap();
    if (burner.Bootable()) {
        job.boot_image = burner.BootImage();
        job.boot_image_sectors = layout.BootImageSectors;
        job.pad_sectors = layout.PadSectors;
    }
    job.image_bytes = layout.ImageSectors * kSectorBytes;
    job.header = std::move(burner.HeaderStream());
    burner.HeaderStream().clear();
    job.files = cache_sources_of(burner.Tree());
    return job;
}

} // namespace valmuri
