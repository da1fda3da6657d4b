#include "cli/medium_text.h"

#include "drive/capability_names.h"
#include "platform/number_format.h"

namespace valmuri::cli {
namespace {

const char* status_text(int status)
{
    switch (status) {
    case kDiscEmpty: return "blank";
    case kDiscAppendable: return "appendable";
    case kDiscComplete: return "closed";
    case kDiscOther: return "other state";
    default: return "state unknown";
    }
}

} // namespace

std::string describe_capabilities(TSCSIDevice& device)
{
    const std::uint16_t max_write = device.MaxWriteSpeed();
    const std::uint32_t caps = device.DeviceCapabilities();
    std::string text = "reads " + read_capabilities_text(caps) + "; writes " + write_capabilities_text(caps);
    if (max_write != 0)
        text += "; max write " + format_integer("#,##0", max_write) + " KB/s";
    return text;
}

std::string describe_medium(TSCSIDevice& device)
{
    if (!device.TestUnitReady(5000)) {
        const std::string reason = device.LastErrorText();
        return reason.empty() ? "no medium" : "no medium (" + reason + ")";
    }
    const TDiscType type = device.GetDiscType();
    std::string text = disc_type_name(type);
    const int status = device.GetDiscStatus();
    text += ", ";
    text += status_text(status);
    if (status == kDiscAppendable || status == kDiscComplete) {
        const int sessions = device.GetSessionCount();
        text += ", " + std::to_string(sessions) + (sessions == 1 ? " session" : " sessions");
    }
    if (type != dtCDROM && type != dtDVDROM && type != dtDDCDROM) {
        const std::uint32_t free = device.GetDiscFreeBlocks();
        text += ", " + format_integer("#,##0", free) + " blocks free ("
            + format_float("#,##0.00", free * 2048.0 / (1024.0 * 1024.0)) + " MB)";
    }
    return text;
}

} // namespace valmuri::cli
