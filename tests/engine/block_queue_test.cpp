#include "engine/block_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace valmuri {
namespace {

CacheBlock block_of(std::uint32_t length, std::uint8_t value)
{
    CacheBlock block;
    block.bytes.assign(kDvdBlockBytes, value);
    block.length = length;
    return block;
}

// Queues a block the way the cache thread does; returns push's result.
std::int64_t put(BlockQueue& queue, CacheBlock block)
{
    return queue.push(block);
}

TEST(BlockQueue, TakeReportsEmptyThenBlocksInOrderThenTheEnd)
{
    BlockQueue queue(4);
    std::vector<std::uint8_t> dest(kDvdBlockBytes);
    EXPECT_EQ(queue.take(dest.data()), -1);
    put(queue, block_of(kDvdBlockBytes, 1));
    put(queue, block_of(8 * kSectorBytes, 2));
    EXPECT_EQ(queue.bytes_queued(), kDvdBlockBytes + 8 * kSectorBytes);
    EXPECT_FALSE(queue.first_fill_done());

    EXPECT_EQ(queue.take(dest.data()), static_cast<int>(kDvdBlockBytes));
    EXPECT_EQ(dest[0], 1);
    EXPECT_EQ(queue.take(dest.data()), static_cast<int>(8 * kSectorBytes));
    EXPECT_EQ(dest[0], 2);
    EXPECT_EQ(queue.take(dest.data()), -1);
    // Taken blocks come back as spare buffers for the next pushes.
    CacheBlock next = block_of(kSectorBytes, 3);
    EXPECT_EQ(queue.push(next), 1);
    EXPECT_EQ(next.bytes.size(), kDvdBlockBytes);
    EXPECT_EQ(next.length, 0u);
    EXPECT_EQ(queue.take(dest.data()), static_cast<int>(kSectorBytes));
    queue.finish();
    EXPECT_TRUE(queue.first_fill_done());
    EXPECT_EQ(queue.take(dest.data()), 0);
    EXPECT_EQ(queue.take(dest.data()), 0);
    EXPECT_EQ(queue.bytes_queued(), 0);
    EXPECT_TRUE(queue.status().empty());
}

TEST(BlockQueue, ProducerWaitsForRoomAndFirstFillIsSetWhenFull)
{
    BlockQueue queue(2);
    put(queue, block_of(kSectorBytes, 1));
    put(queue, block_of(kSectorBytes, 2));
    EXPECT_TRUE(queue.first_fill_done());
    EXPECT_TRUE(queue.wait_first_fill(std::chrono::milliseconds(0)));

    std::atomic<bool> got_room{false};
    std::thread producer([&] { got_room = put(queue, block_of(kSectorBytes, 3)) == 2; });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(got_room.load());
    std::vector<std::uint8_t> dest(kDvdBlockBytes);
    EXPECT_EQ(queue.take(dest.data()), static_cast<int>(kSectorBytes));
    producer.join();
    EXPECT_TRUE(got_room.load());
    EXPECT_EQ(queue.size(), 2);
}

TEST(BlockQueue, CloseDropsBlocksKeepsTheFirstTextAndWakesBothSides)
{
    BlockQueue queue(1);
    put(queue, block_of(kSectorBytes, 1));
    std::atomic<bool> room_result{true};
    std::thread producer([&] { room_result = put(queue, block_of(kSectorBytes, 2)) >= 0; });
    std::vector<std::uint8_t> dest(kDvdBlockBytes);

    queue.close_with("FIRST");
    producer.join();
    EXPECT_FALSE(room_result.load());
    queue.close_with("SECOND");
    EXPECT_EQ(queue.status(), "FIRST");
    EXPECT_EQ(queue.bytes_queued(), 0);
    EXPECT_EQ(queue.size(), 0);
    EXPECT_TRUE(queue.finished());
    EXPECT_EQ(queue.take(dest.data()), 0);
    EXPECT_EQ(queue.wait_take(dest.data(), std::chrono::milliseconds(1000)), 0);
    put(queue, block_of(kSectorBytes, 1));
    EXPECT_EQ(queue.size(), 0);
}

TEST(BlockQueue, WriterThatFoundTheQueueEmptyGoesOnOnceAQuarterIsRefilled)
{
    BlockQueue queue(8, std::chrono::seconds(10));
    std::vector<std::uint8_t> dest(kDvdBlockBytes);
    for (std::uint8_t i = 0; i < 8; ++i)
        put(queue, block_of(kSectorBytes, i));
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(queue.take(dest.data()), static_cast<int>(kSectorBytes));

    std::atomic<int> got{-2};
    std::thread writer([&] { got = queue.wait_take(dest.data(), std::chrono::seconds(10)); });
    // The stall is counted under the lock the writer then waits with.
    while (queue.consumer_stalls() == 0)
        std::this_thread::yield();
    put(queue, block_of(kSectorBytes, 20));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(got.load(), -2) << "woken by the first block";
    put(queue, block_of(kSectorBytes, 21));
    writer.join();
    EXPECT_EQ(got.load(), static_cast<int>(kSectorBytes));
    EXPECT_EQ(dest[0], 20);
    EXPECT_EQ(queue.consumer_stalls(), 1);

    ASSERT_EQ(queue.take(dest.data()), static_cast<int>(kSectorBytes));

    // At the end of the image the last block is taken without waiting for more.
    got = -2;
    std::thread last([&] { got = queue.wait_take(dest.data(), std::chrono::seconds(10)); });
    while (queue.consumer_stalls() == 1)
        std::this_thread::yield();
    put(queue, block_of(kSectorBytes, 22));
    queue.finish();
    last.join();
    EXPECT_EQ(got.load(), static_cast<int>(kSectorBytes));
    EXPECT_EQ(dest[0], 22);
}

TEST(BlockQueue, WriterTakesALoneBlockFromASlowSourceAfterTheGatherTime)
{
    BlockQueue queue(8, std::chrono::milliseconds(20));
    std::vector<std::uint8_t> dest(kDvdBlockBytes);
    for (std::uint8_t i = 0; i < 8; ++i)
        put(queue, block_of(kSectorBytes, i));
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(queue.take(dest.data()), static_cast<int>(kSectorBytes));
    std::thread source([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        put(queue, block_of(kSectorBytes, 30));
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(queue.wait_take(dest.data(), std::chrono::seconds(10)), static_cast<int>(kSectorBytes));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "waited for a quarter";
    EXPECT_EQ(dest[0], 30);
    source.join();
}

TEST(BlockQueue, WaitTakeTimesOutWithMinusOneAndWakesOnData)
{
    BlockQueue queue(4);
    std::vector<std::uint8_t> dest(kDvdBlockBytes);
    EXPECT_EQ(queue.wait_take(dest.data(), std::chrono::milliseconds(5)), -1);
    EXPECT_FALSE(queue.wait_first_fill(std::chrono::milliseconds(5)));

    std::thread producer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        put(queue, block_of(3 * kSectorBytes, 7));
        queue.finish();
    });
    EXPECT_EQ(queue.wait_take(dest.data(), std::chrono::seconds(10)), static_cast<int>(3 * kSectorBytes));
    EXPECT_EQ(dest[0], 7);
    EXPECT_EQ(queue.wait_take(dest.data(), std::chrono::seconds(10)), 0);
    producer.join();
}

} // namespace
} // namespace valmuri
