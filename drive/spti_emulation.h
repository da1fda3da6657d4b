#pragma once
// The pass-through emulation ("KVASPI32"): the two ASPI entry points answered
// over SG_IO on the system's optical drives.
//
// Each drive found gets an ASPI address. Kernel host numbers grow with every
// hot-plug and are not small digits, so the distinct (host, channel) pairs
// of the drives are numbered 0, 1, … in ascending order and become the host
// adapters; target and LUN are the kernel's. A drive without a usable address
// (the kernel gives none, or a target or LUN above 7 that the device scan
// never reaches) goes onto one extra adapter after the others, with targets
// 0, 1, … in probe order and LUN 0.

#include "drive/aspi_abi.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

struct sg_io_hdr;

namespace valmuri {

class PassThroughSystem;

// Fills an SG_IO request for an execute block: CDB, direction from the
// block's flags, its buffer, a 120-second time-out, sense into `sense`.
void build_sg_io_request(const SRB_ExecSCSICmd& srb, sg_io_hdr& io, std::uint8_t* sense, std::uint8_t sense_room);

class SptiEmulation {
public:
    static constexpr std::size_t kInquiryCacheSize = 40;
    static constexpr std::uint8_t kNoAddressMarker = 0xFA;
    // Fixed manager identifier of the emulated host adapter inquiry.
    static constexpr const char* kManagerId = "VALMURI SOFTWARE";

    struct Entry {
        std::uint8_t host_adapter = 0;
        std::uint8_t target = 0;
        std::uint8_t lun = 0;
        std::string device_path;
        bool present = false;
        int handle = -1;
        int users = 0; // commands running on the handle
        std::array<std::uint8_t, kInquiryCacheSize> inquiry{};
    };

    // The process-wide emulation, over pass_through_system().
    static SptiEmulation& instance();

    // Rebuilds the table from the system's optical drives; returns how many
    // answered INQUIRY.
    int enumerate();
    // Closes every open handle and clears the table.
    void shutdown();

    std::uint32_t support_info();
    std::uint8_t send(void* request);

    // The device path at an address, or empty.
    std::string device_path(std::uint8_t host_adapter, std::uint8_t target, std::uint8_t lun);

    std::uint8_t host_adapter_count();
    std::vector<Entry> entries();

private:
    bool probe(Entry& entry);
    int open_drive(const std::string& path);
    Entry* find(std::uint8_t host_adapter, std::uint8_t target, std::uint8_t lun);
    std::uint8_t host_adapter_inquiry(SRB_HAInquiry& block);
    // Called with the lock held; releases it while the drive works.
    std::uint8_t execute(SRB_ExecSCSICmd& srb, std::unique_lock<std::mutex>& lock);
    void close_all();

    // Commands may come from two threads at once (the writer and one
    // capabilities read on the main thread). The lock guards the table; a
    // handle is closed only when no command runs on it.
    std::mutex mutex_;
    std::vector<Entry> entries_;
    std::uint64_t generation_ = 0; // counts table rebuilds
    // The kernel's (host, channel) of each entry; (-1, -1) when it gave none.
    std::vector<std::pair<int, int>> kernel_hosts_;
    std::uint8_t unaddressed_count_ = 0;
    std::uint8_t host_adapter_count_ = 0;
};

} // namespace valmuri
