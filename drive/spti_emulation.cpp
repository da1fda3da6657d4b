#include "drive/spti_emulation.h"

#include "drive/pass_through_system.h"
#include "drive/transport.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <utility>

#include <scsi/sg.h>

namespace valmuri {
namespace {

constexpr unsigned kPassThroughTimeoutMs = 120000;
constexpr std::uint8_t kInquiryOpcode = 0x12;
constexpr std::uint8_t kPeripheralOptical = 5;
constexpr std::uint8_t kNoPeripheral = 0x1F;
// Room for sense data behind the request, as the drive may return it.
constexpr std::uint8_t kSenseRoom = 32;

// Kernel host status values that have an ASPI host status of their own.
constexpr std::uint8_t kDidNoConnect = 0x01;
constexpr std::uint8_t kDidTimeOut = 0x03;
constexpr std::uint8_t kDidBadTarget = 0x04;
constexpr std::uint8_t kDriverTimeout = 0x06;

// The ASPI host status of a request the kernel failed before or after the
// drive saw it, so that no caller takes it for a busy drive. A request the
// drive itself refused keeps host status 0 and its SCSI status and sense.
std::uint8_t host_status_of(bool opened, bool sent, const sg_io_hdr& io)
{
    if (!opened)
        return HASTAT_SEL_TO;
    if (!sent)
        return HASTAT_BUS_FREE;
    switch (io.host_status) {
    case 0:
        break;
    case kDidNoConnect:
    case kDidBadTarget:
        return HASTAT_SEL_TO;
    case kDidTimeOut:
        return HASTAT_TIMEOUT;
    default:
        return HASTAT_BUS_FREE;
    }
    const int driver_error = io.driver_status & 0x07;
    if (driver_error == kDriverTimeout)
        return HASTAT_TIMEOUT;
    return driver_error != 0 ? HASTAT_BUS_FREE : HASTAT_OK;
}

void store_status(std::uint8_t& field, std::uint8_t value)
{
    std::atomic_ref<std::uint8_t>(field).store(value);
}

} // namespace

void build_sg_io_request(const SRB_ExecSCSICmd& srb, sg_io_hdr& io, std::uint8_t* sense, std::uint8_t sense_room)
{
    std::memset(&io, 0, sizeof io);
    io.interface_id = 'S';
    if (srb.SRB_Flags & SRB_DIR_IN)
        io.dxfer_direction = SG_DXFER_FROM_DEV;
    else if (srb.SRB_Flags & SRB_DIR_OUT)
        io.dxfer_direction = SG_DXFER_TO_DEV;
    else
        io.dxfer_direction = SG_DXFER_NONE;
    io.cmd_len = std::min<std::uint8_t>(srb.SRB_CDBLen, sizeof srb.CDBByte);
    io.cmdp = const_cast<unsigned char*>(srb.CDBByte);
    io.mx_sb_len = std::min(srb.SRB_SenseLen, sense_room);
    io.sbp = sense;
    if (io.dxfer_direction != SG_DXFER_NONE) {
        io.dxfer_len = srb.SRB_BufLen;
        io.dxferp = srb_buffer(srb);
    }
    io.timeout = kPassThroughTimeoutMs;
}

SptiEmulation& SptiEmulation::instance()
{
    static SptiEmulation emulation;
    return emulation;
}

int SptiEmulation::open_drive(const std::string& path)
{
    PassThroughSystem& system = pass_through_system();
    int fd = system.open_drive(path, true);
    if (fd < 0)
        fd = system.open_drive(path, false);
    return fd;
}

bool SptiEmulation::probe(Entry& entry)
{
    PassThroughSystem& system = pass_through_system();
    const int fd = open_drive(entry.device_path);
    if (fd < 0)
        return false;

    std::uint8_t answer[96] = {};
    std::uint8_t sense[kSenseRoom] = {};
    SRB_ExecSCSICmd inquiry{};
    inquiry.SRB_Flags = SRB_DIR_IN;
    inquiry.SRB_CDBLen = 6;
    inquiry.SRB_SenseLen = 24;
    inquiry.CDBByte[0] = kInquiryOpcode;
    inquiry.CDBByte[4] = sizeof answer;
    set_srb_buffer(inquiry, answer, sizeof answer);
    sg_io_hdr io;
    build_sg_io_request(inquiry, io, sense, kSenseRoom);
    if (!system.send(fd, io)) {
        system.close_drive(fd);
        return false;
    }
    std::memcpy(entry.inquiry.data(), answer, kInquiryCacheSize);

    KernelScsiAddress address;
    if (system.scsi_address(fd, address) && address.target >= 0 && address.target <= 7 && address.lun >= 0
        && address.lun <= 7) {
        // The adapter number is filled in once every drive is known.
        entry.host_adapter = 0;
        entry.target = static_cast<std::uint8_t>(address.target);
        entry.lun = static_cast<std::uint8_t>(address.lun);
        entry.handle = -1;
        entry.present = true;
        system.close_drive(fd);
        kernel_hosts_.push_back({address.host, address.channel});
        return true;
    }
    entry.host_adapter = 0;
    entry.target = unaddressed_count_++;
    entry.lun = kNoAddressMarker;
    entry.present = true;
    system.close_drive(fd);
    kernel_hosts_.push_back({-1, -1});
    return true;
}

int SptiEmulation::enumerate()
{
    std::lock_guard lock(mutex_);
    close_all();
    entries_.clear();
    ++generation_;
    kernel_hosts_.clear();
    unaddressed_count_ = 0;
    host_adapter_count_ = 0;

    int found = 0;
    for (const std::string& path : pass_through_system().optical_drives()) {
        Entry entry;
        entry.device_path = path;
        if (!probe(entry))
            continue;
        entries_.push_back(std::move(entry));
        ++found;
    }

    // Number the kernel's (host, channel) pairs 0, 1, … in ascending order.
    std::map<std::pair<int, int>, std::uint8_t> adapters;
    for (const auto& host : kernel_hosts_)
        if (host.first >= 0)
            adapters.emplace(host, 0);
    std::uint8_t next = 0;
    for (auto& [host, number] : adapters)
        number = next++;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].lun != kNoAddressMarker)
            entries_[i].host_adapter = adapters[kernel_hosts_[i]];

    auto highest_adapter_plus_one = [this] {
        int highest = -1;
        for (const Entry& entry : entries_)
            highest = std::max<int>(highest, entry.host_adapter);
        return static_cast<std::uint8_t>(highest + 1);
    };
    host_adapter_count_ = highest_adapter_plus_one();
    bool marked = false;
    for (Entry& entry : entries_) {
        if (entry.lun != kNoAddressMarker)
            continue;
        entry.lun = 0;
        entry.host_adapter = host_adapter_count_;
        marked = true;
    }
    if (marked)
        host_adapter_count_ = highest_adapter_plus_one();
    return found;
}

