#include "engine/block_stager.h"

#include <gtest/gtest.h>

#include <cstring>

namespace valmuri {
namespace {

// Feeds a source of n bytes of value `fill`, collecting full blocks.
void feed(BlockStager& stager, std::int64_t n, std::uint8_t fill, std::vector<CacheBlock>& out)
{
    while (n > 0) {
        CacheBlock dirty;
        dirty.bytes.assign(stager.block_size(), 0xEE); // recycled buffers hold old bytes
        stager.start(std::move(dirty));
        const auto piece = static_cast<std::uint32_t>(std::min<std::int64_t>(stager.room(), n));
        std::memset(stager.tail(), fill, piece);
        stager.commit(piece);
        n -= piece;
        if (stager.full())
            out.push_back(stager.finish());
    }
}

TEST(BlockStager, HeaderLeavesAStagedPieceThatTheFirstFileContinues)
{
    BlockStager stager(kCdBlockBytes);
    std::vector<CacheBlock> blocks;
    feed(stager, 150 * kSectorBytes, 0x11, blocks);
    ASSERT_EQ(blocks.size(), 5u);
    for (const auto& block : blocks)
        EXPECT_EQ(block.length, kCdBlockBytes);
    EXPECT_TRUE(stager.assembling());
    EXPECT_EQ(stager.staged(), 30720u);
    EXPECT_EQ(stager.room(), kCdBlockBytes - 30720u);

    feed(stager, 1, 0x22, blocks);
    ASSERT_EQ(blocks.size(), 5u);
    const CacheBlock last = stager.finish();
    EXPECT_EQ(last.length, 16 * kSectorBytes);
    EXPECT_EQ(last.bytes[30720 - 1], 0x11);
    EXPECT_EQ(last.bytes[30720], 0x22);
    // The rest of the file's sector is zeros, whatever the buffer held.
    for (std::uint32_t i = 30721; i < 16 * kSectorBytes; ++i)
        ASSERT_EQ(last.bytes[i], 0) << i;
    EXPECT_FALSE(stager.assembling());
}

TEST(BlockStager, EverySourceStartsOnASectorBoundary)
{
    BlockStager stager(kDvdBlockBytes);
    std::vector<CacheBlock> blocks;
    feed(stager, 3000, 0xA1, blocks);
    EXPECT_EQ(stager.staged(), 2 * kSectorBytes);
    feed(stager, 3000, 0xA2, blocks);
    EXPECT_EQ(stager.staged(), 4 * kSectorBytes);
    const CacheBlock block = stager.finish();
    EXPECT_EQ(block.bytes[2999], 0xA1);
    EXPECT_EQ(block.bytes[3000], 0);
    EXPECT_EQ(block.bytes[4095], 0);
    EXPECT_EQ(block.bytes[4096], 0xA2);
    EXPECT_EQ(block.bytes[4096 + 2999], 0xA2);
    EXPECT_EQ(block.bytes[4096 + 3000], 0);
}

TEST(BlockStager, SourceSpanningBlocksIsCutAtTheBlockSize)
{
    BlockStager stager(kDvdBlockBytes);
    std::vector<CacheBlock> blocks;
    feed(stager, 2 * kDvdBlockBytes + 5, 0x33, blocks);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(stager.staged(), kSectorBytes);
}

TEST(ZeroFill, PadsShortImagesTo300SectorsOnlyWithThePostGap)
{
    EXPECT_EQ(zero_fill_bytes(151 * kSectorBytes, true), 149 * kSectorBytes);
    EXPECT_EQ(zero_fill_bytes(151 * kSectorBytes, false), 0);
    EXPECT_EQ(zero_fill_bytes(300 * kSectorBytes, true), 0);
    EXPECT_EQ(zero_fill_bytes(5000 * kSectorBytes, true), 0);

    const auto lengths = zero_fill_blocks(149 * kSectorBytes, kCdBlockBytes);
    const std::vector<std::uint32_t> expected{kCdBlockBytes, kCdBlockBytes, kCdBlockBytes, kCdBlockBytes, kCdBlockBytes,
                                              14 * kSectorBytes};
    EXPECT_EQ(lengths, expected);
    EXPECT_TRUE(zero_fill_blocks(0, kCdBlockBytes).empty());
}

TEST(CacheGeometry, BlockCountsAndPriorityLevels)
{
    const CacheGeometry cd{kCdBlockBytes, 4194304};
    EXPECT_EQ(cd.max_blocks(), 75);
    EXPECT_EQ(cd.capacity(), 74);
    const CacheGeometry dvd{kDvdBlockBytes, 4194304};
    EXPECT_EQ(dvd.max_blocks(), 64);
    EXPECT_EQ(block_size_for_disc_type(2), kCdBlockBytes);
    EXPECT_EQ(block_size_for_disc_type(3), kCdBlockBytes);
    EXPECT_EQ(block_size_for_disc_type(5), kDvdBlockBytes);
    EXPECT_EQ(block_size_for_disc_type(1), kDvdBlockBytes);

    EXPECT_EQ(cache_priority_for(0, dvd), CachePriority::Normal);
    EXPECT_EQ(cache_priority_for(15, dvd), CachePriority::Normal);
    EXPECT_EQ(cache_priority_for(16, dvd), CachePriority::Lower);
    EXPECT_EQ(cache_priority_for(32, dvd), CachePriority::Lowest);
    EXPECT_EQ(cache_priority_for(63, dvd), CachePriority::Idle);
}

} // namespace
} // namespace valmuri
