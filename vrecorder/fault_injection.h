#pragma once
// Decides, command by command, whether a recorder misbehaves as its fault
// switches ask. Counts run from the moment the library loads the recorder.

#include <cstdint>

#include "vrecorder/config.h"

namespace valmuri::vrecorder {

enum class InjectedFault { none, busy, not_ready, never_complete, host_error };

class FaultInjector {
public:
    explicit FaultInjector(FaultConfig config) : config_(config) {}

    // Called once per command before it runs. needs_medium tells whether the
    // command is one a drive without a ready disc refuses.
    InjectedFault before_command(std::uint8_t opcode, bool needs_medium);
    // Called once per command that ran, with whether it succeeded.
    void after_command(std::uint8_t opcode, bool good);

    // The first faulty block in [lba, lba + blocks), if any.
    bool medium_error_in(std::uint32_t lba, std::uint32_t blocks, std::uint32_t& sector) const;
    bool reject_blank() const { return config_.reject_blank; }

private:
    bool counts(std::uint8_t opcode) const;

    FaultConfig config_;
    std::uint32_t busy_used_ = 0;
    std::uint32_t not_ready_used_ = 0;
    std::uint32_t completions_of_hung_opcode_ = 0;
    std::uint32_t completions_before_host_error_ = 0;
    bool not_ready_armed_ = false;
};

} // namespace valmuri::vrecorder
