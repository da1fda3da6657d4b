#pragma once
// Blocks of the read-ahead cache and the sizes they come in.

#include "drive/disc_type.h"

#include <cstdint>
#include <vector>

namespace valmuri {

inline constexpr std::uint32_t kSectorBytes = 2048;
// Blocks of 27 sectors on CD-R/CD-RW, 32 sectors on every other medium.
inline constexpr std::uint32_t kCdBlockBytes = 27 * kSectorBytes;
inline constexpr std::uint32_t kDvdBlockBytes = 32 * kSectorBytes;
// Images shorter than 300 sectors are padded to this many bytes when the
// post-gap is on: drives refuse shorter tracks.
inline constexpr std::int64_t kMinimumTrackBytes = 300 * kSectorBytes;

// The block size for a disc type code: CD-R and CD-RW take CD blocks.
inline std::uint32_t block_size_for_disc_type(int disc_type)
{
    return disc_type == dtCDR || disc_type == dtCDRW ? kCdBlockBytes : kDvdBlockBytes;
}

// One block of image bytes: `bytes` has the cache's block size, the first
// `length` bytes are data.
struct CacheBlock {
    std::vector<std::uint8_t> bytes;
    std::uint32_t length = 0;
};

} // namespace valmuri
