// The recorder refuses what a strict drive, or the kernel below it, refuses:
// a data phase the CDB does not announce, a transfer of another length,
// reserved CDB bits, write parameters the medium cannot take, writes away
// from the next writable address and reads past the recorded data.

#include "recorder_fixture.h"

namespace valmuri::vrecorder::test {
namespace {

using StrictChecksTest = RecorderTest;

constexpr std::uint8_t data_overrun = 0x12;

TEST_F(StrictChecksTest, DataPhaseMustGoTheWayTheOpcodeMovesData)
{
    configure("[r]\nmedium=cd-r\ncapacity=1000\n");
    // A WRITE (10) of one block sent without the data-out bit moves nothing.
    std::vector<std::uint8_t> block(2048, 0x77);
    Reply no_direction = flagged({0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, SRB_EVENT_NOTIFY, block);
    EXPECT_EQ(no_direction.status, SS_ERR);
    EXPECT_EQ(no_direction.host_status, data_overrun);
    Reply read_bit = flagged({0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, SRB_EVENT_NOTIFY | SRB_DIR_IN, block);
    EXPECT_EQ(read_bit.host_status, data_overrun);
    EXPECT_EQ(free_blocks(track_information(1)), 1000u) << "nothing was recorded";

    // A data-in command without the data-in bit leaves the buffer alone.
    std::vector<std::uint8_t> answer(56, 0xEE);
    Reply no_in = flagged({0x51, 0, 0, 0, 0, 0, 0, 0, 56, 0}, SRB_EVENT_NOTIFY, answer);
    EXPECT_EQ(no_in.host_status, data_overrun);
    EXPECT_EQ(answer[0], 0xEE);

    // A command without data phase carries no buffer.
    std::vector<std::uint8_t> stray(16, 0);
    EXPECT_EQ(flagged({0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}, SRB_EVENT_NOTIFY | SRB_DIR_IN, stray).host_status,
              data_overrun);
    std::vector<std::uint8_t> empty;
    EXPECT_TRUE(flagged({0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}, SRB_EVENT_NOTIFY | SRB_DIR_IN, empty).good());
}

TEST_F(StrictChecksTest, TransferMustBeExactlyAsLongAsTheCdbSays)
{
    configure("[r]\nmedium=cd-r\n");
    std::vector<std::uint8_t> shorter(40, 0);
    EXPECT_EQ(in({0x51, 0, 0, 0, 0, 0, 0, 0, 56, 0}, shorter).host_status, data_overrun);
    std::vector<std::uint8_t> longer(300, 0);
    EXPECT_EQ(in({0x46, 2, 0, 0, 0, 0, 0, 0, 114, 0}, longer).host_status, data_overrun);
    // Both bytes of a length field count.
    std::vector<std::uint8_t> wide(0x0120, 0);
    EXPECT_TRUE(in({0x46, 2, 0, 0, 0, 0, 0, 0x01, 0x20, 0}, wide).good());
    std::vector<std::uint8_t> two_blocks(2 * 2048, 0);
    EXPECT_EQ(out({0x2A, 0, 0, 0, 0, 0, 0, 0, 3, 0}, two_blocks).host_status, data_overrun);
}

TEST_F(StrictChecksTest, ReservedCdbBitsAreAnInvalidField)
{
    configure("[r]\nmedium=cd-r\n");
    auto invalid_field = [](const Reply& reply) {
        return reply.key() == 0x5 && reply.asc() == 0x24 && reply.ascq() == 0x00;
    };
    EXPECT_TRUE(invalid_field(none({0x00, 0, 1, 0, 0, 0})));                     // TEST UNIT READY byte 2
    EXPECT_TRUE(invalid_field(none({0x00, 0, 0, 0, 0, 0x01})));                  // link bit of the control byte
    EXPECT_TRUE(invalid_field(none({0x35, 0x04, 0, 0, 0, 0, 0, 0, 0, 0})));      // SYNCHRONIZE CACHE byte 1 bit 2
    EXPECT_TRUE(invalid_field(none({0x5B, 0, 0x02, 0, 0, 0, 0x01, 0, 0, 0})));   // CLOSE byte 6
    EXPECT_TRUE(invalid_field(none({0xBB, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0x04}))); // NACA
    std::vector<std::uint8_t> configuration(8, 0);
    EXPECT_TRUE(invalid_field(in({0x46, 3, 0, 0, 0, 0, 0, 0, 8, 0}, configuration))); // request type 3
    std::vector<std::uint8_t> block(2048, 0);
    EXPECT_TRUE(invalid_field(out({0x2A, 0, 0, 0, 0, 0, 0x01, 0, 1, 0}, block)));  // WRITE byte 6
    EXPECT_TRUE(invalid_field(none({0x53, 0, 0x01, 0, 0, 0, 0, 0, 0x10, 0, 0, 0}))); // RESERVE TRACK by size
    // The vendor bits of READ TOC's control byte are taken.
    std::vector<std::uint8_t> atip(26, 0);
    EXPECT_TRUE(in({0x43, 0x02, 0x04, 0, 0, 0, 0, 0, 26, 0x40}, atip).good());
    EXPECT_TRUE(invalid_field(in({0x43, 0x02, 0x04, 0, 0, 0, 0, 0, 26, 0x01}, atip)));
}

TEST_F(StrictChecksTest, WriteParametersTheMediumCannotTakeAreRefused)
{
    configure("[cd]\nmedium=cd-r\n[dvdr]\nmedium=dvd-r\n[plus]\nmedium=dvd+rw\n");
    auto page_list = [](std::uint8_t byte2, std::uint8_t byte3, std::uint8_t block_type, std::uint32_t packet) {
        std::vector<std::uint8_t> list(60, 0);
        list[8] = 0x05;
        list[9] = 0x32;
        list[10] = byte2;
        list[11] = byte3;
        list[12] = block_type;
        put_be32(&list[18], packet);
        return list;
    };
    auto parameter_value_invalid = [](const Reply& reply) { return reply.key() == 0x5 && reply.asc() == 0x26; };
    const std::vector<std::uint8_t> mode_select{0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0};
    // CD: mode 1 data needs a data track mode; track at once with data is fine.
    EXPECT_TRUE(parameter_value_invalid(out(mode_select, page_list(0x01, 0x00, 8, 0), 0)));
    EXPECT_TRUE(out(mode_select, page_list(0x01, 0x04, 8, 0), 0).good());
    // DVD-R: no track at once; fixed packets are one ECC block.
    EXPECT_TRUE(parameter_value_invalid(out(mode_select, page_list(0x01, 0x04, 8, 0), 1)));
    EXPECT_TRUE(parameter_value_invalid(out(mode_select, page_list(0x60, 0xE5, 8, 32), 1)));
    EXPECT_TRUE(parameter_value_invalid(out(mode_select, page_list(0x60, 0xE5, 10, 16), 1)));
    EXPECT_TRUE(out(mode_select, page_list(0x60, 0xE5, 8, 16), 1).good());
    // DVD+RW: no simulated writing.
    EXPECT_TRUE(parameter_value_invalid(out(mode_select, page_list(0x32, 0xC4, 8, 16), 2)));
    EXPECT_TRUE(out(mode_select, page_list(0x22, 0xC4, 8, 16), 2).good());
}

TEST_F(StrictChecksTest, SequentialMediaTakeWritesOnlyAtTheNextWritableAddress)
{
    configure("[cd]\nmedium=cd-rw\n[dvdr]\nmedium=dvd-r\n[plus]\nmedium=dvd+r\n[rw]\nmedium=dvd-rw\n");
    for (std::uint8_t target = 0; target < 4; ++target) {
        SCOPED_TRACE(int{target});
        ASSERT_TRUE(write(0, 32, 0x11, target).good());
        Reply again = write(0, 32, 0x11, target);
        EXPECT_EQ(again.asc(), 0x21);
        EXPECT_EQ(again.ascq(), 0x02);
        EXPECT_EQ(write(64, 32, 0x11, target).ascq(), 0x02);
        EXPECT_TRUE(write(32, 32, 0x11, target).good());
        // Reading stops at the last recorded sector.
        std::vector<std::uint8_t> data;
        EXPECT_TRUE(read(63, 1, data, target).good());
        Reply past = read(64, 1, data, target);
        EXPECT_EQ(past.key(), 0x5);
        EXPECT_EQ(past.asc(), 0x21);
        EXPECT_EQ(past.ascq(), 0x00);
    }
}

} // namespace
} // namespace valmuri::vrecorder::test
