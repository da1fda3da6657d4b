#pragma once
// A switchable trace of every command sent to a drive: the CDB, the request
// flags and transfer length, the status bytes, the sense data and how long
// the command took, one line per command. It makes a drive problem readable
// from a user's log. Off until a file is named; the environment variable
// VALMURI_TRACE names one for any program of the project.

#include "drive/aspi_abi.h"

#include <cstdint>
#include <string>

namespace valmuri {

// Starts tracing into path (appended to); an empty path stops it. False when
// the file cannot be opened.
bool set_command_trace(const std::string& path);
// Starts tracing into $VALMURI_TRACE when it is set and no trace runs yet.
void trace_from_environment();
bool command_trace_on();

// One traced line, as it is written (without the newline).
std::string command_trace_line(const SRB_ExecSCSICmd& request, std::uint64_t elapsed_ms);
// Writes the line of a finished request; called by the send path for every
// command while the trace is on.
void trace_command(const SRB_ExecSCSICmd& request, std::uint64_t elapsed_ms);

} // namespace valmuri
