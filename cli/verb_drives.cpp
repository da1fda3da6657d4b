// valmuri-cli drives: the drives the engine can use, numbered as --drive
// takes them.

#include "cli/drive_option.h"
#include "cli/medium_text.h"
#include "cli/verb.h"
#include "drive/transport.h"

#include <iostream>

namespace valmuri::cli {
namespace {

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
        return fail("unexpected argument '" + args[0] + "'");

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
        std::cout << "   " << device.DeviceDescription() << "\n";
        std::cout << "   " << describe_capabilities(device) << "\n";
        std::cout << "   medium: " << describe_medium(device) << "\n";
    }
    return 0;
}

const VerbRegistration registration({
    "drives",
    "list the drives, their capabilities and the medium in each",
    "Usage: valmuri-cli drives [--library PATH] [--debug]\n\n"
    "Lists the drives numbered from 0, as --drive takes them, with the\n"
    "drive's address, device path and identification, what it can read and\n"
    "write, and the medium in it.\n\n"
    "Options:\n"
    "  --library PATH  ASPI library to try before the program folder's\n"
    "  --debug         print the engine's debug lines on stderr\n",
    run_drives,
});

} // namespace
} // namespace valmuri::cli
