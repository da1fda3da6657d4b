#include "drive/failure_log.h"

#include "drive/command_failure.h"
#include "drive/command_names.h"
#include "drive/mmc_command.h"
#include "drive/sense_text.h"

#include <algorithm>
#include <cstdio>

namespace valmuri {
namespace {

// Commands whose failures are expected during discovery and polling.
bool exempt_opcode(std::uint8_t opcode)
{
    switch (static_cast<MmcOpcode>(opcode)) {
    case MmcOpcode::TEST_UNIT_READY:
    case MmcOpcode::REZERO_UNIT:
    case MmcOpcode::FORMAT_UNIT:
    case MmcOpcode::INQUIRY:
    case MmcOpcode::START_STOP_UNIT:
    case MmcOpcode::PREVENT_ALLOW_MEDIUM_REMOVAL:
    case MmcOpcode::READ_FORMAT_CAPACITIES:
    case MmcOpcode::SYNCHRONIZE_CACHE:
    case MmcOpcode::READ_TOC_PMA_ATIP:
    case MmcOpcode::GET_CONFIGURATION:
    case MmcOpcode::READ_DISC_INFORMATION:
    case MmcOpcode::READ_TRACK_INFORMATION:
    case MmcOpcode::MODE_SELECT_10:
    case MmcOpcode::MODE_SENSE_10:
    case MmcOpcode::READ_BUFFER_CAPACITY:
    case MmcOpcode::SET_STREAMING:
    case MmcOpcode::SET_CD_SPEED:
        return true;
    default:
        return false;
    }
}

void append_hex(std::string& out, unsigned value, const char* format = "%02X")
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    out += buffer;
}

} // namespace

bool failure_log_due(const SRB_ExecSCSICmd& request)
{
    if (request.SRB_Status == SS_PENDING || request.SRB_Status == SS_COMP)
        return false;
    if (exempt_opcode(request.CDBByte[0]))
        return false;
    const SenseData sense = failure_of(request).sense;
    return !(sense.asc() == kAscNotReady && sense.ascq() == kAscqLongWriteInProgress);
}

std::string failure_log_line(const SRB_ExecSCSICmd& request, const std::uint8_t* data, const std::string& error_text)
{
    std::string address = std::to_string(request.SRB_HaId) + ":";
    append_hex(address, request.SRB_Target, "%X");
    address += ":" + std::to_string(request.SRB_Lun) + " <";
    append_hex(address, request.SRB_Status);
    address += "> [";
    append_hex(address, request.SRB_BufLen, "%05X");
    address += "]";

    std::string line = "<<< " + command_name(request.CDBByte[0]) + " (";
    append_hex(line, request.CDBByte[0]);
    line += ") {";
    append_hex(line, request.SRB_Flags);
    line += "|";
    append_hex(line, request.SRB_CDBLen);
    line += "} - " + address + " ";
    for (int i = 1; i < 16; ++i) {
        append_hex(line, request.CDBByte[i]);
        line += " ";
    }
    line += " |";
    const std::uint32_t length = request.SRB_BufLen;
    if (length != 0 && data != nullptr) {
        const std::uint32_t shown = std::min<std::uint32_t>(length, 257);
        for (std::uint32_t i = 0; i < shown; ++i) {
            append_hex(line, data[i]);
            line += " ";
        }
    }
    line += "= ";
    const CommandFailure failure = failure_of(request);
    for (std::uint8_t value :
        {failure.host_status, failure.target_status, failure.sense.response_code(), failure.sense.flags_and_key()}) {
        append_hex(line, value);
        line += " ";
    }
    line += "ASC:";
    append_hex(line, failure.sense.asc());
    line += ",ASQ:";
    append_hex(line, failure.sense.ascq());
    line += " " + error_text;
    return line;
}

} // namespace valmuri
