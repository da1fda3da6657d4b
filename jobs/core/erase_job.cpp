#include "jobs/core/erase_job.h"

#include "drive/disc_type.h"
#include "drive/erase_plan.h"

namespace valmuri::jobs {

EraseJob::EraseJob(TSCSIDevice& device, EraseHandler& handler)
    : device_(device)
    , handler_(handler)
{
}

EraseJob::~EraseJob()
{
    device_.OnEraseDone = nullptr;
}

EraseStart EraseJob::start(const EraseRequest& request)
{
    request_ = request;
    done_ = false;
    with_error_ = false;
    while (!device_.TestUnitReady(5000)) {
        const std::string reason = device_.LastErrorText();
        device_.SynchronizeCache(300000, false);
        if (request.open_tray) {
            device_.PreventAllowMediumRemoval(true);
            device_.StartStopUnit(true);
        }
        if (!handler_.ask_for_disc(reason))
            return EraseStart::Cancelled;
    }
    // A DVD-RAM the drive does not call erasable can still be formatted in full.
    if (!device_.IsDiscErasable() && (request.quick || device_.GetDiscType() != dtDVDRAM)) {
        const std::uint8_t type = device_.GetDiscType();
        if (request.open_tray)
            device_.StartStopUnit(true);
        handler_.refused(type);
        return EraseStart::Refused;
    }
    device_.SetWriteSpeed(request.write_speed > 0 ? request.write_speed : device_.MaxWriteSpeed());
    device_.OnEraseDone = [this](TSCSIDevice*, bool failed) { erase_done(failed); };
    if (!device_.EraseDisc(request.quick ? kBlankQuick : kBlankFull)) {
        if (done_)
            return EraseStart::Failed; // the drive refused the command: OnEraseDone came at once
        erase_done(true);              // not ready before the thread ran: no event follows
        return EraseStart::NotReady;
    }
    return EraseStart::Started;
}

void EraseJob::erase_done(bool with_error)
{
    if (done_)
        return;
    done_ = true;
    with_error_ = with_error;
    const std::string reason = with_error ? device_.LastErrorText() : std::string();
    if (!with_error) {
        if (request_.eject_when_done)
            device_.StartStopUnit(true);
        handler_.show_final_state();
    }
    handler_.finished(with_error, reason);
}

} // namespace valmuri::jobs
