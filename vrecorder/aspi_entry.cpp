// The two entry points of an ASPI manager, with C linkage.

#include "drive/aspi_abi.h"
#include "vrecorder/recorder_bus.h"

extern "C" __attribute__((visibility("default"))) uint32_t GetASPI32SupportInfo(void)
{
    return valmuri::vrecorder::RecorderBus::instance().support_info();
}

extern "C" __attribute__((visibility("default"))) uint32_t SendASPI32Command(void* request)
{
    return valmuri::vrecorder::RecorderBus::instance().send(request);
}
