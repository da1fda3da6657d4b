#include "engine/image_to_file.h"

#include "engine/burner.h"
#include "engine/image_file_writer.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/mman.h>
#include <unistd.h>

namespace valmuri {
namespace {

std::vector<std::uint8_t> contents(int fd)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(::lseek(fd, 0, SEEK_END)));
    ::pread(fd, bytes.data(), bytes.size(), 0);
    return bytes;
}

class ImageToFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        burner_.SetNow([] { return 46000.5; });
        burner_.SetTimeZoneOffset(0);
        burner_.SetIdVolume("Cache");
    }
    void lay_out()
    {
        burner_.BuildLayout(true);
        burner_.BuildImageHeader();
    }
    test::TempFolder folder_;
    TVordaCDBurner burner_;
};

TEST_F(ImageToFile, CacheGivesTheSameBytesAsTheDirectImageWriter)
{
    for (const auto& [name, size] : std::vector<std::pair<std::string, std::uint64_t>>{
             {"one.mp3", 1}, {"empty.mp3", 0}, {"big.mp3", 700000}, {"odd.mp3", 2049}})
        ASSERT_EQ(burner_.InsertFile("\\", folder_.file(name, size), false), 1);
    ASSERT_EQ(burner_.InsertFile("", folder_.file("deep/sub/x.mp3", 5000), true), 1);
    lay_out();

    const int direct = ::memfd_create("direct", 0);
    const int cached = ::memfd_create("cached", 0);
    ASSERT_TRUE(write_image_file(burner_, direct).error.empty());
    lay_out();
    std::int64_t last_done = 0;
    const ImageToFileResult result = write_image_through_cache(burner_, cached, [&](std::int64_t done, std::int64_t) {
        EXPECT_GT(done, last_done);
        last_done = done;
    });
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.bytes, burner_.ImageSize() * 2048);
    EXPECT_EQ(last_done, result.bytes);
    EXPECT_EQ(contents(cached), contents(direct));
    ::close(direct);
    ::close(cached);
}

TEST_F(ImageToFile, SourceThatShrankAfterTheLayoutFailsByName)
{
    const std::string path = folder_.file("song.mp3", 10000);
    ASSERT_EQ(burner_.InsertFile("\\", path, false), 1);
    lay_out();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "short";

    const int fd = ::memfd_create("image", 0);
    const ImageToFileResult result = write_image_through_cache(burner_, fd);
    EXPECT_EQ(result.error, "FILE \"" + path + "\" HAS CHANGED SIZE SINCE THE LAYOUT");
    ::close(fd);
}

} // namespace
} // namespace valmuri
