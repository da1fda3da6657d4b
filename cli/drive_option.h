#pragma once
// The drive options every drive verb of valmuri-cli shares:
//   --drive D       the number `valmuri-cli drives` shows, or the drive's
//                   device path (/dev/sr0, or a link to it such as /dev/cdrom);
//                   without it the first recorder is used
//   --library PATH  an ASPI library to try before the program folder's
//   --debug         the engine's debug lines on stderr

#include "drive/scsi_device.h"

#include <string>
#include <vector>

namespace valmuri::cli {

struct DriveOptions {
    std::string drive;
    std::string library;
    bool debug = false;
};

// Usage lines for the options above, for a verb's --help text.
extern const char* const kDriveOptionsUsage;

// Takes the drive options out of args. False with a one-line error when an
// option lacks its value.
bool take_drive_options(std::vector<std::string>& args, DriveOptions& options, std::string& error);

// Loads the transport (pass-through drives first, then an ASPI library) and
// lists the drives. False with a one-line error when there is none.
bool load_drives(TSCSIDevice& device, const DriveOptions& options, std::string& error);

// Loads the transport and selects the drive the options name. False with a
// one-line error when it is unknown or does not answer.
bool select_drive(TSCSIDevice& device, const DriveOptions& options, std::string& error);

// The index of the Devices entry a --drive value names, or -1.
int find_drive(const std::vector<std::string>& devices, const std::string& value);

// The drive part of a Devices entry: its device path, or "?:" when unknown.
std::string entry_drive_path(const std::string& entry);

} // namespace valmuri::cli
