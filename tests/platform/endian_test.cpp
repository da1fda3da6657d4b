#include "platform/endian.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace valmuri;

TEST(Endian, BothEndianFieldsCarryLittleThenBig)
{
    std::uint8_t b[8] = {};
    put_both32(b, 0x12345678);
    const std::uint8_t expected[8] = {0x78, 0x56, 0x34, 0x12, 0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(0, memcmp(b, expected, 8));
    EXPECT_EQ(get_le32(b), 0x12345678u);
    EXPECT_EQ(get_be32(b + 4), 0x12345678u);

    std::uint8_t h[4] = {};
    put_both16(h, 0x0102);
    EXPECT_EQ(h[0], 0x02);
    EXPECT_EQ(h[1], 0x01);
    EXPECT_EQ(h[2], 0x01);
    EXPECT_EQ(h[3], 0x02);
}

TEST(Endian, SixtyFourBitRoundTrip)
{
    std::uint8_t b[8];
    put_le64(b, 0x0102030405060708ull);
    EXPECT_EQ(b[0], 0x08);
    EXPECT_EQ(get_le64(b), 0x0102030405060708ull);
}