void SptiEmulation::close_all()
{
    for (Entry& entry : entries_) {
        if (entry.handle >= 0)
            pass_through_system().close_drive(entry.handle);
        entry.handle = -1;
    }
}

void SptiEmulation::shutdown()
{
    std::lock_guard lock(mutex_);
    close_all();
    entries_.clear();
    ++generation_;
    kernel_hosts_.clear();
    host_adapter_count_ = 0;
}

std::uint32_t SptiEmulation::support_info()
{
    std::lock_guard lock(mutex_);
    if (host_adapter_count_ == 0)
        return static_cast<std::uint32_t>(SS_NO_ADAPTERS) << 8;
    return host_adapter_count_ | (static_cast<std::uint32_t>(SS_COMP) << 8);
}

SptiEmulation::Entry* SptiEmulation::find(std::uint8_t host_adapter, std::uint8_t target, std::uint8_t lun)
{
    for (Entry& entry : entries_)
        if (entry.present && entry.host_adapter == host_adapter && entry.target == target && entry.lun == lun)
            return &entry;
    return nullptr;
}

std::string SptiEmulation::device_path(std::uint8_t host_adapter, std::uint8_t target, std::uint8_t lun)
{
    std::lock_guard lock(mutex_);
    const Entry* entry = find(host_adapter, target, lun);
    return entry ? entry->device_path : std::string();
}

std::uint8_t SptiEmulation::host_adapter_count()
{
    std::lock_guard lock(mutex_);
    return host_adapter_count_;
}

std::vector<SptiEmulation::Entry> SptiEmulation::entries()
{
    std::lock_guard lock(mutex_);
    return entries_;
}

