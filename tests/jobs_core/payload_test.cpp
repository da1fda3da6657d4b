// The payload behind the 24-byte footer of the player program.

#include "jobs/core/payload.h"
#include "mp3_fixture.h"
#include "platform/endian.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using namespace valmuri::jobs;
using valmuri::test::read_bytes;
using valmuri::test::ScratchFolder;

class Payload : public ::testing::Test {
protected:
    ScratchFolder folder;
    const std::string program = std::string(5000, 'M') + "end of program";
    std::filesystem::path path = folder.write("orvik.exe", program);
    std::string error;
};

TEST_F(Payload, FooterFollowsTheDataWithSignatureOffsetAndLength)
{
    ASSERT_TRUE(TPayload(path).write_payload("Play\r\nStop\r\n", error)) << error;
    const auto bytes = read_bytes(path);
    ASSERT_EQ(bytes.size(), program.size() + 12 + 24);
    EXPECT_EQ(std::string(bytes.begin() + program.size(), bytes.begin() + program.size() + 12), "Play\r\nStop\r\n");
    const std::uint8_t* footer = bytes.data() + bytes.size() - 24;
    EXPECT_EQ(std::memcmp(footer, kPayloadSignature, 16), 0);
    EXPECT_EQ(footer[0], 0x05);
    EXPECT_EQ(footer[15], 0xEB);
    EXPECT_EQ(valmuri::get_le32(footer + 16), program.size());
    EXPECT_EQ(valmuri::get_le32(footer + 20), 12u);
    EXPECT_EQ(TPayload(path).read_payload_length(), 12u);
}

TEST_F(Payload, WrittenTwiceCarriesExactlyOneFooter)
{
    ASSERT_TRUE(TPayload(path).write_payload("first texts\r\n", error));
    ASSERT_TRUE(TPayload(path).write_payload("second\r\n", error));
    const auto bytes = read_bytes(path);
    EXPECT_EQ(bytes.size(), program.size() + 8 + 24);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + program.size()), program);
    EXPECT_EQ(std::search(bytes.begin(), bytes.end(), std::begin(kPayloadSignature), std::end(kPayloadSignature)),
        bytes.end() - 24);

    // Empty data removes the payload and adds nothing.
    ASSERT_TRUE(TPayload(path).write_payload("", error));
    EXPECT_EQ(valmuri::test::read_text(path), program);
    EXPECT_EQ(TPayload(path).read_payload_length(), 0u);
}

TEST_F(Payload, DamagedFooterLeavesTheFileAlone)
{
    ASSERT_TRUE(TPayload(path).write_payload("texts\r\n", error));
    auto bytes = read_bytes(path);
    for (const auto& [field, value] : {std::pair{20, 900000u}, std::pair{20, 100u}, std::pair{16, 7u}}) {
        SCOPED_TRACE(field);
        auto damaged = bytes;
        valmuri::put_le32(damaged.data() + damaged.size() - 24 + field, value);
        folder.write("orvik.exe", damaged);
        EXPECT_EQ(TPayload(path).remove_payload(error), PayloadRemoval::FooterDisagrees);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(read_bytes(path), damaged);
    }
}

TEST_F(Payload, ShortAndFooterlessFiles)
{
    const auto tiny = folder.write("tiny.exe", std::string(24, 'x'));
    EXPECT_EQ(TPayload(tiny).read_payload_length(), 0u);
    EXPECT_EQ(TPayload(tiny).remove_payload(error), PayloadRemoval::NoPayload);
    EXPECT_EQ(TPayload(path).remove_payload(error), PayloadRemoval::NoPayload);
    EXPECT_EQ(valmuri::test::read_text(path), program);
    EXPECT_FALSE(TPayload(folder.path() / "gone.exe").write_payload("x", error));
    EXPECT_FALSE(error.empty());
}

} // namespace
