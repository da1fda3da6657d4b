#pragma once
// Bookkeeping of the read-ahead cache, free of threads.
//
// The image is one byte sequence (header, boot image, fill, files) in which
// every source starts on a sector boundary. BlockStager cuts that sequence
// into blocks of the cache's block size: pieces are placed at the tail of the
// block being assembled, each piece's last sector is completed with zeros,
// and the block is handed over when it is full or the data ends. The zero
// fill that lengthens short images is planned here as well.

#include "engine/cache_block.h"

#include <cstdint>
#include <vector>

namespace valmuri {

// Rounds a byte count up to whole sectors.
inline std::int64_t round_up_to_sectors(std::int64_t bytes)
{
    return (bytes + kSectorBytes - 1) / kSectorBytes * kSectorBytes;
}

class BlockStager {
public:
    explicit BlockStager(std::uint32_t block_size) : block_size_(block_size) {}

    std::uint32_t block_size() const { return block_size_; }
    // A block has been started and holds data or awaits its first piece.
    bool assembling() const { return assembling_; }
    std::uint32_t staged() const { return staged_; }
    std::uint32_t room() const { return assembling_ ? block_size_ - staged_ : block_size_; }

    // Starts a block in `buffer` (resized to the block size) if none is being
    // assembled. The buffer of a recycled block may hold old bytes.
    void start(CacheBlock buffer);
    // Where the next piece of at most room() bytes goes.
    std::uint8_t* tail() { return block_.bytes.data() + staged_; }
    // Accounts a piece of n bytes written at tail(): zeros the rest of its
    // last sector and moves on by n rounded up to sectors. Returns that
    // rounded count.
    std::uint32_t commit(std::uint32_t n);
    bool full() const { return assembling_ && staged_ == block_size_; }
    // Hands over the block being assembled with its staged length.
    CacheBlock finish();

private:
    std::uint32_t block_size_;
    CacheBlock block_;
    std::uint32_t staged_ = 0;
    bool assembling_ = false;
};

// Sizes of the cache for one burn.
struct CacheGeometry {
    std::uint32_t block_size = kDvdBlockBytes;
    std::int64_t cache_size = 0;

    // Whole blocks the cache size holds.
    std::int64_t max_blocks() const { return cache_size / block_size; }
    // The queue holds at most one block less, so the producer always has a
    // block's worth of room to assemble the next one.
    std::int64_t capacity() const { return max_blocks() > 1 ? max_blocks() - 1 : 1; }
};

// Bytes of zeros appended to an image of image_bytes so that it reaches 300
// sectors; 0 when the post-gap is off or the image is long enough.
std::int64_t zero_fill_bytes(std::int64_t image_bytes, bool write_post_gap);

// Lengths of the zero blocks that carry a fill of fill_bytes: whole blocks and
// one shorter last block.
std::vector<std::uint32_t> zero_fill_blocks(std::int64_t fill_bytes, std::uint32_t block_size);

// Scheduling levels of the cache thread: it yields more as the queue fills.
enum class CachePriority { Idle = 0, Lowest = 1, Lower = 2, Normal = 3 };

// The level for q queued blocks: normal below a quarter of max_blocks, lower
// below half, lowest above, idle once the queue is full.
CachePriority cache_priority_for(std::int64_t queued, const CacheGeometry& geometry);

} // namespace valmuri
