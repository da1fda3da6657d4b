#pragma once
// One-line descriptions of a selected drive's abilities and of the disc in
// it, for drive listings.

#include "drive/scsi_device.h"

#include <string>

namespace valmuri::cli {

// "reads CD-ROM CD-R ...; writes CD-R CD-RW ...; max write 7,056 KB/s"
std::string describe_capabilities(TSCSIDevice& device);

// "CD-RW, appendable, 1 session, 123,456 blocks free" or "no medium (...)".
// Asks the drive for the disc's state, so it sends a few commands.
std::string describe_medium(TSCSIDevice& device);

} // namespace valmuri::cli
