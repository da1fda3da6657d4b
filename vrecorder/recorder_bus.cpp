#include "vrecorder/recorder_bus.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/endian.h"
#include "vrecorder/identity.h"

namespace valmuri::vrecorder {

namespace fs = std::filesystem;

namespace {

constexpr std::uint8_t target_status_check_condition = 0x02;
constexpr std::uint8_t target_status_busy = 0x08;
constexpr std::uint8_t host_status_data_overrun = 0x12;
constexpr std::uint8_t host_status_selection_timeout = 0x11;
constexpr std::uint8_t device_type_cd = 0x05;
constexpr std::uint8_t device_type_none = 0x1F;

bool read_file(const fs::path& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

void put_identifier(std::uint8_t* out, std::string_view text)
{
    std::memset(out, ' ', 16);
    std::memcpy(out, text.data(), std::min<std::size_t>(16, text.size()));
}

} // namespace

RecorderBus& RecorderBus::instance()
{
    static RecorderBus bus;
    return bus;
}

RecorderBus::~RecorderBus()
{
    std::scoped_lock lock(mutex_);
    recorders_.clear(); // each recorder saves its disc
}

void RecorderBus::load_configuration()
{
    fs::path path = default_config_path();
    std::string text;
    bool exists = read_file(path, text);
    if (loaded_ && path == config_path_ && exists == config_existed_ && text == config_text_)
        return;
    recorders_.clear();
    BusConfig config = exists ? read_bus_config(path) : default_bus_config();
    for (const std::string& warning : config.warnings)
        std::fprintf(stderr, "libwnaspi32 (virtual recorder): %s: %s\n", path.c_str(), warning.c_str());
    for (std::size_t i = 0; i < config.recorders.size(); ++i)
        recorders_.push_back(std::make_shared<Recorder>(config.recorders[i], static_cast<std::uint8_t>(i)));
    pending_.clear();
    config_path_ = path;
    config_text_ = text;
    config_existed_ = exists;
    loaded_ = true;
}

std::uint32_t RecorderBus::support_info()
{
    std::scoped_lock lock(mutex_);
    load_configuration();
    if (recorders_.empty())
        return std::uint32_t{SS_NO_ADAPTERS} << 8;
    return (std::uint32_t{SS_COMP} << 8) | 1;
}

std::uint8_t RecorderBus::send(void* request)
{
    if (request == nullptr)
        return SS_INVALID_SRB;
    auto* header = static_cast<std::uint8_t*>(request);
    std::uint8_t status = SS_INVALID_CMD;
    switch (header[0]) {
    case SC_HA_INQUIRY:
        status = host_adapter_inquiry(*static_cast<SRB_HAInquiry*>(request));
        break;
    case SC_GET_DEV_TYPE:
        status = get_device_type(*static_cast<SRB_GDEVBlock*>(request));
        break;
    case SC_EXEC_SCSI_CMD:
        return execute(*static_cast<SRB_ExecSCSICmd*>(request)); // stores its own status
    case SC_ABORT_SRB:
        status = abort(*static_cast<SRB_Abort*>(request));
        break;
    default:
        break; // SC_GET_DISK_INFO included: these drives have no BIOS number
    }
    header[1] = status;
    return status;
}

std::uint8_t RecorderBus::host_adapter_inquiry(SRB_HAInquiry& block)
{
    std::scoped_lock lock(mutex_);
    if (!loaded_)
        load_configuration();
    block.HA_Count = recorders_.empty() ? 0 : 1;
    if (block.SRB_HaId >= block.HA_Count)
        return SS_INVALID_HA;
    block.HA_SCSI_ID = 7;
    put_identifier(block.HA_ManagerId, manager_identifier);
    put_identifier(block.HA_Identifier, adapter_identifier);
    std::memset(block.HA_Unique, 0, sizeof block.HA_Unique);
    block.HA_Unique[3] = 8; // targets
    put_le32(&block.HA_Unique[4], max_transfer_bytes);
    return SS_COMP;
}

std::uint8_t RecorderBus::get_device_type(SRB_GDEVBlock& block)
{
    std::scoped_lock lock(mutex_);
    if (!loaded_)
        load_configuration();
    bool present = block.SRB_HaId == 0 && block.SRB_Target < recorders_.size() && block.SRB_Lun == 0;
    block.SRB_DeviceType = present ? device_type_cd : device_type_none;
    return present ? SS_COMP : SS_NO_DEVICE;
}

std::uint8_t RecorderBus::execute(SRB_ExecSCSICmd& block)
{
    std::shared_ptr<Recorder> recorder;
    {
        std::scoped_lock lock(mutex_);
        if (!loaded_)
            load_configuration();
        if (block.SRB_HaId != 0 || recorders_.empty())
            return block.SRB_Status = SS_INVALID_HA;
        if (block.SRB_Target >= recorders_.size())
            return block.SRB_Status = SS_NO_DEVICE;
        recorder = recorders_[block.SRB_Target];
    }
    if (block.SRB_CDBLen == 0 || block.SRB_CDBLen > sizeof block.CDBByte)
        return block.SRB_Status = SS_INVALID_SRB;
    bool in = (block.SRB_Flags & SRB_DIR_IN) != 0;
    bool out = (block.SRB_Flags & SRB_DIR_OUT) != 0;
    if (in && out)
        return block.SRB_Status = SS_INVALID_SRB;
    std::uint64_t address = block.SRB_BufPointer64 != 0 ? block.SRB_BufPointer64 : block.SRB_BufPointer;
    if (block.SRB_BufLen > 0 && address == 0)
        return block.SRB_Status = SS_INVALID_SRB;
    if (block.SRB_BufLen > max_transfer_bytes)
        return block.SRB_Status = SS_BUFFER_TO_BIG;

    CommandRequest request;
    std::memcpy(request.cdb.data(), block.CDBByte, block.SRB_CDBLen);
    request.cdb[1] &= 0x1F; // the LUN travels in the top bits of byte 1
    request.cdb_length = block.SRB_CDBLen;
    request.direction = in ? DataDirection::in : out ? DataDirection::out : DataDirection::unspecified;
    request.data = block.SRB_BufLen > 0 ? reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(address)) : nullptr;
    request.length = block.SRB_BufLen;

