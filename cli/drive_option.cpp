#include "cli/drive_option.h"

#include <filesystem>
#include <iostream>

namespace valmuri::cli {
namespace {

bool all_digits(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string canonical_path(const std::string& path)
{
    std::error_code error;
    const auto resolved = std::filesystem::canonical(path, error);
    return error ? path : resolved.string();
}

constexpr std::uint32_t kWriteCapabilities = capWriteCDR | capWriteCDRW | capWriteDVDR | capWriteDVDRW
    | capWriteDVDRAM | capWriteDVDPlusRW | capWriteDVDPlusRDL | capWriteDVDPlusR;

// A CD/DVD drive (not a WORM device) that writes some medium.
bool is_recorder(const TSCSIDevice& device)
{
    return device.DeviceType() == 5 && (device.DeviceCapabilities() & kWriteCapabilities) != 0;
}

} // namespace

const char* const kDriveOptionsUsage = "  --drive D       drive number from `valmuri-cli drives`, or its device path\n"
                                       "                  (default: the first recorder)\n"
                                       "  --library PATH  ASPI library to try before the program folder's\n"
                                       "  --debug         print the engine's debug lines on stderr\n";

bool take_drive_options(std::vector<std::string>& args, DriveOptions& options, std::string& error)
{
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value_of = [&](const std::string& name, std::string& target) {
            if (arg == name) {
                if (i + 1 >= args.size()) {
                    error = name + " needs a value";
                    return false;
                }
                target = args[++i];
                return true;
            }
            target = arg.substr(name.size() + 1);
            if (target.empty())
                error = name + " needs a value";
            return !target.empty();
        };
        if (arg == "--drive" || arg.rfind("--drive=", 0) == 0) {
            if (!value_of("--drive", options.drive))
                return false;
        } else if (arg == "--library" || arg.rfind("--library=", 0) == 0) {
            if (!value_of("--library", options.library))
                return false;
        } else if (arg == "--debug") {
            options.debug = true;
        } else {
            rest.push_back(arg);
        }
    }
    args = std::move(rest);
    return true;
}

std::string entry_drive_path(const std::string& entry)
{
    const std::size_t comma = entry.find(',');
    if (comma == std::string::npos)
        return std::string();
    const std::size_t space = entry.find(' ', comma);
    return entry.substr(comma + 1, space == std::string::npos ? std::string::npos : space - comma - 1);
}

int find_drive(const std::vector<std::string>& devices, const std::string& value)
{
    if (all_digits(value)) {
        if (value.size() > 6)
            return -1;
        const int index = std::stoi(value);
        return index < static_cast<int>(devices.size()) ? index : -1;
    }
    if (value.empty() || value == "?:")
        return -1;
    const std::string wanted = canonical_path(value);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const std::string path = entry_drive_path(devices[i]);
        if (path == value || (path != "?:" && canonical_path(path) == wanted))
            return static_cast<int>(i);
    }
    return -1;
}

bool load_drives(TSCSIDevice& device, const DriveOptions& options, std::string& error)
{
    if (options.debug) {
        device.SetDoDebug(true);
        device.OnDebugMessage = [](TSCSIDevice*, const std::string& message, int) { std::cerr << message << "\n"; };
    }
    // A library named on the command line comes before the pass-through
    // drives; otherwise they come first.
    if (!device.ASPIInitialized() && !device.InitializeASPI(options.library.empty(), options.library)) {
        error = "no drive found: no optical drive answered and no ASPI library could be loaded";
        return false;
    }
    if (device.Devices().empty()) {
        error = "no drive found";
        return false;
    }
    return true;
}

bool select_drive(TSCSIDevice& device, const DriveOptions& options, std::string& error)
{
    if (!load_drives(device, options, error))
        return false;
    const std::vector<std::string> devices = device.Devices();
    if (!options.drive.empty()) {
        const int index = find_drive(devices, options.drive);
        if (index < 0) {
            error = "unknown drive '" + options.drive + "' (see valmuri-cli drives)";
            return false;
        }
        device.SelectDevice(devices[index]);
        if (device.SelectedAddress().is_none()) {
            error = "drive '" + options.drive + "' does not answer";
            return false;
        }
        return true;
    }
    for (const std::string& entry : devices) {
        device.SelectDevice(entry);
        if (!device.SelectedAddress().is_none() && is_recorder(device))
            return true;
    }
    device.SelectDevice(std::string());
    error = "no recorder found";
    return false;
}

} // namespace valmuri::cli
