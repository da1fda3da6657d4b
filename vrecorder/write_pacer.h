#pragma once
// The recorder's buffer: writes fill it at once, the medium drains it at the
// current write speed. A write that does not fit waits for room, which paces
// a burn to real time. With no speed the buffer drains instantly.

#include <cstdint>

#include "platform/clock.h"

namespace valmuri::vrecorder {

class WritePacer {
public:
    WritePacer(Clock& clock, std::uint32_t buffer_bytes) : clock_(clock), buffer_bytes_(buffer_bytes) {}

    // KB/s of 1000 bytes; 0 drains at once.
    void set_speed(std::uint32_t kilobytes_per_second);
    // Takes a write of this many bytes, waiting for room as the medium would.
    void accept(std::uint64_t bytes);
    // Waits until everything buffered is on the medium.
    void drain();

    std::uint32_t buffer_bytes() const { return buffer_bytes_; }
    std::uint32_t free_bytes();

private:
    // Drains what the medium took since the last look.
    void update();

    Clock& clock_;
    std::uint32_t buffer_bytes_;
    std::uint64_t bytes_per_second_ = 0;
    double fill_ = 0;
    std::uint64_t last_ms_ = 0;
    bool started_ = false;
};

} // namespace valmuri::vrecorder
