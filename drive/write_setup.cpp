// Preparing a drive for writing: the write parameters page and the probe of
// the write types it accepts.

#include "drive/scsi_device.h"

#include "drive/capabilities.h"
#include "drive/disc_type.h"
#include "drive/write_parameters.h"

#include <algorithm>

namespace valmuri {
namespace {

constexpr std::uint16_t kModePage05ReadLength = 512;

} // namespace

bool TSCSIDevice::SetWriteParameters(bool test_write, bool underrun_protection, bool dual_layer_multisession,
    std::uint8_t disc_type)
{
    // DVD-RAM is written like a hard disk: it has no write parameters.
    if (disc_type == dtDVDRAM)
        return true;

    std::array<std::uint8_t, kModePage05ReadLength> answer{};
    if (!ModeSense10(kWriteParametersPageCode, answer.data(), false, kModePage05ReadLength, kModePage05ReadLength - 1))
        return false;
    WriteParametersPage current{};
    const auto at = mode_page_offset(answer.data(), answer.size(), kWriteParametersPageCode, current.size());
    if (!at)
        return false;
    std::copy_n(answer.begin() + *at, current.size(), current.begin());

    WriteParameterOptions options;
    options.test_write = test_write;
    options.underrun_protection = underrun_protection;
    options.dual_layer_multisession = dual_layer_multisession;
    options.disc_type = disc_type;
    options.finalize_disc = finalize_disc_;
    options.capabilities = device_capabilities_;
    options.capabilities_page_byte4 = capabilities_page_[4];
    options.link_size_quirk = LinkSizeQuirk();
    write_parameters_page_ = build_write_parameters(current, options);

    const auto list = write_parameters_list(write_parameters_page_);
    return ModeSelect10(list.data(), static_cast<std::uint16_t>(list.size()));
}

void TSCSIDevice::ProbeWriteModes()
{
    write_modes_ = 0;
    for (WriteMode mode : {wmRAW, wmSAO, wmTAO}) {
        std::array<std::uint8_t, kModePage05ReadLength> answer{};
        if (!ModeSense10(kWriteParametersPageCode, answer.data(), false, kModePage05ReadLength,
                kModePage05ReadLength - 1))
            continue;
        WriteParametersPage current{};
        const auto at = mode_page_offset(answer.data(), answer.size(), kWriteParametersPageCode, current.size());
        if (!at)
            continue;
        std::copy_n(answer.begin() + *at, current.size(), current.begin());
        const WriteModeProbe probe = write_mode_probe(current, mode);
        if (ModeSelect10(probe.list.data(), probe.length))
            write_modes_ |= mode;
    }
}

} // namespace valmuri
