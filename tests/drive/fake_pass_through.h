#pragma once
// A pass-through system without hardware: drives described by the test,
// every open, SG_IO request and close recorded.

#include "drive/pass_through_system.h"

#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <scsi/sg.h>

namespace valmuri::test {

struct FakeDrive {
    std::string path;
    bool opens_read_write = true;
    bool opens_read_only = true;
    bool inquiry_call_fails = false;
    bool has_address = true;
    KernelScsiAddress address;
    std::array<std::uint8_t, 96> inquiry{};
    // Answers every request other than the probe's INQUIRY; default: good.
    std::function<bool(sg_io_hdr&)> answer;
};

// A drive's INQUIRY data: type, then vendor, product and revision.
inline std::array<std::uint8_t, 96> inquiry_data(std::uint8_t type, const char* vendor, const char* product,
    const char* revision)
{
    std::array<std::uint8_t, 96> data{};
    data[0] = type;
    std::memset(&data[8], ' ', 28);
    std::memcpy(&data[8], vendor, std::min<std::size_t>(std::strlen(vendor), 8));
    std::memcpy(&data[16], product, std::min<std::size_t>(std::strlen(product), 16));
    std::memcpy(&data[32], revision, std::min<std::size_t>(std::strlen(revision), 4));
    return data;
}

struct SentRequest {
    int fd;
    std::vector<std::uint8_t> cdb;
    sg_io_hdr header;
};

class FakePassThrough final : public PassThroughSystem {
public:
    std::vector<FakeDrive> drives;
    std::vector<std::string> opens; // "rw /dev/sr0" or "ro /dev/sr0", successful or not
    int successful_opens = 0;
    int closes = 0;
    std::vector<SentRequest> sent;

    FakeDrive& add(const std::string& path, int host, int target, std::uint8_t type = 5)
    {
        FakeDrive drive;
        drive.path = path;
        drive.address = KernelScsiAddress{host, 0, target, 0};
        drive.inquiry = inquiry_data(type, "VALMURI", "TEST DRIVE", "1.00");
        drives.push_back(drive);
        return drives.back();
    }

    int open_count() const { return static_cast<int>(open_fds_.size()); }

    std::vector<std::string> optical_drives() override
    {
        std::vector<std::string> paths;
        for (const auto& drive : drives)
            paths.push_back(drive.path);
        return paths;
    }

    int open_drive(const std::string& path, bool read_write) override
    {
        opens.push_back((read_write ? "rw " : "ro ") + path);
        for (std::size_t i = 0; i < drives.size(); ++i) {
            if (drives[i].path != path)
                continue;
            if (read_write ? !drives[i].opens_read_write : !drives[i].opens_read_only)
                return -1;
            const int fd = next_fd_++;
            open_fds_[fd] = i;
            ++successful_opens;
            return fd;
        }
        return -1;
    }

    bool send(int fd, sg_io_hdr& request) override
    {
        auto it = open_fds_.find(fd);
        if (it == open_fds_.end())
            return false;
        sent.push_back({fd, std::vector<std::uint8_t>(request.cmdp, request.cmdp + request.cmd_len), request});
        FakeDrive& drive = drives[it->second];
        if (request.cmdp[0] == 0x12) {
            if (drive.inquiry_call_fails)
                return false;
            std::memcpy(request.dxferp, drive.inquiry.data(), std::min<unsigned>(request.dxfer_len, 96));
            return true;
        }
        if (drive.answer)
            return drive.answer(request);
        return true;
    }

    bool scsi_address(int fd, KernelScsiAddress& address) override
    {
        auto it = open_fds_.find(fd);
        if (it == open_fds_.end() || !drives[it->second].has_address)
            return false;
        address = drives[it->second].address;
        return true;
    }

    void close_drive(int fd) override
    {
        open_fds_.erase(fd);
        ++closes;
    }

private:
    int next_fd_ = 100;
    std::map<int, std::size_t> open_fds_;
};

} // namespace valmuri::test
