// Construction, the transport operations of a device object, debug lines.

#include "drive/scsi_device.h"

#include "drive/transport.h"

#include <exception>

namespace valmuri {
namespace {

InlineDispatcher& inline_dispatcher()
{
    static InlineDispatcher dispatcher;
    return dispatcher;
}

} // namespace

TSCSIDevice::TSCSIDevice()
    : clock_(&default_clock())
    , dispatcher_(&inline_dispatcher())
{
    if (aspi_loaded()) {
        HostAdapterInquiry(0);
        BuildDeviceList();
    }
}

// A running erase is stopped first: its thread still uses the device.
TSCSIDevice::~TSCSIDevice()
{
    stop_erase_thread();
}

bool TSCSIDevice::InitializeASPI(bool PreferSPTI, const std::string& DllPath)
{
    try {
        if (!LoadASPI(PreferSPTI, DllPath))
            return false;
        HostAdapterInquiry(0);
        BuildDeviceList();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TSCSIDevice::ASPIInitialized() const
{
    return aspi_loaded();
}

bool TSCSIDevice::UnloadASPI()
{
    return valmuri::UnloadASPI();
}

void TSCSIDevice::SetCloseHandleAfterCommand(bool close)
{
    set_close_handle_after_command(close);
}

void TSCSIDevice::DebugMessage(const std::string& text, int type)
{
    if (OnDebugMessage)
        OnDebugMessage(this, text, type);
}

} // namespace valmuri
