#pragma once
// TSCSIDevice: one optical drive as the engine sees it, and the base of the
// burner component.
//
// The class is implemented across several files, one concept each:
//   scsi_device.cpp       construction, events, clock and dispatcher
//   exec_scsi_command.cpp the single send path (ExecSCSICommand)
//   device_list.cpp       adapter inquiry, the device scan, drive paths
//   select_device.cpp     SelectDevice, Identify and the drive-model quirks
// The MMC command layer, drive control and erase sections below are
// implemented in files of their own.
//
// One thread drives a device object at a time: the writer or the erase thread
// while they run, the main thread otherwise. Events that the user interface
// must see on its thread go through the dispatcher.

#include "drive/aspi_abi.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace valmuri {

// Host adapter, target and LUN; 254 in all three means no device.
struct DeviceAddress {
    std::uint8_t host_adapter = 254;
    std::uint8_t target = 254;
    std::uint8_t lun = 254;

    bool is_none() const { return host_adapter == 254; }
    bool operator==(const DeviceAddress&) const = default;
};

class TSCSIDevice {
public:
    using TOnDebugMsg = std::function<void(TSCSIDevice* sender, const std::string& message, int type)>;
    using TDeviceChangedEvent = std::function<void(TSCSIDevice* sender)>;

    static constexpr std::uint8_t kNoDeviceType = 127;
    static constexpr std::size_t kSenseSize = 33;
    static constexpr std::size_t kInquiryBufferSize = 131;

    TSCSIDevice();
    virtual ~TSCSIDevice();
    TSCSIDevice(const TSCSIDevice&) = delete;
    TSCSIDevice& operator=(const TSCSIDevice&) = delete;

    // ---- Transport -------------------------------------------------------

    // Loads a layer (see LoadASPI); on success inquires adapter 0 and builds
    // the device list. Never throws.
    bool InitializeASPI(bool PreferSPTI, const std::string& DllPath);
    bool ASPIInitialized() const;
    // Frees the library layer; true when freed or nothing to free.
    bool UnloadASPI();
    // Process-wide: the emulation closes the drive after every command.
    void SetCloseHandleAfterCommand(bool close);

    // The single send path. Fills the address from the selected device,
    // waits at least 10 s for a request that completes later, turns a
    // time-out into status 0x04 / host status 0x09. Returns SS_NOT_SENT
    // (also stored as the block's status) when no layer is loaded or no
    // device is selected, 1 otherwise; callers judge by the block's status.
    std::uint8_t ExecSCSICommand(SRB_ExecSCSICmd& request, std::uint32_t timeout_ms);

