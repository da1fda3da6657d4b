#pragma once
// The operating system calls behind the pass-through emulation: listing the
// optical drives, opening them, SG_IO and the SCSI address. The emulation
// reaches the system only through this interface, so its request building and
// its open/close pattern are tested without hardware.

#include <cstdint>
#include <string>
#include <vector>

struct sg_io_hdr;

namespace valmuri {

// A drive's address as the kernel reports it.
struct KernelScsiAddress {
    int host = 0;
    int channel = 0;
    int target = 0;
    int lun = 0;
};

class PassThroughSystem {
public:
    virtual ~PassThroughSystem() = default;
    // Device paths of the optical drives, in a stable order (/dev/sr0 first).
    virtual std::vector<std::string> optical_drives() = 0;
    // Opens a drive for reading and writing or for reading only; returns a
    // descriptor, or -1.
    virtual int open_drive(const std::string& path, bool read_write) = 0;
    // Sends one SG_IO request; false when the call itself fails.
    virtual bool send(int fd, sg_io_hdr& request) = 0;
    virtual bool scsi_address(int fd, KernelScsiAddress& address) = 0;
    virtual void close_drive(int fd) = 0;
};

// The real system: sysfs (or /dev/sr0 … probing), open(2), ioctl(2).
PassThroughSystem& linux_pass_through_system();

// The system the emulation uses; nullptr restores the real one.
void set_pass_through_system(PassThroughSystem* system);
PassThroughSystem& pass_through_system();

} // namespace valmuri
