// The MPEG frame reader against the player's rule: headers built byte by
// byte, and MP3 files encoded by lame.

#include "jobs/core/file_info.h"
#include "mp3_fixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace valmuri::jobs;
using valmuri::test::ByteString;
using valmuri::test::frames;
using valmuri::test::mpeg1_layer3;
using valmuri::test::put_header;
using valmuri::test::ScratchFolder;

class FrameReader : public ::testing::Test {
protected:
    FrameInfo read(const ByteString& bytes)
    {
        return TFileInfo(folder.write("track.mp3", bytes)).read();
    }
    ScratchFolder folder;
};

TEST_F(FrameReader, ConstantBitRateTrackOf4000000BytesLasts250Seconds)
{
    const FrameInfo info = read(frames(4000000, mpeg1_layer3(9), 417));
    EXPECT_EQ(info.status, kFrameRead);
    EXPECT_EQ(info.file_size, 4000000u);
    EXPECT_EQ(info.version, 1);
    EXPECT_EQ(info.layer, 3);
    EXPECT_EQ(info.sample_rate, 44100u);
    EXPECT_EQ(info.bit_rate, 128);
    EXPECT_EQ(info.frame_length, 417); // whole part of 128 × 144000 ÷ 44100
    EXPECT_EQ(info.protection, 1);
    EXPECT_EQ(info.padding, 0);
    EXPECT_EQ(info.channel_mode, 1);
    EXPECT_EQ(info.duration, 250);
    EXPECT_EQ(duration_mm_ss(info.duration), "04:10");
}

TEST_F(FrameReader, XingHeaderAtFrameStartPlus36GivesFrameLengthBitRateAndDuration)
{
    ByteString bytes = frames(4000000, mpeg1_layer3(9), 417);
    const ByteString xing = {'X', 'i', 'n', 'g', 0, 0, 0, 15, 0, 0, 0x27, 0x10}; // 10000 frames
    std::copy(xing.begin(), xing.end(), bytes.begin() + 36);
    const FrameInfo info = read(bytes);
    EXPECT_EQ(info.frame_length, 400);
    EXPECT_EQ(info.bit_rate, 122); // the whole part of 122.5
    EXPECT_EQ(info.duration, 262);
    EXPECT_EQ(info.sample_rate, 44100u);

    // Without all four optional fields, or elsewhere than +36, the header is not read.
    bytes[36 + 7] = 7;
    EXPECT_EQ(read(bytes).bit_rate, 128);
    bytes[36 + 7] = 15;
    std::rotate(bytes.begin() + 36, bytes.begin() + 37, bytes.begin() + 60);
    EXPECT_EQ(read(bytes).bit_rate, 128);
}

TEST_F(FrameReader, XingWithPaddingSubtractsOneAndZeroFramesChangesNothing)
{
    ByteString bytes = frames(4000000, mpeg1_layer3(9, true), 418);
    const ByteString xing = {'X', 'i', 'n', 'g', 0, 0, 0, 15, 0, 0, 0x27, 0x10};
    std::copy(xing.begin(), xing.end(), bytes.begin() + 36);
    EXPECT_EQ(read(bytes).bit_rate, 121);
    bytes[36 + 10] = 0;
    bytes[36 + 11] = 0;
    const FrameInfo none = read(bytes);
    EXPECT_EQ(none.frame_length, 418);
    EXPECT_EQ(none.bit_rate, 128);
}

TEST_F(FrameReader, FalseSyncInsideAnId3v2TagIsTakenAsTheFirstFrame)
{
    ByteString tag = valmuri::test::id3v2_tag(2000);
    const ByteString audio = frames(400000, mpeg1_layer3(10), 522); // 160 kbit/s
    ByteString bytes = tag;
    bytes.insert(bytes.end(), audio.begin(), audio.end());
    const FrameInfo real = read(bytes);
    EXPECT_EQ(real.bit_rate, 160); // the scan passes through the tag's text
    EXPECT_EQ(real.duration, bytes.size() * 8 / 160000);

    put_header(bytes, 137, mpeg1_layer3(5)); // 64 kbit/s inside the tag
    const FrameInfo false_sync = read(bytes);
    EXPECT_EQ(false_sync.status, kFrameRead);
    EXPECT_EQ(false_sync.bit_rate, 64);
    EXPECT_EQ(false_sync.frame_length, 208);
    EXPECT_EQ(false_sync.duration, bytes.size() * 8 / 64000);
}

TEST_F(FrameReader, AFrameRunningPastTheEndIsPassedOverAndTheScanGoesOn)
{
    ByteString bytes(300, 0);
    put_header(bytes, 0, mpeg1_layer3(9));   // 417 bytes would pass the end
    put_header(bytes, 100, mpeg1_layer3(1)); // 32 kbit/s: 104 bytes fit
    const FrameInfo info = read(bytes);
    EXPECT_EQ(info.status, kFrameRead);
    EXPECT_EQ(info.bit_rate, 32);
    EXPECT_EQ(info.frame_length, 104);
}

