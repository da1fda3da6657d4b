#include "engine/burner.h"
#include "platform/endian.h"

#include <gtest/gtest.h>

#include <string>

namespace valmuri {
namespace {

std::string text_at(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t length)
{
    return std::string(reinterpret_cast<const char*>(bytes.data() + offset), length);
}

class VolumeDescriptorTest : public ::testing::Test {
protected:
    VolumeDescriptorTest()
    {
        burner.SetNow([] { return encode_date_time({2026, 12, 8, 17, 30, 15, 250}); });
        burner.SetIdVolume("Minhas Músicas");
        burner.SetIdSystem("linux");
        burner.SetIdPublisher("Valmuri");
        burner.SetFileCopyright("copy.txt");
        burner.SetDateCreation(encode_date_time({2025, 1, 2, 3, 4, 5, 7}));
        burner.SetDateModification(encode_date_time({2025, 6, 7, 8, 9, 10, 999}));
        burner.BuildLayout(true);
        burner.BuildImageHeader();
    }

    const std::vector<std::uint8_t>& header() { return burner.HeaderStream(); }

    TVordaCDBurner burner;
};

TEST_F(VolumeDescriptorTest, PrimaryDescriptorFields)
{
    const std::size_t p = 16 * 2048;
    EXPECT_EQ(header()[p], 1);
    EXPECT_EQ(text_at(header(), p + 1, 5), "CD001");
    EXPECT_EQ(header()[p + 6], 1);
    EXPECT_EQ(text_at(header(), p + 8, 32), "LINUX" + std::string(27, ' '));
    // Only a to z are upper-cased; the accented letter stays as it is.
    EXPECT_EQ(text_at(header(), p + 40, 32), "MINHAS MúSICAS" + std::string(17, ' '));
    EXPECT_EQ(get_le32(header().data() + p + 80), 150u);
    EXPECT_EQ(get_be32(header().data() + p + 84), 150u);
    // Bytes 88 to 90 stay zero in the primary descriptor, Joliet or not.
    EXPECT_EQ(header()[p + 88], 0);
    EXPECT_EQ(header()[p + 89], 0);
    EXPECT_EQ(header()[p + 90], 0);
    EXPECT_EQ(get_le16(header().data() + p + 120), 1);
    EXPECT_EQ(get_be16(header().data() + p + 126), 1);
    EXPECT_EQ(get_le16(header().data() + p + 128), 2048);
    EXPECT_EQ(get_le32(header().data() + p + 132), 10u);
    EXPECT_EQ(get_le32(header().data() + p + 140), 19u);
    EXPECT_EQ(get_be32(header().data() + p + 148), 20u);
    EXPECT_EQ(header()[p + 156], 34);
    EXPECT_EQ(get_le32(header().data() + p + 158), 23u);
    EXPECT_EQ(get_le32(header().data() + p + 166), 2048u);
    EXPECT_EQ(header()[p + 181], 2);
    EXPECT_EQ(header()[p + 188], 1);
    EXPECT_EQ(text_at(header(), p + 318, 7), "VALMURI");
    EXPECT_EQ(text_at(header(), p + 702, 37), "COPY.TXT" + std::string(29, ' '));
    EXPECT_EQ(text_at(header(), p + 813, 16), "2026120817301525");
    EXPECT_EQ(header()[p + 829], 0);
    EXPECT_EQ(text_at(header(), p + 830, 16), "2026120817301525");
    EXPECT_EQ(text_at(header(), p + 847, 17), std::string("0000000000000000\0", 17));
    EXPECT_EQ(text_at(header(), p + 864, 17), std::string("0000000000000000\0", 17));
    EXPECT_EQ(header()[p + 881], 1);
    EXPECT_EQ(text_at(header(), p + 1024, 8), "        ");
}

TEST_F(VolumeDescriptorTest, JolietDescriptorFields)
{
    const std::size_t s = 17 * 2048;
    EXPECT_EQ(header()[s], 2);
    EXPECT_EQ(header()[s + 88], 0x25);
    EXPECT_EQ(header()[s + 89], 0x2F);
    EXPECT_EQ(header()[s + 90], 0x40);
    EXPECT_EQ(text_at(header(), s + 40, 32),
              std::string("\0M\0i\0n\0h\0a\0s\0 \0M\0\xFA\0s\0i\0c\0a\0s\0 \0 ", 32));
    EXPECT_EQ(text_at(header(), s + 8, 10), std::string("\0l\0i\0n\0u\0x", 10));
    // File identifiers: 18 UCS-2 characters and a zero byte.
    EXPECT_EQ(text_at(header(), s + 702, 4), std::string("\0c\0o", 4));
    EXPECT_EQ(text_at(header(), s + 734, 3), std::string("\0 \0", 3));
    EXPECT_EQ(text_at(header(), s + 813, 17), std::string("202501020304057 \0", 17));
    EXPECT_EQ(text_at(header(), s + 830, 17), std::string("2025060708091099\0", 17));
    EXPECT_EQ(get_le32(header().data() + s + 132), 10u);
    EXPECT_EQ(get_le32(header().data() + s + 140), 21u);
    EXPECT_EQ(get_be32(header().data() + s + 148), 22u);
    EXPECT_EQ(get_le32(header().data() + s + 158), 24u);
    EXPECT_EQ(text_at(header(), s + 1024, 8), "        ");
}

TEST_F(VolumeDescriptorTest, TerminatorAndDescriptorCopy)
{
    const std::size_t t = 18 * 2048;
    EXPECT_EQ(header()[t], 255);
    EXPECT_EQ(text_at(header(), t + 1, 5), "CD001");
    EXPECT_EQ(header()[t + 6], 1);

    const auto& copy = burner.DescriptorCopy();
    ASSERT_EQ(copy.size(), 65537u);
    EXPECT_TRUE(std::equal(copy.begin(), copy.begin() + 19 * 2048, header().begin()));
    EXPECT_TRUE(std::all_of(copy.begin() + 19 * 2048, copy.end(), [](std::uint8_t b) { return b == 0xFF; }));
}

TEST(DescriptorDateTest, MillisecondsAreWrittenUnpadded)
{
    EXPECT_EQ(descriptor_date_text(encode_date_time({2026, 1, 2, 3, 4, 5, 0})), "202601020304050 ");
    EXPECT_EQ(descriptor_date_text(encode_date_time({2026, 1, 2, 3, 4, 5, 42})), "2026010203040542");
    EXPECT_EQ(descriptor_date_text(encode_date_time({2026, 1, 2, 3, 4, 5, 999})), "2026010203040599");
    EXPECT_EQ(descriptor_date_text(0), "189912300000000 ");
}

TEST(DateTimeTest, DosDatesRoundTripAndInvalidOnesAreRefused)
{
    const std::uint32_t dos = (46u << 25) | (2u << 21) | (28u << 16) | (23u << 11) | (59u << 5) | 29u;
    const auto value = date_time_from_dos(dos);
    ASSERT_TRUE(value.has_value());
    const CivilTime t = decode_date_time(*value);
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.month, 2);
    EXPECT_EQ(t.day, 28);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.minute, 59);
    EXPECT_EQ(t.second, 58);
    EXPECT_EQ(dos_from_date_time(*value), dos);
    EXPECT_FALSE(date_time_from_dos(0).has_value());
    EXPECT_FALSE(date_time_from_dos((46u << 25) | (2u << 21) | (30u << 16)).has_value());
    EXPECT_EQ(dos_from_date_time(encode_date_time({1979, 12, 31, 0, 0, 0, 0})), 0u);
}

} // namespace
} // namespace valmuri