std::uint8_t SptiEmulation::host_adapter_inquiry(SRB_HAInquiry& block)
{
    block.HA_Count = host_adapter_count_;
    if (block.SRB_HaId >= host_adapter_count_)
        return SS_INVALID_HA;
    block.HA_SCSI_ID = 7;
    std::memcpy(block.HA_ManagerId, kManagerId, sizeof block.HA_ManagerId);
    std::memset(block.HA_Identifier, 0, sizeof block.HA_Identifier);
    const std::string identifier = "SPTI " + std::to_string(block.SRB_HaId);
    std::memcpy(block.HA_Identifier, identifier.data(), std::min(identifier.size(), sizeof block.HA_Identifier));
    std::memset(block.HA_Unique, 0, sizeof block.HA_Unique);
    block.HA_Unique[0] = 7; // buffer alignment mask
    block.HA_Unique[3] = 8; // targets per adapter
    block.HA_Unique[6] = 0xFF; // maximum transfer length 00 00 FF 00
    return SS_COMP;
}

std::uint8_t SptiEmulation::execute(SRB_ExecSCSICmd& srb, std::unique_lock<std::mutex>& lock)
{
    Entry* entry = find(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun);
    if (!entry)
        return SS_NO_DEVICE;

    if (srb.CDBByte[0] == kInquiryOpcode) {
        // Answered from what the probe read; the drive is not asked again.
        if (srb.SRB_HaId >= host_adapter_count_)
            return SS_INVALID_HA;
        const std::uint32_t length = srb.SRB_BufLen;
        if (std::uint8_t* buffer = srb_buffer(srb))
            std::memcpy(buffer, entry->inquiry.data(), std::min<std::uint32_t>(36, length));
        return SS_COMP;
    }

    PassThroughSystem& system = pass_through_system();
    if (entry->handle < 0)
        entry->handle = open_drive(entry->device_path);
    const int fd = entry->handle;
    const std::size_t index = static_cast<std::size_t>(entry - entries_.data());
    const std::uint64_t generation = generation_;
    if (fd >= 0)
        ++entry->users;

    // The command runs without the lock, so that a second thread's command
    // (the progress display's capabilities read during a burn) does not wait
    // for a long one; the user count keeps the handle open meanwhile.
    std::uint8_t sense[kSenseRoom] = {};
    sg_io_hdr io;
    build_sg_io_request(srb, io, sense, kSenseRoom);
    lock.unlock();
    const bool sent = fd >= 0 && system.send(fd, io);
    lock.lock();

    std::uint8_t status;
    if (sent && io.status == 0 && io.host_status == 0 && (io.driver_status & ~0x08) == 0) {
        status = SS_COMP;
    } else {
        status = SS_ERR;
        const std::size_t length = std::min<std::size_t>(io.mx_sb_len, sizeof srb.SenseArea);
        std::memcpy(srb.SenseArea, sense, length);
        srb.SRB_TargStat = sent ? io.status : 0;
        srb.SRB_HaStat = host_status_of(fd >= 0, sent, io);
    }

    // A table rebuilt meanwhile has closed the handle with the old entries.
    if (fd >= 0 && generation == generation_) {
        Entry& same = entries_[index];
        --same.users;
        if (close_handle_after_command() && same.users == 0 && same.handle >= 0) {
            system.close_drive(same.handle);
            same.handle = -1;
        }
    }
    return status;
}

std::uint8_t SptiEmulation::send(void* request)
{
    if (!request)
        return SS_ERR;
    std::unique_lock lock(mutex_);
    auto* header = static_cast<std::uint8_t*>(request);
    std::uint8_t status;
    switch (header[0]) {
    case SC_HA_INQUIRY:
        status = host_adapter_inquiry(*static_cast<SRB_HAInquiry*>(request));
        break;
    case SC_GET_DEV_TYPE: {
        auto& block = *static_cast<SRB_GDEVBlock*>(request);
        const bool known = find(block.SRB_HaId, block.SRB_Target, block.SRB_Lun) != nullptr;
        block.SRB_DeviceType = known ? kPeripheralOptical : kNoPeripheral;
        status = known ? SS_COMP : SS_NO_DEVICE;
        break;
    }
    case SC_EXEC_SCSI_CMD:
        status = execute(*static_cast<SRB_ExecSCSICmd*>(request), lock);
        break;
    case SC_GET_DISK_INFO:
        store_status(header[1], SS_PENDING);
        return SS_ERR;
    default:
        status = SS_ERR;
        break;
    }
    store_status(header[1], status);
    return status;
}

} // namespace valmuri