TEST_F(FrameReader, ValidHeaderInTheLastBytesEndsWithStatus2)
{
    for (std::size_t size : {6u, 7u, 104u, 4096u}) {
        SCOPED_TRACE(size);
        ByteString bytes(size, 0);
        put_header(bytes, size - 4, mpeg1_layer3(9));
        const FrameInfo info = read(bytes);
        EXPECT_EQ(info.status, kFrameNoValidFrame);
        EXPECT_EQ(info.file_size, size);
        EXPECT_EQ(info.bit_rate, 0);
        EXPECT_EQ(info.duration, 0);
    }
    ByteString short_tail(100, 0);
    put_header(short_tail, 90, mpeg1_layer3(9)); // six bytes after it, 417 needed
    EXPECT_EQ(read(short_tail).status, kFrameNoValidFrame);
}

TEST_F(FrameReader, MissingUnreadableTinyAndFrameLessFiles)
{
    EXPECT_EQ(TFileInfo(folder.path() / "gone.mp3").read().status, kFrameNoFile);
    EXPECT_EQ(TFileInfo(folder.path()).read().status, kFrameCannotOpen);
    const FrameInfo tiny = read({0xFF, 0xFB, 0x90, 0x00, 0x00});
    EXPECT_EQ(tiny.status, kFrameRead);
    EXPECT_EQ(tiny.file_size, 0u);
    EXPECT_EQ(tiny.bit_rate, 0);
    EXPECT_EQ(read(ByteString(50000, 0xFF)).status, kFrameNoValidFrame); // sync bits but bit-rate index 15
    EXPECT_EQ(read(ByteString(50000, 0x00)).status, kFrameNoValidFrame);
}

TEST_F(FrameReader, DurationOfAFileBeyond512MiBIsComputedIn64Bits)
{
    const auto path = folder.write("long.mp3", frames(4096, mpeg1_layer3(9), 417));
    ASSERT_EQ(::truncate(path.c_str(), 600ll << 20), 0); // sparse: only the head is stored
    const FrameInfo info = TFileInfo(path).read();
    EXPECT_EQ(info.file_size, 600u << 20);
    EXPECT_EQ(info.duration, 39321); // 629145600 × 8 ÷ 128000, not the 32-bit wrap 5767

    ASSERT_EQ(::truncate(path.c_str(), 1200ll << 20), 0);
    EXPECT_EQ(TFileInfo(path).read().duration, static_cast<std::uint16_t>(78643)); // the field keeps 16 bits
}

TEST(FrameHeader, VersionsLayersAndReservedValues)
{
    struct Case {
        std::uint32_t header;
        bool valid;
        int version, layer;
        std::uint32_t sample_rate;
        int bit_rate, frame_length;
    };
    const Case cases[] = {
        {0xFFFB9000, true, 1, 3, 44100, 128, 417},
        {0xFFFD9400, true, 1, 2, 48000, 160, 480},  // MPEG-1 Layer II, 160 kbit/s
        {0xFFFF9800, true, 1, 1, 32000, 288, 1296}, // MPEG-1 Layer I
        {0xFFF38000, true, 2, 3, 22050, 64, 417},   // 144000 for MPEG-2 too
        {0xFFF38200, true, 2, 3, 22050, 64, 418},   // with padding
        {0xFFE31800, true, 3, 3, 8000, 8, 144},     // MPEG-2.5
        {0xFFE34400, true, 3, 3, 12000, 32, 384},
        {0xFFEB9000, false, 0, 0, 0, 0, 0},         // reserved version
        {0xFFF99000, false, 1, 0, 44100, 0, 0},     // reserved layer
        {0xFFFBF000, false, 1, 3, 44100, 0, 0},     // bit-rate index 15
        {0xFFFB0000, false, 1, 3, 44100, 0, 0},     // free format
        {0xFFFB9C00, false, 1, 3, 0, 128, 0},       // reserved sample rate
        {0xFFDB9000, false, 0, 0, 0, 0, 0},         // one sync bit short
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.header);
        FrameInfo info;
        info.file_size = 1000000;
        EXPECT_EQ(decode_frame_header(c.header, info), c.valid);
        EXPECT_EQ(info.version, c.version);
        EXPECT_EQ(info.layer, c.layer);
        EXPECT_EQ(info.sample_rate, c.sample_rate);
        EXPECT_EQ(info.bit_rate, c.bit_rate);
        EXPECT_EQ(info.frame_length, c.frame_length);
    }
}

