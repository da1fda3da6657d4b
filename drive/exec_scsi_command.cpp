// The single path by which commands reach a drive.

#include "drive/scsi_device.h"

#include "drive/command_trace.h"
#include "drive/transport.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace valmuri {
namespace {

constexpr std::uint32_t kMinimumWaitMs = 10000;
constexpr std::uint8_t kSenseLength = 24;
// Poll slices: completion is seen at once, the clock is read between slices.
constexpr std::uint64_t kWaitSliceMs = 20;

// The post event of one request: an eventfd a layer that completes later
// writes to.
class PostEvent {
public:
    explicit PostEvent(bool wanted)
        : fd_(wanted ? ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1)
    {
    }
    ~PostEvent() { close(); }
    PostEvent(const PostEvent&) = delete;
    PostEvent& operator=(const PostEvent&) = delete;

    int fd() const { return fd_; }
    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    // Waits until the event is signalled or limit_ms have passed on the clock.
    bool wait(Clock& clock, std::uint64_t limit_ms) const
    {
        if (fd_ < 0)
            return false;
        const std::uint64_t start = clock.now_ms();
        for (;;) {
            const std::uint64_t elapsed = clock.now_ms() - start;
            if (elapsed >= limit_ms)
                return false;
            pollfd entry{fd_, POLLIN, 0};
            const int slice = static_cast<int>(std::min(limit_ms - elapsed, kWaitSliceMs));
            const int ready = ::poll(&entry, 1, slice);
            if (ready > 0) {
                std::uint64_t count;
                [[maybe_unused]] ssize_t n = ::read(fd_, &count, sizeof count);
                return true;
            }
            if (ready < 0 && errno != EINTR)
                return false;
        }
    }

private:
    int fd_;
};

// A layer that completes later writes the status from its own thread.
std::uint8_t load_status(SRB_ExecSCSICmd& srb)
{
    return std::atomic_ref<std::uint8_t>(srb.SRB_Status).load();
}

void store_status(SRB_ExecSCSICmd& srb, std::uint8_t status)
{
    std::atomic_ref<std::uint8_t>(srb.SRB_Status).store(status);
}

} // namespace

std::uint8_t TSCSIDevice::ExecSCSICommand(SRB_ExecSCSICmd& srb, std::uint32_t timeout_ms)
{
    last_error_text_.clear();
    target_busy_ = false;
    last_failure_ = CommandFailure{};

    if (!aspi_loaded() || selected_.is_none()) {
        // Nothing is sent. The status says so, so that no caller mistakes
        // the untouched block for a pending or completed request.
        store_status(srb, SS_NOT_SENT);
        build_error_text(srb);
        trace_command(srb, 0);
        return SS_NOT_SENT;
    }

    const bool notify = (srb.SRB_Flags & SRB_EVENT_NOTIFY) != 0;
    PostEvent event(notify);
    srb.SRB_PostProc = event.fd() >= 0 ? static_cast<std::uint32_t>(event.fd()) : 0;

    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = selected_.host_adapter;
    srb.SRB_Target = selected_.target;
    srb.SRB_Lun = selected_.lun;
    srb.SRB_SenseLen = kSenseLength;
    srb.CDBByte[1] = static_cast<std::uint8_t>((srb.CDBByte[1] & 0x1F) | (selected_.lun << 5));

    const std::uint64_t limit = std::max(timeout_ms, kMinimumWaitMs);
    const std::uint64_t start = clock_->now_ms();

    SendASPI32Command(&srb);
    if (notify && load_status(srb) == SS_PENDING)
        event.wait(*clock_, limit);

    if (load_status(srb) == SS_PENDING) {
        // Timed out. The abort goes out while the event is still open, so a
        // layer that completes late never writes to a recycled descriptor.
        SRB_Abort abort{};
        abort.SRB_Cmd = SC_ABORT_SRB;
        abort.SRB_HaId = selected_.host_adapter;
        abort.SRB_ToAbort = reinterpret_cast<std::uintptr_t>(&srb);
        SendASPI32Command(&abort);
        event.close();
        store_status(srb, SS_ERR);
        srb.SRB_HaStat = HASTAT_TIMEOUT;
    } else {
        event.close();
    }

    const std::uint8_t status = load_status(srb);
    trace_command(srb, clock_->now_ms() - start);
    if (status != SS_PENDING && status != SS_COMP)
        build_error_text(srb);
    write_failure_log_line(srb);

    if (srb.SRB_BufPointer % 4 != 0)
        DebugMessage("aaaa" + std::to_string(srb.SRB_BufPointer), 0);
    return SS_COMP;
}

} // namespace valmuri
