#include "drive/command_failure.h"

#include "drive/aspi_abi.h"

#include <algorithm>

namespace valmuri {

bool CommandFailure::failed() const
{
    return status != SS_COMP && status != SS_PENDING;
}

bool CommandFailure::transport_error() const
{
    if (!failed())
        return false;
    switch (status) {
    case SS_ERR:
        return host_status != HASTAT_OK;
    case SS_ASPI_IS_BUSY:
        return false; // the manager is busy, the drive was not asked yet
    default:
        return true; // refused by the layer: no device, bad adapter, not sent
    }
}

CommandFailure failure_of(const SRB_ExecSCSICmd& request)
{
    CommandFailure failure{request.SRB_Status, request.SRB_HaStat, request.SRB_TargStat, {}};
    static_assert(sizeof request.SenseArea == SenseData::kSize);
    std::copy_n(request.SenseArea, SenseData::kSize, failure.sense.bytes.begin());
    return failure;
}

FailureDecision CommandFailure::decision() const
{
    if (!failed())
        return FailureDecision::None;
    if (transport_error())
        return FailureDecision::Transport;
    if (target_busy())
        return FailureDecision::Retry;
    if (not_ready())
        return FailureDecision::NotReady;
    if (sense.response_code() == 0 || sense.asc() == 0)
        return FailureDecision::Retry;
    return FailureDecision::Fail;
}

} // namespace valmuri
