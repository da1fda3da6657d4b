#pragma once
// The wait behind an erase: polls the drive until blanking or formatting
// has finished, keeps the percentage the user sees, resets the drive and
// reports the end through the device's OnEraseDone on the main thread.

#include "platform/dispatcher.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace valmuri {

class TSCSIDevice;

class TEraseThread {
public:
    // estimate: expected duration in poll units (about seconds).
    TEraseThread(TSCSIDevice& device, std::uint8_t disc_type, std::uint16_t estimate);
    ~TEraseThread();
    TEraseThread(const TEraseThread&) = delete;
    TEraseThread& operator=(const TEraseThread&) = delete;

    void Start();
    int Progress() const { return progress_; }
    // The event has been delivered; the thread ends without touching the
    // device again, so joining it cannot wait on the main thread.
    bool Reported() const { return reported_; }
    // Stops polling as soon as possible and skips the event; for a device
    // that goes away while erasing. Waits for the thread.
    void Abandon();

private:
    void Execute();
    void update_progress();
    bool not_ready() const;
    // TEST UNIT READY with the 2-second pause after a failure.
    bool poll_ready();
    bool bounded() const { return estimate_ >= counter_ && !abandoned_ && !drive_lost_; }
    // Notes a transport error of the last command: the drive is gone and
    // no poll is repeated after it.
    bool drive_lost();
    // False when a write failed; stop_at_failure ends the writes there.
    bool write_zero_blocks(std::uint32_t count, bool stop_at_failure);

    TSCSIDevice& device_;
    const std::uint8_t disc_type_;
    const std::uint16_t estimate_;
    HandOver hand_over_;
    double counter_ = 0;
    std::atomic<int> progress_{0};
    std::atomic<bool> reported_{false};
    std::atomic<bool> abandoned_{false};
    // Zero blocks that could not be written, or a drive lost on the way.
    bool with_error_ = false;
    bool drive_lost_ = false;
    std::thread thread_;
};

} // namespace valmuri
