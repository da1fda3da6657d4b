#pragma once
// The erase job without a window: waits for a disc that can be erased,
// starts the drive's erase thread and finishes when it reports the end.
// Questions and notices go through EraseHandler, which the erase window (or
// the command line) implements; the job never blocks on the user itself.

#include "drive/scsi_device.h"

#include <cstdint>
#include <string>

namespace valmuri::jobs {

class EraseHandler {
public:
    virtual ~EraseHandler() = default;
    // No disc, or the drive is not ready (a113): true to look again (OK),
    // false to give up (Cancel). reason is the drive's last error text.
    virtual bool ask_for_disc(const std::string& reason) = 0;
    // The disc cannot be erased (a114); the job has ended.
    virtual void refused(std::uint8_t disc_type) = 0;
    // A successful erase: the final state line (a130). finished() follows at
    // once; a window keeps the state on screen for EraseJob::kFinalStateMs
    // (on its own timer) before it shows the end message.
    virtual void show_final_state() = 0;
    // The end: a115 without error, a117 with one (reason: the drive's error text).
    virtual void finished(bool with_error, const std::string& reason) = 0;
};

struct EraseRequest {
    bool quick = true;
    bool eject_when_done = false; // "Ejetar o CD após terminar"
    bool open_tray = false;       // OpenCD: open the tray when a disc is needed or refused
    std::uint16_t write_speed = 0; // KB/s; 0 for the drive's fastest
};

enum class EraseStart {
    Started,   // the erase thread runs
    Cancelled, // the user gave up waiting for a disc
    Refused,   // the disc cannot be erased
    NotReady,  // the drive did not become ready to erase (no thread started)
    Failed,    // the drive refused the erase command
};

class EraseJob {
public:
    static constexpr std::uint32_t kFinalStateMs = 3500;

    EraseJob(TSCSIDevice& device, EraseHandler& handler);
    ~EraseJob();
    EraseJob(const EraseJob&) = delete;
    EraseJob& operator=(const EraseJob&) = delete;

    // Runs the wait for an erasable disc and starts the erase; with Started
    // the end arrives through the device's OnEraseDone on the main thread,
    // and the handler's finished() follows. NotReady and Failed have already
    // called finished(true, ...).
    EraseStart start(const EraseRequest& request);
    bool done() const { return done_; }
    bool with_error() const { return with_error_; }

private:
    void erase_done(bool with_error);

    TSCSIDevice& device_;
    EraseHandler& handler_;
    EraseRequest request_;
    bool done_ = false;
    bool with_error_ = false;
};

} // namespace valmuri::jobs
