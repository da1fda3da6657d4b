// The real operating system behind the pass-through emulation.

#include "drive/pass_through_system.h"

#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace valmuri {
namespace {

// sr devices are numbered; sort /dev/sr2 before /dev/sr10.
int drive_number(const std::string& name)
{
    std::size_t i = name.find_first_of("0123456789");
    return i == std::string::npos ? -1 : std::atoi(name.c_str() + i);
}

bool sysfs_type_is_optical(const std::filesystem::path& block)
{
    std::ifstream in(block / "device" / "type");
    int type = -1;
    return in >> type && type == 5;
}

class LinuxPassThroughSystem final : public PassThroughSystem {
public:
    std::vector<std::string> optical_drives() override
    {
        std::vector<std::string> names;
        std::error_code error;
        const std::filesystem::path sysfs("/sys/class/block");
        if (std::filesystem::is_directory(sysfs, error)) {
            for (const auto& entry : std::filesystem::directory_iterator(sysfs, error)) {
                const std::string name = entry.path().filename().string();
                if (name.rfind("sr", 0) == 0 && sysfs_type_is_optical(entry.path()))
                    names.push_back(name);
            }
        } else {
            // Without sysfs, probe the usual names.
            for (int i = 0; i < 32; ++i) {
                const std::string name = "sr" + std::to_string(i);
                if (std::filesystem::exists("/dev/" + name, error))
                    names.push_back(name);
            }
        }
        std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return drive_number(a) < drive_number(b); });
        std::vector<std::string> paths;
        for (const auto& name : names)
            paths.push_back("/dev/" + name);
        return paths;
    }

    int open_drive(const std::string& path, bool read_write) override
    {
        // O_NONBLOCK lets an optical drive open without a medium.
        const int mode = (read_write ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
        int fd;
        do
            fd = ::open(path.c_str(), mode);
        while (fd < 0 && errno == EINTR);
        return fd;
    }

    bool send(int fd, sg_io_hdr& request) override
    {
        int result;
        do
            result = ::ioctl(fd, SG_IO, &request);
        while (result < 0 && errno == EINTR);
        return result == 0;
    }

    bool scsi_address(int fd, KernelScsiAddress& address) override
    {
        struct {
            int dev_id;
            int host_unique_id;
        } idlun{};
        if (::ioctl(fd, SCSI_IOCTL_GET_IDLUN, &idlun) == 0) {
            address.target = idlun.dev_id & 0xFF;
            address.lun = (idlun.dev_id >> 8) & 0xFF;
            address.channel = (idlun.dev_id >> 16) & 0xFF;
            address.host = (idlun.dev_id >> 24) & 0xFF;
            return true;
        }
        sg_scsi_id id{};
        if (::ioctl(fd, SG_GET_SCSI_ID, &id) == 0) {
            address.host = id.host_no;
            address.channel = id.channel;
            address.target = id.scsi_id;
            address.lun = id.lun;
            return true;
        }
        return false;
    }

    void close_drive(int fd) override { ::close(fd); }
};

std::atomic<PassThroughSystem*> current_system{nullptr};

} // namespace

PassThroughSystem& linux_pass_through_system()
{
    static LinuxPassThroughSystem system;
    return system;
}

void set_pass_through_system(PassThroughSystem* system)
{
    current_system.store(system);
}

PassThroughSystem& pass_through_system()
{
    PassThroughSystem* system = current_system.load();
    return system ? *system : linux_pass_through_system();
}

} // namespace valmuri
