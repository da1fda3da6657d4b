// A small ASPI library for the transport tests: it records the blocks it is
// sent and answers them in one of three ways, chosen by the test: at once,
// later from a thread of its own through the post event, or never.

#include "drive/aspi_abi.h"
#include "tests/drive/peer/aspi_test_peer.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::mutex mutex;
AspiPeerConfig config;
AspiPeerRecord record;
std::vector<std::thread> completions;

void set_status(SRB_ExecSCSICmd& srb, uint8_t status)
{
    __atomic_store_n(&srb.SRB_Status, status, __ATOMIC_RELEASE);
}

const AspiPeerDevice* find_device(uint8_t ha, uint8_t target, uint8_t lun)
{
    for (int i = 0; i < config.device_count; ++i) {
        const AspiPeerDevice& d = config.devices[i];
        if (d.host_adapter == ha && d.target == target && d.lun == lun)
            return &d;
    }
    return nullptr;
}

void answer(SRB_ExecSCSICmd& srb)
{
    const AspiPeerDevice* device = find_device(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun);
    if (!device) {
        set_status(srb, SS_NO_DEVICE);
        return;
    }
    if (srb.CDBByte[0] == 0x12) {
        uint8_t inquiry[36] = {};
        inquiry[0] = device->type;
        std::memcpy(inquiry + 8, device->identification, 28);
        std::memcpy(valmuri::srb_buffer(srb), inquiry, srb.SRB_BufLen < 36 ? srb.SRB_BufLen : 36);
    }
    const uint32_t length = srb.SRB_BufLen;
    if (srb.CDBByte[0] == 0x5A && (srb.CDBByte[2] & 0x3F) == 0x2A && length >= 12) {
        // MODE SENSE (10) of the capabilities page, behind the 8-byte header.
        uint8_t* answer = valmuri::srb_buffer(srb);
        std::memset(answer, 0, length);
        answer[8] = 0x2A;
        answer[11] = device->write_bits;
    }
    set_status(srb, config.answer_status ? config.answer_status : static_cast<uint8_t>(SS_COMP));
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) uint32_t GetASPI32SupportInfo(void)
{
    std::lock_guard lock(mutex);
    ++record.support_info_calls;
    return config.adapter_count | (SS_COMP << 8);
}

__attribute__((visibility("default"))) uint32_t SendASPI32Command(void* request)
{
    auto* header = static_cast<uint8_t*>(request);
    std::lock_guard lock(mutex);
    switch (header[0]) {
    case SC_HA_INQUIRY: {
        auto& block = *static_cast<SRB_HAInquiry*>(request);
        ++record.adapter_inquiries;
        if (block.SRB_HaId > record.highest_adapter_inquired)
            record.highest_adapter_inquired = block.SRB_HaId;
        if (config.fail_adapter_inquiry) {
            block.SRB_Status = SS_INVALID_HA;
            return SS_INVALID_HA;
        }
        block.HA_Count = config.adapter_count;
        std::memcpy(block.HA_ManagerId, "TEST PEER ASPI  ", 16);
        std::memcpy(block.HA_Identifier, "  PEER ADAPTER  ", 16);
        block.SRB_Status = SS_COMP;
        return SS_COMP;
    }
    case SC_GET_DISK_INFO: {
        auto& block = *static_cast<SRB_GetDiskInfo*>(request);
        ++record.disk_info_requests;
        block.SRB_Int13HDriveInfo = config.disk_info_drive;
        block.SRB_Status = config.disk_info_status;
        return block.SRB_Status;
    }
    case SC_ABORT_SRB: {
        auto& block = *static_cast<SRB_Abort*>(request);
        ++record.aborts;
        record.aborted_address = block.SRB_ToAbort;
        record.abort_adapter = block.SRB_HaId;
        record.event_open_at_abort = record.last.SRB_PostProc != 0 && fcntl(record.last.SRB_PostProc, F_GETFD) != -1;
        block.SRB_Status = SS_COMP;
        return SS_COMP;
    }
    case SC_EXEC_SCSI_CMD: {
        auto& srb = *static_cast<SRB_ExecSCSICmd*>(request);
        ++record.executes;
        if (srb.CDBByte[0] != 0x12 || config.record_inquiries)
            record.last = srb;
        record.last_request_address = reinterpret_cast<uintptr_t>(request);
        if (config.mode == ASPI_PEER_NEVER) {
            set_status(srb, SS_PENDING);
            return SS_PENDING;
        }
        if (config.mode == ASPI_PEER_LATER && srb.SRB_PostProc != 0) {
            set_status(srb, SS_PENDING);
            const int event = static_cast<int>(srb.SRB_PostProc);
            const int delay = config.later_ms;
            completions.emplace_back([&srb, event, delay] {
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                {
                    std::lock_guard inner(mutex);
                    answer(srb);
                }
                const uint64_t one = 1;
                [[maybe_unused]] ssize_t n = write(event, &one, sizeof one);
            });
            return SS_PENDING;
        }
        answer(srb);
        return srb.SRB_Status;
    }
    default:
        header[1] = SS_INVALID_CMD;
        return SS_INVALID_CMD;
    }
}

__attribute__((visibility("default"))) void aspi_peer_configure(const AspiPeerConfig* new_config)
{
    std::vector<std::thread> finished;
    {
        std::lock_guard lock(mutex);
        finished.swap(completions);
    }
    for (auto& thread : finished)
        thread.join();
    std::lock_guard lock(mutex);
    config = *new_config;
    record = AspiPeerRecord{};
}

__attribute__((visibility("default"))) void aspi_peer_record(AspiPeerRecord* out)
{
    std::lock_guard lock(mutex);
    *out = record;
}

} // extern "C"
