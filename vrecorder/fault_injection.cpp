#include "vrecorder/fault_injection.h"

#include "vrecorder/mmc.h"

namespace valmuri::vrecorder {

namespace {

bool exempt(std::uint8_t opcode)
{
    return opcode == static_cast<std::uint8_t>(Opcode::INQUIRY)
        || opcode == static_cast<std::uint8_t>(Opcode::REQUEST_SENSE);
}

} // namespace

bool FaultInjector::counts(std::uint8_t opcode) const
{
    if (config_.fault_command)
        return opcode == *config_.fault_command;
    return !exempt(opcode);
}

InjectedFault FaultInjector::before_command(std::uint8_t opcode, bool needs_medium)
{
    // REQUEST SENSE reports a not-ready drive in its data, so it takes part
    // in not-ready faults though it is exempt from BUSY.
    bool reports_readiness = needs_medium || opcode == static_cast<std::uint8_t>(Opcode::REQUEST_SENSE);
    if (config_.never_ready && reports_readiness)
        return InjectedFault::not_ready;
    if (busy_used_ < config_.busy_commands && counts(opcode)) {
        ++busy_used_;
        return InjectedFault::busy;
    }
    bool limited = !config_.fault_command || opcode == *config_.fault_command;
    bool armed = !config_.not_ready_after || not_ready_armed_;
    if (not_ready_used_ < config_.not_ready_commands && reports_readiness && limited && armed) {
        ++not_ready_used_;
        return InjectedFault::not_ready;
    }
    if (config_.host_error && opcode == *config_.host_error) {
        if (completions_before_host_error_ >= config_.host_error_after)
            return InjectedFault::host_error;
        ++completions_before_host_error_;
    }
    if (config_.never_complete && opcode == *config_.never_complete) {
        if (completions_of_hung_opcode_ >= config_.never_complete_after)
            return InjectedFault::never_complete;
        ++completions_of_hung_opcode_;
    }
    return InjectedFault::none;
}

void FaultInjector::after_command(std::uint8_t opcode, bool good)
{
    // A long operation the drive goes on with after answering, such as a
    // format or the closing after a flush.
    if (good && config_.not_ready_after && opcode == *config_.not_ready_after) {
        not_ready_armed_ = true;
        not_ready_used_ = 0;
    }
}

bool FaultInjector::medium_error_in(std::uint32_t lba, std::uint32_t blocks, std::uint32_t& sector) const
{
    if (!config_.medium_error_sector)
        return false;
    std::uint32_t bad = *config_.medium_error_sector;
    if (bad < lba || std::uint64_t{bad} >= std::uint64_t{lba} + blocks)
        return false;
    sector = bad;
    return true;
}

} // namespace valmuri::vrecorder
