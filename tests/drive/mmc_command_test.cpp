#include "drive/command_shape.h"
#include "drive/mmc_command.h"
#include "platform/endian.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace valmuri {
namespace {

struct Expected {
    const char* name;
    MmcCommand command;
    std::vector<std::uint8_t> cdb; // the CDB bytes that matter; the rest must be 0
    std::uint8_t cdb_length;
    std::uint8_t flags;
    std::uint32_t transfer_length;
    std::uint32_t timeout_ms;
};

void expect_command(const Expected& e)
{
    SCOPED_TRACE(e.name);
    std::array<std::uint8_t, 16> cdb{};
    std::copy(e.cdb.begin(), e.cdb.end(), cdb.begin());
    EXPECT_EQ(e.command.cdb, cdb);
    EXPECT_EQ(e.command.cdb_length, e.cdb_length);
    EXPECT_EQ(e.command.flags, e.flags);
    EXPECT_EQ(e.command.transfer_length, e.transfer_length);
    EXPECT_EQ(e.command.timeout_ms, e.timeout_ms);
}

// The flags and the transfer length of a built command are those its CDB
// announces: the direction of the opcode's data phase, the CDB's length field.
void expect_shape(const char* name, const MmcCommand& command)
{
    SCOPED_TRACE(name);
    const CommandShape* shape = command_shape(command.cdb[0]);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(command.cdb_length, shape->cdb_length);
    EXPECT_EQ(command.flags, request_flags(shape->phase));
    if (shape->source != LengthSource::ParameterList) {
        EXPECT_EQ(command.transfer_length, cdb_transfer_length(*shape, command.cdb.data()));
    }
    EXPECT_EQ(command.transfer_length == 0, shape->phase == DataPhase::None);
}

TEST(MmcCommand, EveryCommandHasItsExactBlock)
{
    const Expected table[] = {
        {"TEST UNIT READY", mmc::test_unit_ready(5000), {0x00}, 6, 0x40, 0, 5000},
        {"REZERO UNIT", mmc::rezero_unit(), {0x01}, 6, 0x40, 0, 10000},
        {"REQUEST SENSE", mmc::request_sense(40), {0x03, 0, 0, 0, 40}, 6, 0x48, 40, 10000},
        {"FORMAT UNIT", mmc::format_unit(0x11, 12), {0x04, 0x11}, 6, 0x50, 12, 10000},
        {"INQUIRY", mmc::inquiry(), {0x12, 0, 0, 0, 0x80}, 6, 0x48, 128, 10000},
        {"START STOP eject", mmc::start_stop_unit(true), {0x1B, 0, 0, 0, 2}, 6, 0x40, 0, 20000},
        {"START STOP load", mmc::start_stop_unit(false), {0x1B, 0, 0, 0, 3}, 6, 0x40, 0, 20000},
        {"ALLOW REMOVAL", mmc::prevent_allow_medium_removal(true), {0x1E, 0, 0, 0, 0}, 6, 0x40, 0, 10000},
        {"PREVENT REMOVAL", mmc::prevent_allow_medium_removal(false), {0x1E, 0, 0, 0, 1}, 6, 0x40, 0, 10000},
        {"READ FORMAT CAPACITIES", mmc::read_format_capacities(), {0x23, 0, 0, 0, 0, 0, 0, 0, 0xF8}, 10, 0x48, 248,
            10000},
        {"READ (10)", mmc::read10(0x01020304, 0x0506), {0x28, 0, 1, 2, 3, 4, 0, 5, 6}, 10, 0x48, 0x0506 * 2048,
            10000},
        {"WRITE (10)", mmc::write10(0xA0B0C0D0, 32), {0x2A, 0, 0xA0, 0xB0, 0xC0, 0xD0, 0, 0, 32}, 10,
            0x50, 65536, 120000},
        {"SYNCHRONIZE CACHE immediate", mmc::synchronize_cache(300000, true), {0x35, 2}, 10, 0x40, 0, 300000},
        {"SYNCHRONIZE CACHE", mmc::synchronize_cache(30000, false), {0x35, 0}, 10, 0x40, 0, 30000},
        {"READ TOC ATIP", mmc::read_toc(4, 0, true, 0, 26), {0x43, 2, 4, 0, 0, 0, 0, 0, 26, 0}, 10, 0x48, 26, 10000},
        {"READ TOC session", mmc::read_toc(1, 3, false, 0x40, 12), {0x43, 0, 1, 0, 0, 0, 3, 0, 12, 0x40}, 10, 0x48,
            12, 10000},
        {"GET CONFIGURATION", mmc::get_configuration(2, 0x12F, 114), {0x46, 2, 0x01, 0x2F, 0, 0, 0, 0, 114}, 10,
            0x48, 114, 30000},
        {"READ DISC INFORMATION", mmc::read_disc_information(56), {0x51, 0, 0, 0, 0, 0, 0, 0, 56}, 10, 0x48, 56,
            10000},
        {"READ TRACK INFORMATION", mmc::read_track_information(0x1FF), {0x52, 1, 0, 0, 0x01, 0xFF, 0, 0, 40}, 10,
            0x48, 40, 60000},
        {"RESERVE TRACK", mmc::reserve_track(0x00112233), {0x53, 0, 0, 0, 0, 0x00, 0x11, 0x22, 0x33}, 12, 0x40, 0,
            10000},
        {"SEND OPC INFORMATION", mmc::send_opc_information(), {0x54, 1}, 10, 0x40, 0, 150000},
        {"MODE SELECT (10)", mmc::mode_select10(60), {0x55, 0x10, 0, 0, 0, 0, 0, 0, 60}, 10, 0x50, 60, 10000},
        {"MODE SENSE (10) defaults", mmc::mode_sense10(0x2A, true, 255), {0x5A, 0, 0xAA, 0, 0, 0, 0, 0, 255}, 10,
            0x48, 255, 20000},
        {"MODE SENSE (10) current", mmc::mode_sense10(0x05, false, 512), {0x5A, 0, 0x05, 0, 0, 0, 0, 2, 0}, 10, 0x48,
            512, 20000},
        {"CLOSE TRACK", mmc::close_track_session(true, true), {0x5B, 1, 1, 0, 0, 0xFF}, 10, 0x40, 0, 180000},
        {"CLOSE SESSION", mmc::close_track_session(false, false), {0x5B, 0, 2}, 10, 0x40, 0, 180000},
        {"CLOSE raw", mmc::close_track_session_raw(false, 3, 0), {0x5B, 0, 3}, 10, 0x40, 0, 180000},
        {"CLOSE raw track", mmc::close_track_session_raw(true, 1, 7), {0x5B, 1, 1, 0, 0, 7}, 10, 0x40, 0, 180000},
        {"READ BUFFER CAPACITY", mmc::read_buffer_capacity(), {0x5C, 0, 0, 0, 0, 0, 0, 0, 0x20}, 10, 0x48, 32,
            10000},
        {"BLANK full", mmc::blank(0), {0xA1, 0x10}, 12, 0x40, 0, 4800000},
        {"BLANK quick", mmc::blank(1), {0xA1, 0x11}, 12, 0x40, 0, 4800000},
        {"SET STREAMING", mmc::set_streaming(28), {0xB6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 28}, 12, 0x50, 28, 10000},
        {"SET CD SPEED", mmc::set_cd_speed(0x1234, 706), {0xBB, 0, 0x12, 0x34, 0x02, 0xC2}, 12, 0x40, 0, 10000},
        {"SET CD SPEED fastest", mmc::set_cd_speed(0, 0), {0xBB, 0, 0xFF, 0xFF, 0xFF, 0xFF}, 12, 0x40, 0, 10000},
        {"SEND DVD STRUCTURE", mmc::send_dvd_structure(0x05, 0x0104), {0xBF, 0, 0, 0, 0, 0, 0, 0x05, 0x01, 0x04}, 12,
            0x50, 0x104, 10000},
        {"SEND TIMESTAMP", mmc::send_timestamp(), {0xBF, 0, 0, 0, 0, 0, 0, 0x0F, 0, 22}, 12, 0x50, 22, 10000},
    };
    for (const auto& e : table) {
        expect_command(e);
        expect_shape(e.name, e.command);
    }
}

TEST(MmcCommand, LengthFieldsKeepEveryByteOfTheirWidth)
{
    // Lengths above 255 and track numbers above 255 reach the drive whole.
    const MmcCommand configuration = mmc::get_configuration(1, 0x0107, 0x0234);
    EXPECT_EQ(get_be16(&configuration.cdb[2]), 0x0107);
    EXPECT_EQ(get_be16(&configuration.cdb[7]), 0x0234);
    EXPECT_EQ(configuration.transfer_length, 0x0234u);

    const MmcCommand disc = mmc::read_disc_information(0x0120);
    EXPECT_EQ(get_be16(&disc.cdb[7]), 0x0120);
    EXPECT_EQ(disc.transfer_length, 0x0120u);

    const MmcCommand select = mmc::mode_select10(300);
    EXPECT_EQ(get_be16(&select.cdb[7]), 300);
    EXPECT_EQ(select.transfer_length, 300u);

    const MmcCommand track = mmc::read_track_information(0x00010203);
    EXPECT_EQ(get_be32(&track.cdb[2]), 0x00010203u);

    const MmcCommand toc = mmc::read_toc(0, 1, false, 0, 200);
    EXPECT_EQ(get_be16(&toc.cdb[7]), 200);
    EXPECT_EQ(toc.transfer_length, 200u);
}

TEST(MmcCommand, ShapesReadTheirLengthFromTheRightField)
{
    std::uint8_t cdb[16] = {};
    cdb[3] = 0x01;
    cdb[4] = 0x12;
    cdb[7] = 0x01;
    cdb[8] = 0x02;
    cdb[9] = 0x03;
    cdb[10] = 0x04;
    EXPECT_EQ(cdb_transfer_length(*command_shape(0x03), cdb), 0x12u);        // REQUEST SENSE: byte 4
    EXPECT_EQ(cdb_transfer_length(*command_shape(0x12), cdb), 0x0112u);      // INQUIRY: bytes 3-4
    EXPECT_EQ(cdb_transfer_length(*command_shape(0x5A), cdb), 0x0102u);      // MODE SENSE: bytes 7-8
    EXPECT_EQ(cdb_transfer_length(*command_shape(0x2A), cdb), 0x0102u * 2048); // WRITE: blocks 7-8
    EXPECT_EQ(cdb_transfer_length(*command_shape(0xBF), cdb), 0x0203u);      // SEND DVD STRUCTURE: 8-9
    EXPECT_EQ(cdb_transfer_length(*command_shape(0xB6), cdb), 0x0304u);      // SET STREAMING: 9-10
    EXPECT_EQ(cdb_transfer_length(*command_shape(0x35), cdb), 0u);           // SYNCHRONIZE CACHE: none
    EXPECT_EQ(command_shape(0xA8), nullptr);                                 // READ (12) is never sent

    const std::uint8_t list[12] = {0x00, 0x82, 0x00, 0x08};
    EXPECT_EQ(parameter_list_length(list), 12u);
}

TEST(MmcCommand, FillRequestZeroesTheBlockAndStoresTheBuffer)
{
    SRB_ExecSCSICmd request;
    std::memset(&request, 0xAB, sizeof request);
    std::uint8_t buffer[56];
    fill_request(request, mmc::read_disc_information(56), buffer);

    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&request);
    EXPECT_EQ(request.SRB_Flags, 0x48);
    EXPECT_EQ(request.SRB_CDBLen, 10);
    // Packed fields are read through the byte helpers, never by reference.
    const auto address = reinterpret_cast<std::uintptr_t>(buffer);
    EXPECT_EQ(get_le32(bytes + 12), 56u);
    EXPECT_EQ(get_le64(bytes + 28), address);
    EXPECT_EQ(get_le32(bytes + 16), static_cast<std::uint32_t>(address));
    EXPECT_EQ(request.CDBByte[0], 0x51);
    EXPECT_EQ(request.CDBByte[8], 56);
    // Everything the command does not name stays zero, down to the sense area.
    for (std::size_t i = 0; i < sizeof request; ++i) {
        const bool named = i == 3 || (i >= 12 && i < 20) || i == 21 || (i >= 28 && i < 36) || i == 48 || i == 56;
        if (!named) {
            EXPECT_EQ(bytes[i], 0) << "byte " << i;
        }
    }
}

TEST(MmcCommand, TimestampIsTheLocalTimeAsFourteenDigits)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = 7;
    t.tm_min = 5;
    t.tm_sec = 9;
    const auto data = timestamp_structure(t);
    EXPECT_EQ(data[0], 0x00);
    EXPECT_EQ(data[1], 0x14);
    for (int i = 2; i < 8; ++i)
        EXPECT_EQ(data[i], 0);
    EXPECT_EQ(std::string(data.begin() + 8, data.end()), "20261208070509");
}

} // namespace
} // namespace valmuri