    std::size_t sense_length = std::min<std::size_t>(block.SRB_SenseLen, sizeof block.SenseArea);
    std::memset(block.SenseArea, 0, sense_length);
    block.SRB_HaStat = HASTAT_OK;
    block.SRB_TargStat = 0;
    if (block.SRB_Lun != 0)
        return execute_missing_lun(block, request);

    CommandResult result = recorder->execute(request);
    switch (result.status) {
    case CommandStatus::good:
        return block.SRB_Status = SS_COMP;
    case CommandStatus::check_condition: {
        block.SRB_TargStat = target_status_check_condition;
        std::array<std::uint8_t, 18> sense = fixed_sense_data(result.sense);
        std::memcpy(block.SenseArea, sense.data(), std::min(sense_length, sense.size()));
        return block.SRB_Status = SS_ERR;
    }
    case CommandStatus::busy:
        block.SRB_TargStat = target_status_busy;
        return block.SRB_Status = SS_ERR;
    case CommandStatus::data_phase_error:
        block.SRB_HaStat = host_status_data_overrun;
        return block.SRB_Status = SS_ERR;
    case CommandStatus::selection_timeout:
        block.SRB_HaStat = host_status_selection_timeout;
        return block.SRB_Status = SS_ERR;
    case CommandStatus::never_completes: {
        std::scoped_lock lock(mutex_);
        pending_.insert(reinterpret_cast<std::uintptr_t>(&block));
        return block.SRB_Status = SS_PENDING;
    }
    }
    return block.SRB_Status = SS_ERR;
}

std::uint8_t RecorderBus::execute_missing_lun(SRB_ExecSCSICmd& block, const CommandRequest& request)
{
    if (request.cdb[0] == 0x12 && request.data != nullptr && request.direction != DataDirection::out) {
        // INQUIRY answers with "no device on this LUN" as a target must.
        std::uint8_t data[36] = {0x7F};
        data[4] = sizeof data - 5;
        std::size_t count = std::min<std::size_t>({sizeof data, request.length, get_be16(&request.cdb[3])});
        std::memcpy(request.data, data, count);
        return block.SRB_Status = SS_COMP;
    }
    block.SRB_TargStat = target_status_check_condition;
    std::array<std::uint8_t, 18> sense = fixed_sense_data(sense::logical_unit_not_supported);
    std::memcpy(block.SenseArea, sense.data(), std::min<std::size_t>(block.SRB_SenseLen, sense.size()));
    return block.SRB_Status = SS_ERR;
}

std::uint8_t RecorderBus::abort(SRB_Abort& block)
{
    std::scoped_lock lock(mutex_);
    // Only requests this library left pending are touched; any other address
    // may not be a request at all.
    auto found = pending_.find(static_cast<std::uintptr_t>(block.SRB_ToAbort));
    if (found == pending_.end())
        return SS_ABORT_FAIL;
    pending_.erase(found);
    reinterpret_cast<SRB_ExecSCSICmd*>(block.SRB_ToAbort)->SRB_Status = SS_ABORTED;
    return SS_COMP;
}

} // namespace valmuri::vrecorder
