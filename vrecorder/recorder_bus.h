#pragma once
// Host adapter 0 with one recorder per target: turns ASPI request blocks into
// recorder commands and back. The configuration is read again whenever it
// changed, at the support-info call a manager gets when it is loaded.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "drive/aspi_abi.h"
#include "vrecorder/recorder.h"

namespace valmuri::vrecorder {

// Largest transfer the adapter takes in one request.
inline constexpr std::uint32_t max_transfer_bytes = 1024 * 1024;

class RecorderBus {
public:
    static RecorderBus& instance();
    ~RecorderBus();

    std::uint32_t support_info();
    std::uint8_t send(void* request);

private:
    void load_configuration();
    std::uint8_t host_adapter_inquiry(SRB_HAInquiry& block);
    std::uint8_t get_device_type(SRB_GDEVBlock& block);
    std::uint8_t execute(SRB_ExecSCSICmd& block);
    std::uint8_t abort(SRB_Abort& block);
    // Commands to a LUN other than 0 of a present target.
    std::uint8_t execute_missing_lun(SRB_ExecSCSICmd& block, const CommandRequest& request);

    std::mutex mutex_;
    bool loaded_ = false;
    std::filesystem::path config_path_;
    std::string config_text_;
    bool config_existed_ = false;
    std::vector<std::shared_ptr<Recorder>> recorders_;
    std::set<std::uintptr_t> pending_; // requests left pending by a fault
};

} // namespace valmuri::vrecorder
