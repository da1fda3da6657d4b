#include "engine/cache_thread.h"

#include "engine/burn_errors.h"
#include "engine/cache_sources.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace valmuri {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

class CacheThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("valmuri-cache-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write_file(const std::string& name, std::size_t size, std::uint8_t value)
    {
        const auto path = (dir_ / name).string();
        std::ofstream out(path, std::ios::binary);
        const std::string bytes(size, static_cast<char>(value));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // A job without post-gap whose header is `header_sectors` sectors of 0x48
    // followed by files.
    static CacheJob job_for(std::int64_t header_sectors, std::vector<CacheSourceFile> files, std::uint32_t block_size)
    {
        CacheJob job;
        job.block_size = block_size;
        job.write_post_gap = false;
        job.header.assign(static_cast<std::size_t>(header_sectors * kSectorBytes), 0x48);
        job.image_bytes = header_sectors * kSectorBytes;
        for (const auto& file : files)
            if (!file.path.empty())
                job.image_bytes += (file.size + kSectorBytes - 1) / kSectorBytes * kSectorBytes;
        job.files = std::move(files);
        return job;
    }

    struct Drained {
        std::vector<int> sectors_per_block;
        std::vector<std::uint8_t> bytes;
    };
    static Drained drain(TCacheThread& cache)
    {
        Drained out;
        std::vector<std::uint8_t> block(kDvdBlockBytes);
        for (;;) {
            const int n = cache.WaitBlock(block.data(), milliseconds(10000));
            if (n == 0)
                break;
            if (n < 0) {
                ADD_FAILURE() << "the cache stalled";
                break;
            }
            out.sectors_per_block.push_back(n / static_cast<int>(kSectorBytes));
            out.bytes.insert(out.bytes.end(), block.begin(), block.begin() + n);
        }
        return out;
    }

    fs::path dir_;
};

TEST_F(CacheThreadTest, OneByteFileWithPostGapMakesThreeHundredSectors)
{
    const auto path = write_file("a.mp3", 1, 0x5A);
    CacheJob job = job_for(150, {{path, 1}}, kCdBlockBytes);
    job.write_post_gap = true;
    TCacheThread cache(std::move(job));
    EXPECT_EQ(cache.ImageBytes(), 614400);

    const Drained got = drain(cache);
    const std::vector<int> expected{27, 27, 27, 27, 27, 16, 27, 27, 27, 27, 27, 14};
    EXPECT_EQ(got.sectors_per_block, expected);
    ASSERT_EQ(got.bytes.size(), 614400u);
    EXPECT_EQ(got.bytes[150 * kSectorBytes - 1], 0x48);
    EXPECT_EQ(got.bytes[150 * kSectorBytes], 0x5A);
    for (std::size_t i = 150 * kSectorBytes + 1; i < got.bytes.size(); ++i)
        ASSERT_EQ(got.bytes[i], 0) << i;
    EXPECT_TRUE(cache.StatusText().empty());
    EXPECT_EQ(cache.BytesQueued(), 0);
    std::vector<std::uint8_t> block(kDvdBlockBytes);
    EXPECT_EQ(cache.GetBlock(block.data()), 0);
    cache.WaitFor();
    EXPECT_TRUE(cache.StatusText().empty());
}

TEST_F(CacheThreadTest, DvdImageWithoutPostGapEndsWithAShortBlock)
{
    const auto path = write_file("b.mp3", 50 * kSectorBytes, 0x01);
    CacheJob job = job_for(150, {{path, 50 * kSectorBytes}}, kDvdBlockBytes);
    TCacheThread cache(std::move(job));
    const Drained got = drain(cache);
    const std::vector<int> expected{32, 32, 32, 32, 32, 32, 8};
    EXPECT_EQ(got.sectors_per_block, expected);
    EXPECT_EQ(cache.ImageBytes(), 200 * kSectorBytes);
}

TEST_F(CacheThreadTest, FilesFollowInTableOrderEachOnASectorBoundary)
{
    const auto a = write_file("a.mp3", 3000, 0xA1);
    const auto b = write_file("b.mp3", 3000, 0xB2);
    const auto empty = write_file("empty.mp3", 0, 0);
    // Imported entries (no source) and empty files carry no data.
    TCacheThread cache(job_for(150, {{a, 3000}, {"", 4096}, {empty, 0}, {b, 3000}}, kDvdBlockBytes));
    const Drained got = drain(cache);
    const std::size_t first = 150 * kSectorBytes;
    ASSERT_EQ(got.bytes.size(), first + 4 * kSectorBytes);
    EXPECT_EQ(got.bytes[first + 2999], 0xA1);
    EXPECT_EQ(got.bytes[first + 3000], 0);
    EXPECT_EQ(got.bytes[first + 4096], 0xB2);
    EXPECT_EQ(got.bytes[first + 4096 + 2999], 0xB2);
    EXPECT_EQ(got.bytes[first + 4096 + 3000], 0);
}

TEST_F(CacheThreadTest, BootImageAndItsZeroSectorsComeBeforeTheFiles)
{
    const auto boot = write_file("boot.img", 3000, 0xB0);
    const auto file = write_file("c.mp3", 10, 0xC0);
    CacheJob job = job_for(20, {{file, 10}}, kCdBlockBytes);
    job.boot_image = boot;
    job.boot_image_sectors = 2;
    job.pad_sectors = 3;
    job.image_bytes += 5 * kSectorBytes;
    job.write_post_gap = true;
    TCacheThread cache(std::move(job));
    const Drained got = drain(cache);
    ASSERT_EQ(got.bytes.size(), 300u * kSectorBytes);
    EXPECT_EQ(got.bytes[20 * kSectorBytes], 0xB0);
    EXPECT_EQ(got.bytes[20 * kSectorBytes + 2999], 0xB0);
    EXPECT_EQ(got.bytes[20 * kSectorBytes + 3000], 0);
    EXPECT_EQ(got.bytes[24 * kSectorBytes], 0);
    EXPECT_EQ(got.bytes[25 * kSectorBytes], 0xC0);
}

TEST_F(CacheThreadTest, GetBlockIsMinusOneUntilTheFirstBlockIsQueued)
{
    // Opening a FIFO blocks until its other end is opened, which holds the
    // cache thread before its first block.
    const auto fifo = (dir_ / "slow.mp3").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TCacheThread cache(job_for(0, {{fifo, 2048}}, kDvdBlockBytes));
    std::vector<std::uint8_t> block(kDvdBlockBytes);
    EXPECT_EQ(cache.GetBlock(block.data()), -1);
    EXPECT_FALSE(cache.FirstFillDone());

    const int writer = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    ::close(writer);
    cache.WaitFor();
    // A FIFO has no length: it cannot match the layout and fails by name.
    EXPECT_EQ(cache.StatusText(), "FILE \"" + fifo + "\" HAS CHANGED SIZE SINCE THE LAYOUT");
    EXPECT_EQ(cache.GetBlock(block.data()), 0);
}

TEST_F(CacheThreadTest, AbortWhileFullDropsEveryBlock)
{
    CacheJob job = job_for(2000, {}, kCdBlockBytes);
    job.cache_size = 2097152; // 37 blocks, 36 queued at most
    TCacheThread cache(std::move(job));
    ASSERT_TRUE(cache.WaitFirstFill(milliseconds(10000)));
    EXPECT_EQ(cache.MaxBlocks(), 37);
    EXPECT_EQ(cache.BytesQueued(), 36 * kCdBlockBytes);
    EXPECT_EQ(cache.FillPercent(), 95);

    cache.AbortCache();
    cache.WaitFor();
    EXPECT_EQ(cache.StatusText(), burn_error::kAborted);
    EXPECT_EQ(cache.BytesQueued(), 0);
    EXPECT_TRUE(cache.Finished());
    std::vector<std::uint8_t> block(kDvdBlockBytes);
    EXPECT_EQ(cache.GetBlock(block.data()), 0);
}

TEST_F(CacheThreadTest, MissingSourceEndsWithTheOpenErrorNamingIt)
{
    const auto a = write_file("a.mp3", 5000, 1);
    const auto gone = (dir_ / "deleted.mp3").string();
    TCacheThread cache(job_for(150, {{a, 5000}, {gone, 7000}}, kCdBlockBytes));
    ASSERT_TRUE(cache.WaitFirstFill(milliseconds(10000)));
    cache.WaitFor();
    EXPECT_EQ(cache.StatusText(),
              "CAN'T OPEN FILE \"" + gone + "\" OR FILE IS IN USES BY OTHER SOFTWARE");
    EXPECT_EQ(cache.CurrentFile(), gone);
    std::vector<std::uint8_t> block(kDvdBlockBytes);
    EXPECT_EQ(cache.GetBlock(block.data()), 0);
}

TEST_F(CacheThreadTest, SourcesThatNoLongerMatchTheLayoutFailInsteadOfWritingWrongBytes)
{
    const auto shorter = write_file("short.mp3", 4000, 1);
    const auto longer = write_file("long.mp3", 6000, 2);
    for (const auto& [path, recorded] : {std::pair{shorter, 5000}, std::pair{longer, 5000}}) {
        TCacheThread cache(job_for(150, {{path, recorded}}, kCdBlockBytes));
        const Drained got = drain(cache);
        EXPECT_EQ(cache.StatusText(), "FILE \"" + path + "\" HAS CHANGED SIZE SINCE THE LAYOUT");
        // Nothing past the header reaches the writer.
        EXPECT_LE(got.bytes.size(), 150u * kSectorBytes);
    }
}

TEST_F(CacheThreadTest, ByteCountDifferentFromTheLayoutIsRefusedAtOnce)
{
    const auto a = write_file("a.mp3", 100, 1);
    CacheJob job = job_for(150, {{a, 100}}, kCdBlockBytes);
    job.image_bytes += kSectorBytes;
    TCacheThread cache(std::move(job));
    const Drained got = drain(cache);
    EXPECT_TRUE(got.bytes.empty());
    EXPECT_EQ(cache.StatusText(), burn_error::kLayoutMismatch);
}

TEST_F(CacheThreadTest, TreeGivesItsFilesInTableOrderWithoutFoldersOrEmptyFiles)
{
    const auto a = write_file("a.mp3", 10, 1);
    const auto empty = write_file("empty.mp3", 0, 0);
    const auto b = write_file("b.mp3", 20, 2);
    DiscTree tree;
    ASSERT_TRUE(tree.CreateDir(tree.Root(), "Sub", AttrDirectory));
    ASSERT_EQ(tree.InsertFile("\\", a, false), 1);
    ASSERT_EQ(tree.InsertFile("\\", empty, false), 1);
    ASSERT_EQ(tree.InsertFile("\\SUB", b, false), 1);
    SearchRecord old;
    old.Name = "old.mp3";
    old.Size = 5000;
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), old, 40000, ""));

    const auto sources = cache_sources_of(tree);
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[0].path, a);
    EXPECT_EQ(sources[0].size, 10);
    EXPECT_EQ(sources[1].path, b);
    EXPECT_EQ(sources[1].size, 20);
}

TEST_F(CacheThreadTest, DestroyingARunningCacheStopsIt)
{
    auto cache = std::make_unique<TCacheThread>(job_for(3000, {}, kDvdBlockBytes));
    ASSERT_TRUE(cache->WaitFirstFill(milliseconds(10000)));
    cache.reset();
}

} // namespace
} // namespace valmuri
