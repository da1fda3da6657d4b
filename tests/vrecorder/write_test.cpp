// Writes as a strict recorder takes them, and reading back what was written.

#include "recorder_fixture.h"

#include <atomic>
#include <cstdlib>
#include <thread>

namespace valmuri::vrecorder::test {
namespace {

using WriteTest = RecorderTest;

TEST_F(WriteTest, WritesGoToTheNextWritableAddressOnly)
{
    configure("[r]\nmedium=cd-r\nimage=disc.iso\n");
    Reply elsewhere = write(16, 16);
    EXPECT_EQ(elsewhere.status, SS_ERR);
    EXPECT_EQ(elsewhere.target_status, 0x02);
    EXPECT_EQ(elsewhere.sense[0] & 0x7F, 0x70);
    EXPECT_EQ(elsewhere.key(), 0x5);
    EXPECT_EQ(elsewhere.asc(), 0x21);
    EXPECT_EQ(elsewhere.ascq(), 0x02); // invalid address for write

    ASSERT_TRUE(write(0, 27).good());
    std::vector<std::uint8_t> track = track_information(1);
    EXPECT_EQ(nwa(track), 27u);
    EXPECT_EQ(free_blocks(track), 359849u - 27);
    EXPECT_EQ(write(0, 27).ascq(), 0x02) << "written blocks cannot be written again";
    EXPECT_EQ(write(28, 1).ascq(), 0x02) << "no gaps";
    EXPECT_TRUE(write(27, 5).good());
}

TEST_F(WriteTest, PartialBlocksAndWritesPastTheEndAreRefused)
{
    configure("[r]\nmedium=cd-r\ncapacity=100\n");
    std::vector<std::uint8_t> half(1024, 1);
    // Half a block for a one-block write: the transfer fails, nothing is written.
    Reply partial = out({0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, half);
    EXPECT_EQ(partial.status, SS_ERR);
    EXPECT_EQ(partial.host_status, 0x12);
    EXPECT_EQ(free_blocks(track_information(1)), 100u);

    Reply too_far = write(0, 101);
    EXPECT_EQ(too_far.key(), 0x5);
    EXPECT_EQ(too_far.asc(), 0x21);
    EXPECT_EQ(too_far.ascq(), 0x00);
    EXPECT_TRUE(write(0, 100).good());
    EXPECT_EQ(free_blocks(track_information(1)), 0u);
}

TEST_F(WriteTest, ReadBackGivesTheDataAndTheImageHoldsItAtItsSector)
{
    configure("[r]\nmedium=dvd-r\nimage=out/disc.iso\n");
    ASSERT_TRUE(write(0, 32, 0x11).good());
    ASSERT_TRUE(write(32, 32, 0x22).good());
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(read(30, 4, data).good());
    EXPECT_EQ(data[0], 0x11);
    EXPECT_EQ(data[2 * 2048], 0x22);

    Reply unwritten = read(64, 1, data);
    EXPECT_EQ(unwritten.key(), 0x5);
    EXPECT_EQ(unwritten.asc(), 0x21);

    ASSERT_TRUE(synchronize_cache().good());
    fs::path image = folder() / "out" / "disc.iso";
    ASSERT_EQ(fs::file_size(image), 64u * 2048);
    std::ifstream file(image, std::ios::binary);
    file.seekg(33 * 2048);
    EXPECT_EQ(file.get(), 0x22);
}

TEST_F(WriteTest, AnImageThatCannotBeWrittenIsAWriteErrorNotASuccess)
{
    fs::create_directories(folder() / "taken");
    configure("[r]\nmedium=cd-r\nimage=taken\n"); // a folder where the image should be
    Reply reply = write(0, 1);
    EXPECT_EQ(reply.key(), 0x3);
    EXPECT_EQ(reply.asc(), 0x0C);
    EXPECT_EQ(nwa(track_information(1)), 0u) << "nothing counts as recorded";
}

TEST_F(WriteTest, TestWriteRecordsNothing)
{
    configure("[r]\nmedium=cd-r\nimage=disc.iso\n");
    ASSERT_TRUE(set_write_parameters(0, true).good());
    ASSERT_TRUE(write(0, 10).good());
    EXPECT_EQ(write(0, 10).ascq(), 0x02) << "a test write still checks the address";
    ASSERT_TRUE(write(10, 10).good());
    ASSERT_TRUE(synchronize_cache().good());
    EXPECT_FALSE(fs::exists(folder() / "disc.iso"));
    ASSERT_TRUE(set_write_parameters(0, false).good());
    EXPECT_EQ(disc_status(disc_information()), 0); // still blank
    EXPECT_TRUE(write(0, 10).good());
}

// A finished single-session disc is the ISO file itself; standard tools read it.
TEST_F(WriteTest, AFinishedDiscIsAPlainIsoFile)
{
    fs::path source = folder() / "source";
    fs::create_directories(source);
    std::ofstream(source / "song.mp3") << std::string(5000, 'x');
    fs::path made = folder() / "made.iso";
    std::string make = "xorriso -as mkisofs -quiet -J -V VALMURI -o " + made.string() + " " + source.string()
        + " >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0)
        GTEST_SKIP() << "xorriso is not installed";

    configure("[r]\nmedium=cd-r\nimage=burnt.iso\n");
    std::ifstream in_file(made, std::ios::binary);
    std::vector<std::uint8_t> iso((std::istreambuf_iterator<char>(in_file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(iso.size() % 2048, 0u);
    std::vector<std::uint8_t> cdb{0x2A, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put_be16(&cdb[7], static_cast<std::uint16_t>(iso.size() / 2048));
    ASSERT_TRUE(out(cdb, iso).good());
    ASSERT_TRUE(synchronize_cache().good());
    ASSERT_TRUE(set_write_parameters(0).good());
    ASSERT_TRUE(close(2, 0).good());
    EXPECT_EQ(disc_status(disc_information()), 2);

    std::string check = "isoinfo -J -f -i " + (folder() / "burnt.iso").string() + " 2>/dev/null | grep -q song.mp3";
    EXPECT_EQ(std::system(check.c_str()), 0);
    EXPECT_EQ(write(static_cast<std::uint32_t>(iso.size() / 2048), 1).ascq(), 0x02) << "a closed disc takes no writes";
}

} // namespace
} // namespace valmuri::vrecorder::test

namespace valmuri::vrecorder::test {
namespace {

// The writer thread writes while the user-interface thread reads the
// capabilities and the buffer level.
TEST_F(WriteTest, CommandsFromTwoThreadsEachSeeAWholeCommand)
{
    configure("[r]\nmedium=dvd+r\n");
    std::atomic<bool> writing{true};
    std::atomic<int> failures{0};
    std::thread reader([&] {
        std::vector<std::uint8_t> data(128);
        std::vector<std::uint8_t> buffer(12);
        while (writing.load()) {
            if (!in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 128, 0}, data).good() || data[8] != 0x2A)
                ++failures;
            if (!in({0x5C, 0, 0, 0, 0, 0, 0, 0, 12, 0}, buffer).good())
                ++failures;
        }
    });
    for (std::uint32_t block = 0; block < 100; ++block)
        if (!write(block * 32, 32).good())
            ++failures;
    writing = false;
    reader.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(nwa(track_information(1)), 3200u);
}

} // namespace
} // namespace valmuri::vrecorder::test
