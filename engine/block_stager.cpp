#include "engine/block_stager.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace valmuri {

void BlockStager::start(CacheBlock buffer)
{
    if (assembling_)
        return;
    block_ = std::move(buffer);
    block_.bytes.resize(block_size_);
    block_.length = 0;
    staged_ = 0;
    assembling_ = true;
}

std::uint32_t BlockStager::commit(std::uint32_t n)
{
    const auto rounded = static_cast<std::uint32_t>(std::min<std::int64_t>(round_up_to_sectors(n), room()));
    std::memset(block_.bytes.data() + staged_ + n, 0, rounded - n);
    staged_ += rounded;
    return rounded;
}

CacheBlock BlockStager::finish()
{
    block_.length = staged_;
    staged_ = 0;
    assembling_ = false;
    return std::move(block_);
}

std::int64_t zero_fill_bytes(std::int64_t image_bytes, bool write_post_gap)
{
    if (!write_post_gap || image_bytes >= kMinimumTrackBytes)
        return 0;
    return kMinimumTrackBytes - image_bytes;
}

std::vector<std::uint32_t> zero_fill_blocks(std::int64_t fill_bytes, std::uint32_t block_size)
{
    std::vector<std::uint32_t> lengths;
    while (fill_bytes > 0) {
        const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(fill_bytes, block_size));
        lengths.push_back(n);
        fill_bytes -= n;
    }
    return lengths;
}

CachePriority cache_priority_for(std::int64_t queued, const CacheGeometry& geometry)
{
    const std::int64_t max_blocks = geometry.max_blocks();
    if (queued >= geometry.capacity())
        return CachePriority::Idle;
    if (queued < max_blocks / 4)
        return CachePriority::Normal;
    if (queued < max_blocks / 2)
        return CachePriority::Lower;
    return CachePriority::Lowest;
}

} // namespace valmuri