TEST(DurationText, MinutesAndSecondsWithoutWholeHours)
{
    EXPECT_EQ(duration_mm_ss(0), "00:00");
    EXPECT_EQ(duration_mm_ss(59), "00:59");
    EXPECT_EQ(duration_mm_ss(250), "04:10");
    EXPECT_EQ(duration_mm_ss(3599), "59:59");
    EXPECT_EQ(duration_mm_ss(3600), "00:00");
    EXPECT_EQ(duration_mm_ss(3725), "02:05");
    EXPECT_EQ(duration_mm_ss(65535), "12:15");
}

// Files encoded by lame, checked against the rule computed from their own
// first header and VBR header.
class LameFiles : public FrameReader {
protected:
    void SetUp() override
    {
        if (!valmuri::test::have_lame())
            GTEST_SKIP() << "lame is not installed (scripts/deps installs it)";
    }
    static std::uint32_t be32_at(const ByteString& bytes, std::size_t at)
    {
        return (std::uint32_t(bytes[at]) << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
    }
};

TEST_F(LameFiles, ConstantBitRateMpeg1)
{
    const auto mp3 = valmuri::test::lame_mp3(folder, "cbr", "-b 128 --noreplaygain");
    ASSERT_FALSE(mp3.empty());
    const ByteString bytes = valmuri::test::read_bytes(mp3);
    const FrameInfo info = TFileInfo(mp3).read();
    EXPECT_EQ(info.status, kFrameRead);
    EXPECT_EQ(info.version, 1);
    EXPECT_EQ(info.layer, 3);
    EXPECT_EQ(info.sample_rate, 44100u);
    EXPECT_EQ(info.bit_rate, 128);
    EXPECT_EQ(info.frame_length, 417 + ((bytes[2] >> 1) & 1));
    EXPECT_EQ(info.duration, bytes.size() * 8 / 128000); // lame's "Info" header is not "Xing"
    EXPECT_NEAR(info.duration, 6, 1);
}

TEST_F(LameFiles, VariableBitRateMpeg1ReadsTheXingHeader)
{
    const auto mp3 = valmuri::test::lame_mp3(folder, "vbr", "-V 2 --noreplaygain");
    ASSERT_FALSE(mp3.empty());
    const ByteString bytes = valmuri::test::read_bytes(mp3);
    ASSERT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "Xing");
    ASSERT_EQ(bytes[36 + 7], 15);
    const std::uint32_t frame_count = be32_at(bytes, 36 + 8);
    const FrameInfo info = TFileInfo(mp3).read();
    const int frame_length = static_cast<int>(bytes.size() / frame_count);
    const int bit_rate = frame_length * 44100 / 144000 - info.padding;
    EXPECT_EQ(info.frame_length, frame_length);
    EXPECT_EQ(info.bit_rate, bit_rate);
    EXPECT_EQ(info.duration, bytes.size() * 8 / (bit_rate * 1000));
    EXPECT_NEAR(info.duration, 6, 1);
}

TEST_F(LameFiles, MonoVbrKeepsItsXingHeaderAt21SoTheFirstFrameDecides)
{
    const auto mp3 = valmuri::test::lame_mp3(folder, "mono", "-V 4 -m m --noreplaygain", 6, 44100, 1);
    ASSERT_FALSE(mp3.empty());
    const ByteString bytes = valmuri::test::read_bytes(mp3);
    FrameInfo first;
    first.file_size = static_cast<std::uint32_t>(bytes.size());
    ASSERT_TRUE(decode_frame_header(be32_at(bytes, 0), first));
    const FrameInfo info = TFileInfo(mp3).read();
    EXPECT_EQ(info.bit_rate, first.bit_rate);
    EXPECT_EQ(info.frame_length, first.frame_length);
    EXPECT_EQ(info.duration, first.duration);
    EXPECT_EQ(info.channel_mode, 3);
}

TEST_F(LameFiles, Mpeg2AndMpeg25UseTheFactor144000)
{
    struct Case {
        const char* options;
        unsigned rate;
        int version;
        std::uint32_t sample_rate;
        int bit_rate;
    };
    for (const Case& c : {Case{"--resample 22.05 -b 64", 22050, 2, 22050, 64},
             Case{"--resample 11.025 -b 32", 11025, 3, 11025, 32}}) {
        SCOPED_TRACE(c.options);
        const auto mp3 = valmuri::test::lame_mp3(folder, "low" + std::to_string(c.rate), std::string(c.options) + " --noreplaygain");
        ASSERT_FALSE(mp3.empty());
        const ByteString bytes = valmuri::test::read_bytes(mp3);
        const FrameInfo info = TFileInfo(mp3).read();
        EXPECT_EQ(info.version, c.version);
        EXPECT_EQ(info.layer, 3);
        EXPECT_EQ(info.sample_rate, c.sample_rate);
        EXPECT_EQ(info.bit_rate, c.bit_rate);
        EXPECT_EQ(info.frame_length, c.bit_rate * 144000 / static_cast<int>(c.sample_rate) + info.padding);
        EXPECT_EQ(info.duration, bytes.size() * 8 / (c.bit_rate * 1000));
    }
}

} // namespace
