// valmuri-cli drives: the drives the engine can use, numbered as --drive
// takes them, with what each can do and the medium in it.

#include "cli/drive_option.h"
#include "cli/verb.h"
#include "drive/capabilities.h"
#include "drive/disc_information.h"
#include "drive/disc_type.h"
#include "drive/transport.h"

#include <iostream>
#include <utility>

namespace valmuri::cli {
namespace {

constexpr std::uint8_t kMediumNotPresent = 0x3A;

std::string names_of(std::uint32_t capabilities, std::initializer_list<std::pair<std::uint32_t, const char*>> names)
{
    std::string text;
    for (const auto& [bit, name] : names)
        if (capabilities & bit)
            text += (text.empty() ? "" : ", ") + std::string(name);
    return text.empty() ? "-" : text;
}

std::string read_capabilities(std::uint32_t caps)
{
    return names_of(caps,
        {{capReadCDR, "CD-R"}, {capReadCDRW, "CD-RW"}, {capReadDVDROM, "DVD-ROM"}, {capReadDVDR, "DVD-R"},
            {capReadDVDRW, "DVD-RW"}, {capReadDVDRAM, "DVD-RAM"}, {capReadDVDPlusR, "DVD+R"},
            {capReadDVDPlusRW, "DVD+RW"}, {capReadDVDPlusRDL, "DVD+R DL"}});
}

std::string write_capabilities(std::uint32_t caps)
{
    std::string text = names_of(caps,
        {{capWriteCDR, "CD-R"}, {capWriteCDRW, "CD-RW"}, {capWriteDVDR, "DVD-R"}, {capWriteDVDRW, "DVD-RW"},
            {capWriteDVDRAM, "DVD-RAM"}, {capWriteDVDPlusR, "DVD+R"}, {capWriteDVDPlusRW, "DVD+RW"},
            {capWriteDVDPlusRDL, "DVD+R DL"}});
    if (caps & capTestWrite)
        text += "; test write";
    if (caps & capUnderrunProtection)
        text += "; underrun protection";
    return text;
}

std::string medium(TSCSIDevice& device)
{
    if (!device.TestUnitReady(5000) && device.LastFailure().sense.asc() == kMediumNotPresent)
        return "none";
    const TDiscType type = device.GetDiscType();
    if (type == dtUnknown)
        return "unknown (" + (device.LastErrorText().empty() ? std::string("no answer") : device.LastErrorText()) + ")";
    std::string text = disc_type_name(type);
    switch (device.GetDiscStatus()) {
    case kDiscEmpty:
        return text + ", empty";
    case kDiscAppendable:
        return text + ", appendable";
    case kDiscComplete:
        return text + ", complete";
    default:
        return text;
    }
}

int run_drives(const std::vector<std::string>& arguments)
{
    std::vector<std::string> args = arguments;
    DriveOptions options;
    std::string error;
    if (!take_drive_options(args, options, error))
        return fail(error);
    if (!options.drive.empty())
        return fail("drives takes no --drive");
    if (!args.empty())
        return fail(args[0].starts_with("-") ? "unknown option " + args[0] : "unexpected argument '" + args[0] + "'");

    TSCSIDevice device;
    if (!load_drives(device, options, error))
        return fail(error);

    std::cout << "Layer: " << aspi_layer_name() << "\n";
    const std::vector<std::string> devices = device.Devices();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        std::cout << i << "  " << devices[i] << "\n";
        device.SelectDevice(devices[i]);
        if (device.SelectedAddress().is_none()) {
            std::cout << "   does not answer\n";
            continue;
        }
        const std::uint32_t caps = device.DeviceCapabilities();
        std::cout << "   reads:  " << read_capabilities(caps) << "\n"
                  << "   writes: " << write_capabilities(caps) << "\n";
        if (device.DeviceMaxWriteSpeed() || device.DeviceMaxReadSpeed())
            std::cout << "   speeds: write " << device.DeviceMaxWriteSpeed() << " KB/s, read "
                      << device.DeviceMaxReadSpeed() << " KB/s\n";
        std::cout << "   medium: " << medium(device) << "\n";
    }
    return 0;
}

const VerbRegistration registration({
    "drives",
    "list the drives, their capabilities and the medium in each",
    "Usage: valmuri-cli drives [--library PATH] [--debug]\n\n"
    "Lists the drives numbered from 0, as --drive takes them, with the\n"
    "drive's address, device path and identification, what it can read and\n"
    "write, its top speeds and the medium in it.\n\n"
    "Options:\n"
    "  --library PATH  ASPI library to try before the program folder's\n"
    "  --debug         print the engine's debug lines on stderr\n",
    run_drives,
});

} // namespace
} // namespace valmuri::cli
