#pragma once
// Names of SCSI operation codes for the failure log line.

#include <cstdint>
#include <string>

namespace valmuri {

// The command's name padded with spaces to 22 characters, or the opcode as
// two upper-case hexadecimal digits when it has no name.
const std::string& command_name(std::uint8_t opcode);

} // namespace valmuri
