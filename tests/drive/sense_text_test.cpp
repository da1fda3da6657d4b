#include "drive/command_failure.h"
#include "drive/command_names.h"
#include "drive/failure_log.h"
#include "drive/mmc_command.h"
#include "drive/sense_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace valmuri {
namespace {

SenseData sense(std::initializer_list<std::pair<int, std::uint8_t>> bytes)
{
    SenseData s;
    for (auto [at, value] : bytes)
        s.bytes[at] = value;
    return s;
}

std::string check_condition(const SenseData& s)
{
    return describe_failure(SS_ERR, 0, 2, s).text;
}

TEST(SenseText, EmptySenseAreaGivesEmptyText)
{
    EXPECT_EQ(describe_failure(SS_ERR, 0, 0, SenseData{}).text, "");
}

TEST(SenseText, KeyTextWithTheAdditionalSensePair)
{
    EXPECT_EQ(check_condition(sense({{0, 0x70}, {2, 0x03}, {7, 10}, {12, 0x0C}, {13, 0x00}})),
        "MEDIUM ERROR (WRITE ERROR)");
    EXPECT_EQ(check_condition(sense({{0, 0x70}, {2, 0x02}, {7, 10}, {12, 0x3A}, {13, 0x01}})),
        "NOT READY (MEDIUM NOT PRESENT - TRAY CLOSED)");
    EXPECT_EQ(check_condition(sense({{0, 0x70}, {2, 0x05}, {7, 10}, {12, 0x5D}, {13, 0xFF}})),
        "ILLEGAL REQUEST (FAILURE PREDICTION THRESHOLD EXCEEDED (FALSE))");
}

TEST(SenseText, UnknownPairReadsAsDecimalNumbers)
{
    EXPECT_EQ(check_condition(sense({{0, 0x70}, {2, 0x05}, {7, 10}, {12, 0x24}, {13, 0x05}})),
        "ILLEGAL REQUEST (36,5)");
}

TEST(SenseText, PairIsLeftOutWithoutAdditionalLength)
{
    EXPECT_EQ(check_condition(sense({{0, 0x70}, {2, 0x03}, {12, 0x0C}})), "MEDIUM ERROR");
}

TEST(SenseText, ResponseCodes)
{
    EXPECT_EQ(check_condition(sense({{0, 0x71}, {2, 0x06}})), "UNIT ATTENTION");
    EXPECT_EQ(check_condition(sense({{0, 0xF0}, {2, 0x06}})), "UNIT ATTENTION"); // VALID bit set
    EXPECT_EQ(check_condition(sense({{0, 0x72}, {2, 0x06}})), "UNKNOWN");
}

TEST(SenseText, NoSenseKeyLooksAtTheFlags)
{
    EXPECT_EQ(check_condition(sense({{0, 0x70}, {2, 0x80}})), "FILEMARK");
    EXPECT_EQ(check_condition(sense({{0, 0x70}, {2, 0x40}})), "END OF MEDIA");
    EXPECT_EQ(check_condition(sense({{0, 0x70}, {2, 0x20}})), "ILLEGAL LENGTH");
    EXPECT_EQ(check_condition(sense({{0, 0x70}, {2, 0x00}})), "NO ADDITIONAL SENSE INFORMATION");
    EXPECT_EQ(check_condition(sense({{0, 0x70}, {2, 0x09}})), "CHECK CONDITION");
    EXPECT_EQ(check_condition(sense({{0, 0x70}, {2, 0x0A}})), "COPYABORTED");
}

TEST(SenseText, RequestAndHostStatuses)
{
    const SenseData none;
    EXPECT_EQ(describe_failure(0x02, 0, 0, none).text, "OPERATION ABORTED BY USER");
    EXPECT_EQ(describe_failure(0x82, 0, 0, none).text, "NO DEVICE");
    EXPECT_EQ(describe_failure(0xE6, 0, 0, none).text, "BUFFER TOO BIG");
    EXPECT_EQ(describe_failure(0xE2, 0, 0, none).text, "UNKNOWN");
    EXPECT_EQ(describe_failure(SS_ERR, 0x09, 0, none).text, "COMMAND TIMEOUT");
    EXPECT_EQ(describe_failure(SS_ERR, 0x11, 0, none).text, "SELECTION TIMEOUT");
    EXPECT_EQ(describe_failure(SS_ERR, 0x42, 0, none).text, "UNKNOWN");
    EXPECT_EQ(describe_failure(SS_ERR, 0, 0x18, none).text, "TARGET RESERVATION CONFLICT");

    const auto busy = describe_failure(SS_ERR, 0, 0x08, none);
    EXPECT_EQ(busy.text, "TARGET BUSY");
    EXPECT_TRUE(busy.target_busy);
    EXPECT_FALSE(describe_failure(SS_ERR, 0, 0x28, none).target_busy);
}

TEST(SenseText, AdditionalSenseTableEdges)
{
    EXPECT_EQ(additional_sense_text(0x00, 0x00), "NO ADDITIONAL SENSE INFORMATION");
    EXPECT_EQ(additional_sense_text(0x73, 0x06), "RMA/PMA IS ALMOST FULL");
    EXPECT_EQ(additional_sense_text(0x3B, 0x0D), "MEDIUM DESTINATION ELEMENT FULL");
    EXPECT_EQ(additional_sense_text(0x3B, 0x00), "59,0");
    EXPECT_EQ(additional_sense_text(0xFF, 0xFF), "255,255");
}

TEST(CommandNames, NamedAndUnnamedOpcodes)
{
    EXPECT_EQ(command_name(0x2A), "WRITE (10)            ");
    EXPECT_EQ(command_name(0x4A), "GET EVENT/STATUS NOTIF");
    EXPECT_EQ(command_name(0x02), "02");
    EXPECT_EQ(command_name(0xFF), "FF");
    int named = 0;
    for (int op = 0; op < 256; ++op) {
        const auto& name = command_name(static_cast<std::uint8_t>(op));
        if (name.size() == 22)
            ++named;
        else
            EXPECT_EQ(name.size(), 2u) << op;
    }
    EXPECT_EQ(named, 51);
}

SRB_ExecSCSICmd failed_write(std::uint8_t* data)
{
    SRB_ExecSCSICmd r;
    fill_request(r, mmc::write10(0x1234, 2), data);
    r.SRB_Cmd = SC_EXEC_SCSI_CMD;
    r.SRB_Status = SS_ERR;
    r.SRB_HaId = 1;
    r.SRB_Target = 11;
    r.SRB_Lun = 0;
    r.SRB_TargStat = 2;
    r.SenseArea[0] = 0x70;
    r.SenseArea[2] = 0x03;
    r.SenseArea[7] = 10;
    r.SenseArea[12] = 0x0C;
    return r;
}

TEST(FailureLog, LineLayout)
{
    std::uint8_t data[4096] = {0xDE, 0xAD};
    const auto r = failure_log_line(failed_write(data), data, "MEDIUM ERROR (WRITE ERROR)");
    const std::string expected_start = "<<< WRITE (10)             (2A) {50|0A} - 1:B:0 <04> [01000] "
                                       "00 00 00 12 34 00 00 02 00 00 00 00 00 00 00  |DE AD 00 ";
    EXPECT_EQ(r.substr(0, expected_start.size()), expected_start);
    const std::string expected_end = "00 = 00 02 70 03 ASC:0C,ASQ:00 MEDIUM ERROR (WRITE ERROR)";
    EXPECT_EQ(r.substr(r.size() - expected_end.size()), expected_end);
    // 257 data bytes of three characters each between "|" and "= ".
    const auto bar = r.find('|', expected_start.size() - 10);
    const auto equals = r.find("= ", bar);
    EXPECT_EQ(equals - bar - 1, 257u * 3);
}

TEST(FailureLog, UnnamedOpcodeShowsItsHexDigits)
{
    SRB_ExecSCSICmd r;
    std::memset(&r, 0, sizeof r);
    r.SRB_Status = SS_ERR;
    r.CDBByte[0] = 0xC7;
    r.SRB_CDBLen = 6;
    const auto line = failure_log_line(r, nullptr, "");
    EXPECT_EQ(line.substr(0, 13), "<<< C7 (C7) {");
    EXPECT_NE(line.find(" |= "), std::string::npos);
}

TEST(FailureLog, WhenALineIsDue)
{
    std::uint8_t data[4096] = {};
    auto r = failed_write(data);
    EXPECT_TRUE(failure_log_due(r));

    r.SRB_Status = SS_COMP;
    EXPECT_FALSE(failure_log_due(r));
    r.SRB_Status = SS_PENDING;
    EXPECT_FALSE(failure_log_due(r));

    r.SRB_Status = SS_ERR;
    r.SenseArea[12] = 0x04;
    r.SenseArea[13] = 0x08; // long write in progress
    EXPECT_FALSE(failure_log_due(r));
    r.SenseArea[13] = 0x07;
    EXPECT_TRUE(failure_log_due(r));

    for (std::uint8_t op : {0x00, 0x01, 0x04, 0x12, 0x1B, 0x1E, 0x23, 0x35, 0x43, 0x46, 0x51, 0x52, 0x55, 0x5A, 0x5C,
             0xB6, 0xBB}) {
        r.CDBByte[0] = op;
        EXPECT_FALSE(failure_log_due(r)) << int(op);
    }
    for (std::uint8_t op : {0x03, 0x28, 0x2A, 0x53, 0x54, 0x5B, 0xA1, 0xBF}) {
        r.CDBByte[0] = op;
        EXPECT_TRUE(failure_log_due(r)) << int(op);
    }
}

TEST(SenseText, RequestSenseTellsWhetherALongOperationStillRuns)
{
    EXPECT_TRUE(operation_ended(SenseData{}));
    EXPECT_TRUE(operation_under_way(sense({{0, 0xF0}})));
    EXPECT_FALSE(operation_ended(sense({{0, 0xF0}})));
    EXPECT_TRUE(operation_under_way(sense({{0, 0x70}, {2, 0x02}, {12, 0x04}, {13, 0x07}})));
    // Some other condition: not under way, not ended either.
    const SenseData other = sense({{0, 0x70}, {2, 0x05}, {12, 0x24}});
    EXPECT_FALSE(operation_under_way(other));
    EXPECT_FALSE(operation_ended(other));
    const std::uint8_t forty[40] = {0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x04};
    EXPECT_EQ(sense_from(forty, sizeof forty).asc(), 0x04);
}

TEST(CommandFailure, DecidesBetweenRetryNotReadyFailAndTransport)
{
    CommandFailure none;
    EXPECT_EQ(none.decision(), FailureDecision::None);

    CommandFailure busy{SS_ERR, 0, 0x08, {}};
    EXPECT_EQ(busy.decision(), FailureDecision::Retry);
    CommandFailure no_sense{SS_ERR, 0, 0, {}};
    EXPECT_EQ(no_sense.decision(), FailureDecision::Retry);
    CommandFailure not_ready{SS_ERR, 0, 0x02, sense({{0, 0x70}, {2, 0x02}, {7, 10}, {12, 0x04}, {13, 0x08}})};
    EXPECT_EQ(not_ready.decision(), FailureDecision::NotReady);
    EXPECT_TRUE(not_ready.worth_retrying());
    CommandFailure medium{SS_ERR, 0, 0x02, sense({{0, 0x70}, {2, 0x03}, {7, 10}, {12, 0x0C}})};
    EXPECT_EQ(medium.decision(), FailureDecision::Fail);
    EXPECT_FALSE(medium.worth_retrying());

    // No sense data either, but the host adapter or the layer said why.
    for (const std::uint8_t host : {std::uint8_t{0x09}, std::uint8_t{0x11}, std::uint8_t{0x12}, std::uint8_t{0x13}}) {
        CommandFailure lost{SS_ERR, host, 0, {}};
        EXPECT_EQ(lost.decision(), FailureDecision::Transport) << int(host);
        EXPECT_FALSE(lost.worth_retrying());
    }
    for (const std::uint8_t status : {std::uint8_t{SS_NO_DEVICE}, std::uint8_t{SS_INVALID_HA}, std::uint8_t{SS_NOT_SENT}})
        EXPECT_TRUE((CommandFailure{status, 0, 0, {}}).transport_error()) << int(status);
    EXPECT_FALSE((CommandFailure{SS_ASPI_IS_BUSY, 0, 0, {}}).transport_error());
}

} // namespace
} // namespace valmuri
