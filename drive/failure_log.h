#pragma once
// The "<<< " debug line written for a failed command: the command's name,
// its request block, CDB and first data bytes, then the statuses, the sense
// bytes that matter and the error text.

#include "drive/aspi_abi.h"

#include <cstdint>
#include <string>

namespace valmuri {

// Whether a finished request deserves a line: it failed, it is not one of
// the commands that fail routinely while a drive is probed or polled, and
// the drive is not merely busy with a long write.
bool failure_log_due(const SRB_ExecSCSICmd& request);

// The line for a request whose data buffer is data (may be null when the
// buffer length is 0); at most 257 data bytes are shown.
std::string failure_log_line(const SRB_ExecSCSICmd& request, const std::uint8_t* data, const std::string& error_text);

} // namespace valmuri
