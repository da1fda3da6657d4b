// Minimal stand-ins for members of the MMC command and drive control layers,
// so that the transport and discovery link and run on their own. The files
// of those layers define the full members; this file goes when they arrive.

#include "drive/scsi_device.h"

namespace valmuri {

bool TSCSIDevice::Inquiry()
{
    SRB_ExecSCSICmd srb{};
    srb.SRB_Flags = SRB_EVENT_NOTIFY | SRB_DIR_IN;
    srb.SRB_CDBLen = 6;
    srb.CDBByte[0] = 0x12;
    srb.CDBByte[4] = 0x80;
    set_srb_buffer(srb, inquiry_buffer_.data(), 128);
    ExecSCSICommand(srb, 10000);
    return srb.SRB_Status == SS_COMP;
}

bool TSCSIDevice::GetCapabilities()
{
    return false;
}

void TSCSIDevice::ProbeWriteModes()
{
}

void TSCSIDevice::build_error_text(const SRB_ExecSCSICmd& request)
{
    std::copy(std::begin(request.SenseArea), std::end(request.SenseArea), last_sense_.begin());
    target_busy_ = request.SRB_Status == SS_ERR && request.SRB_HaStat == 0 && request.SRB_TargStat == 0x08;
    last_error_text_ = request.SRB_Status == SS_ERR && request.SRB_HaStat == HASTAT_TIMEOUT ? "COMMAND TIMEOUT" : "UNKNOWN";
}

void TSCSIDevice::write_failure_log_line(const SRB_ExecSCSICmd&)
{
}

} // namespace valmuri
