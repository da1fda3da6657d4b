#pragma once
// What the last failed command left behind, and what its caller does next.
//
// Every loop that repeats or polls a command asks failure_decision(); no
// caller reads raw sense bytes or status fields to make that choice itself.

#include "drive/sense_text.h"

#include <cstdint>

struct SRB_ExecSCSICmd;

namespace valmuri {

enum class FailureDecision {
    None,      // the command succeeded
    Retry,     // the target was busy or gave no sense data: send it again
    NotReady,  // additional sense code 04h: a long operation is under way
    Fail,      // the drive refused the command
    Transport, // the host adapter or the kernel failed it; never repeated
};

struct CommandFailure {
    std::uint8_t status = 0x01; // SS_COMP: no failure
    std::uint8_t host_status = 0;
    std::uint8_t target_status = 0;
    SenseData sense;

    bool failed() const;
    // The request did not complete between host and drive: the adapter or the
    // kernel reported it (a host status, SELECTION TIMEOUT, COMMAND TIMEOUT),
    // or it could not be sent at all.
    bool transport_error() const;
    bool target_busy() const { return target_status == 0x08; }
    bool not_ready() const { return sense.asc() == kAscNotReady; }
    FailureDecision decision() const;
    // Busy, not ready or without sense data: the writer and the erase thread
    // wait and send the command again.
    bool worth_retrying() const
    {
        const FailureDecision d = decision();
        return d == FailureDecision::Retry || d == FailureDecision::NotReady;
    }
};

// The status fields and the sense area of a request as one value.
CommandFailure failure_of(const SRB_ExecSCSICmd& request);

} // namespace valmuri