    // The device lock: guards the cache queue between the cache thread and
    // the writer. Commands are sent without it.
    [[nodiscard]] std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(device_mutex_); }
    std::mutex& device_mutex() { return device_mutex_; }

    // ---- Errors and debug lines -------------------------------------------

    // Text of the last failed command; cleared at the start of every command.
    const std::string& LastErrorText() const { return last_error_text_; }
    // Sense area of the last failed command.
    const std::array<std::uint8_t, kSenseSize>& LastSense() const { return last_sense_; }
    // The last failure carried target status BUSY.
    bool TargetBusy() const { return target_busy_; }

    // Fires OnDebugMessage when a handler is set: type 0 error lines,
    // type 1 informational lines, further types from the image side.
    void DebugMessage(const std::string& text, int type);
    TOnDebugMsg OnDebugMessage;

    bool DoDebug() const { return do_debug_; }
    void SetDoDebug(bool on) { do_debug_ = on; }

    // ---- Discovery and identification -------------------------------------

    // Sends a host adapter inquiry straight to the layer; sets HostAdapterCount
    // (255 on failure, 7 when the layer reports 0).
    void HostAdapterInquiry(std::uint8_t adapter);
    std::int8_t HostAdapterCount() const { return static_cast<std::int8_t>(host_adapter_count_); }
    const SRB_HAInquiry& host_adapter_inquiry_block() const { return ha_inquiry_; }

    // Refills Devices with every CD/DVD (type 5) and WORM (type 4) device.
    void BuildDeviceList();
    // Selects and identifies the device of a Devices entry, or clears the
    // selection. Never throws.
    void SelectDevice(const std::string& Id);
    // Refreshes capabilities, INQUIRY data, DeviceType and DeviceDescription.
    void Identify();
    // The device path of the selected drive ("/dev/sr0"), or empty when unknown.
    std::string GetDriveLetter();

    const std::vector<std::string>& Devices() const { return devices_; }
    const std::string& DeviceId() const { return device_id_; }
    std::uint8_t DeviceType() const { return device_type_; }
    const std::string& DeviceDescription() const { return device_description_; }
    DeviceAddress SelectedAddress() const { return selected_; }
    // The INQUIRY data of the last Inquiry (131 bytes, the drive fills 128).
    const std::array<std::uint8_t, kInquiryBufferSize>& InquiryData() const { return inquiry_buffer_; }

    TDeviceChangedEvent OnDeviceChange;

    // Drive-model quirks, set on every selection.
    bool SlowReadyDrive() const { return slow_ready_drive_; }
    bool LinkSizeQuirk() const { return link_size_quirk_; }
    // The model has buffer-underrun protection whatever its mode pages say.
    bool ForcedUnderrunProtection() const { return forced_underrun_protection_; }
    // Process-wide: the last selected drive polls slowly when becoming ready.
    static bool SlowReadyHost();
    // Process-wide: closing a session may be sent with IMMED.
    static bool ImmediateClose();

    // ---- Time and threads --------------------------------------------------

    // Every sleep and time read of the drive side goes through this clock.
    void set_clock(Clock& clock) { clock_ = &clock; }
    Clock& clock() const { return *clock_; }
    // Where events for the user interface thread are delivered.
    void set_dispatcher(Dispatcher& dispatcher) { dispatcher_ = &dispatcher; }
    Dispatcher& dispatcher() const { return *dispatcher_; }

    // ---- MMC commands ------------------------------------------------------
    // Command operations (one per MMC command), the error text and the
    // failure log line. Each command fills a zeroed request block and sends
    // it with ExecSCSICommand.

    // INQUIRY, 128 bytes into the inquiry buffer (zeroed first by the caller).
    bool Inquiry();

    // ---- Drive control -----------------------------------------------------

    // Refreshes the capability set and speeds from the drive's mode pages.
    bool GetCapabilities();
    // Finds out which write modes the selected drive accepts.
    void ProbeWriteModes();

    // ---- Erase -------------------------------------------------------------

protected:
    // Builds LastErrorText, LastSense and TargetBusy from a failed request.
    void build_error_text(const SRB_ExecSCSICmd& request);
    // Writes the "<<< " failure line of a request when it is due.
    void write_failure_log_line(const SRB_ExecSCSICmd& request);

    std::string last_error_text_;
    std::array<std::uint8_t, kSenseSize> last_sense_{};
    bool target_busy_ = false;
    // Suppresses the failure log line; the writer sets it before DVD data.
    std::atomic<bool> failure_log_latch_{false};

    alignas(8) std::array<std::uint8_t, kInquiryBufferSize> inquiry_buffer_{};
    DeviceAddress selected_;

private:
    void clear_selection();
    void apply_model_quirks(const std::string& vendor, const std::string& product, const std::string& raw_product);
    std::string drive_path_from_library(const DeviceAddress& address);

    std::mutex device_mutex_;
    Clock* clock_;
    Dispatcher* dispatcher_;

    bool do_debug_ = false;
    std::uint8_t host_adapter_count_ = 0;
    SRB_HAInquiry ha_inquiry_{};
    std::vector<std::string> devices_;
    std::string device_id_;
    std::uint8_t device_type_ = kNoDeviceType;
    std::string device_description_;

    bool slow_ready_drive_ = false;
    bool link_size_quirk_ = false;
    bool forced_underrun_protection_ = false;
};

} // namespace valmuri
