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
#include "drive/capabilities.h"
#include "drive/command_failure.h"
#include "drive/disc_information.h"
#include "drive/disc_type.h"
#include "drive/mmc_command.h"
#include "drive/write_parameters.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace valmuri {

class TEraseThread;

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
    static constexpr std::size_t kSenseSize = SenseData::kSize;
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
    // Sense area of the last failed command (the bytes of LastFailure()).
    const std::array<std::uint8_t, kSenseSize>& LastSense() const { return last_failure_.sense.bytes; }
    // The last failure carried target status BUSY.
    bool TargetBusy() const { return target_busy_; }
    // Status, host and target status and sense data of the last failed
    // command, and what to do about it; a success leaves it cleared.
    const CommandFailure& LastFailure() const { return last_failure_; }

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
    bool TestUnitReady(std::uint32_t timeout_ms);
    bool RezeroUnit();
    bool RequestSense(std::uint8_t* buffer, std::uint8_t length);
    bool FormatUnit(std::uint8_t byte1, const std::uint8_t* list, std::uint32_t length);
    // Steers the emulation to close the drive after the command, so the
    // tray is free for other programs.
    bool StartStopUnit(bool eject);
    bool PreventAllowMediumRemoval(bool allow);
    // 248 bytes into the format capacities buffer.
    bool ReadFormatCapacities();
    // READ (10) and WRITE (10) move blocks x 2048 bytes; a buffer of fewer
    // bytes (length) fails the call before anything is sent.
    bool Read10(std::uint32_t lba, std::uint16_t blocks, std::uint32_t length, void* buffer);
    // Also succeeds on a request still pending.
    bool Write10(std::uint32_t lba, std::uint16_t blocks, std::uint32_t length, const void* buffer);
    bool SynchronizeCache(std::uint32_t timeout_ms, bool immediate);
    // Fails without sending when length is above 255 (the CDB carries one byte).
    bool ReadTOC(std::uint8_t format, void* buffer, std::uint8_t track, bool msf, std::uint8_t control,
        std::uint32_t length);
    bool GetConfiguration(std::uint8_t request_type, std::uint16_t feature, std::uint16_t length, void* buffer);
    bool ReadDiscInformation(void* buffer, std::uint16_t length);
    // Fills TrackInfo.
    bool ReadTrackInformation(std::uint32_t track);
    bool ReserveTrack(std::uint32_t size);
    bool SendOPCInformation();
    bool ModeSelect10(const void* list, std::uint16_t length);
    // Zeroes the first clear_count + 1 bytes of buffer (never more than
    // length), and copies the answer into it only on success.
    bool ModeSense10(std::uint8_t page, void* buffer, bool defaults, std::uint16_t length, std::uint16_t clear_count);
    bool CloseTrackSession(bool close_track, bool immediate);
    bool CloseTrackSessionRaw(bool immediate, std::uint8_t function, std::uint8_t track);
    // Fills DeviceBufferSize and DeviceFreeBufferSize (0 free on failure).
    bool ReadBufferCapacity();
    // The buffer figures as the writer shows them: lowered while a DVD
    // closes, cleared at the end of a burn.
    void SetBufferFigures(std::uint32_t size, std::uint32_t free)
    {
        device_buffer_size_ = size;
        device_free_buffer_size_ = free;
    }
    // Starts blanking with IMMED; also succeeds on a request still pending.
    bool Blank(std::uint8_t blanking_type);
    bool SetStreaming(const void* descriptor, std::uint16_t length);
    bool SetCDSpeed(std::uint16_t read_speed, std::uint16_t write_speed);
    bool SendDVDStructure(std::uint8_t format, const void* data, std::uint16_t length);
    bool SendTimestamp(const std::tm& local_time);

    // The writer stops failure lines before it writes DVD data.
    void SetFailureLogLatch() { failure_log_latch_ = true; }
    bool FailureLogLatch() const { return failure_log_latch_; }

    // ---- Drive control -----------------------------------------------------

    // Refreshes the capability set and speeds from the drive's mode pages.
    bool GetCapabilities();
    // Finds out which write modes the selected drive accepts.
    void ProbeWriteModes();

    std::uint32_t DeviceCapabilities() const { return device_capabilities_; }
    std::uint16_t DeviceMaxWriteSpeed() const { return device_max_write_speed_; }
    std::uint16_t DeviceMaxReadSpeed() const { return device_max_read_speed_; }
    // KB/s after a fresh GetCapabilities; 0 when it fails.
    std::uint16_t MaxWriteSpeed();
    std::uint16_t MaxReadSpeed();
    std::uint16_t CurrentWriteSpeed();
    std::uint16_t ReadSpeed() const { return read_speed_; }
    void SetReadSpeed(std::uint16_t speed) { read_speed_ = speed; }
    std::uint16_t WriteSpeed() const { return write_speed_; }
    // Sends SET CD SPEED (ReadSpeed, speed), then keeps speed.
    void SetWriteSpeed(std::uint16_t speed);
    // Bytes; read by the progress display while the writer runs.
    std::uint32_t DeviceBufferSize() const { return device_buffer_size_; }
    std::uint32_t DeviceFreeBufferSize() const { return device_free_buffer_size_; }
    bool UnderrunProtection() const { return underrun_protection_; }
    void SetUnderrunProtection(bool on) { underrun_protection_ = on; }
    bool TestWrite() const { return test_write_; }
    void SetTestWrite(bool on) { test_write_ = on; }
    bool FinalizeDisc() const { return finalize_disc_; }
    void SetFinalizeDisc(bool on) { finalize_disc_ = on; }
    // wmRAW | wmSAO | wmTAO accepted by ProbeWriteModes.
    std::uint8_t WriteModes() const { return write_modes_; }
    const TrackInformation& TrackInfo() const { return track_info_; }
    const std::array<std::uint8_t, kCapabilitiesPageSize>& CapabilitiesPage() const { return capabilities_page_; }
    const WriteParametersPage& WriteParametersPageSent() const { return write_parameters_page_; }

    TDiscType GetDiscType();
    bool IsDiscErasable();
    // -1 when the disc information cannot be read, else kDiscEmpty..kDiscOther.
    int GetDiscStatus();
    int GetSessionCount();
    // Blocks that can still be written on the disc in the drive.
    std::uint32_t GetDiscFreeBlocks();
    // Polls until the drive is ready, spending at most budget_ms.
    bool WaitForReady(int budget_ms, int interval_ms);
    bool SetWriteParameters(bool test_write, bool underrun_protection, bool dual_layer_multisession,
        std::uint8_t disc_type);

    // Process-wide: the disc type the last erase, erasable check or burn found.
    static std::uint8_t CurrentDiscType();
    static void SetCurrentDiscType(std::uint8_t type);

    // ---- Erase -------------------------------------------------------------

    using TEraseDoneEvent = std::function<void(TSCSIDevice* sender, bool WithError)>;

    // Starts erasing the disc (kBlankFull or kBlankQuick); true when the
    // erase thread runs. A rejected start fires OnEraseDone(true) at once.
    bool EraseDisc(std::uint8_t blanking_type);
    // The erase thread's percentage while Erasing, else 0.
    int EraseProgress() const;
    bool Erasing() const { return erasing_; }
    // Delivered on the main thread through the dispatcher.
    TEraseDoneEvent OnEraseDone;

private:
    friend class TEraseThread;

    static constexpr std::uint16_t kModeBufferSize = 512;

    // Sends a command with its buffer; true on SS_COMP (or SS_PENDING when
    // accept_pending).
    bool send_command(const MmcCommand& command, void* buffer, bool accept_pending = false);
    bool read_disc_information();
    std::uint32_t iso_volume_size_on_disc();
    bool start_erase(std::uint8_t disc_type, std::uint8_t blanking_type);
    void reap_erase_thread();
    void stop_erase_thread();

    std::array<std::uint8_t, kCapabilitiesPageSize> capabilities_page_{};
    std::uint32_t device_capabilities_ = 0;
    std::uint16_t device_max_write_speed_ = 0;
    std::uint16_t device_max_read_speed_ = 0;
    std::uint16_t max_write_speed_ = 0;
    std::uint16_t max_read_speed_ = 0;
    std::uint16_t current_write_speed_ = 0;
    std::uint16_t current_read_speed_ = 0;
    std::uint16_t buffer_size_kb_ = 0;
    std::uint16_t read_speed_ = 0;
    std::uint16_t write_speed_ = 0;
    std::atomic<std::uint32_t> device_buffer_size_{0};
    std::atomic<std::uint32_t> device_free_buffer_size_{0};
    bool underrun_protection_ = false;
    bool test_write_ = false;
    bool finalize_disc_ = false;
    std::uint8_t write_modes_ = 0;
    WriteParametersPage write_parameters_page_{};
    std::array<std::uint8_t, 26> atip_{};
    TrackInformation track_info_;
    std::array<std::uint8_t, kDiscInformationLength> disc_information_{};
    std::array<std::uint8_t, kFormatCapacitiesLength> format_capacities_{};
    std::array<std::uint8_t, 4096> mode_buffer_{};
    std::array<std::uint8_t, 128> configuration_{};

    std::atomic<bool> erasing_{false};
    std::uint8_t blanking_type_ = 0;
    struct EraseThreadDeleter {
        void operator()(TEraseThread* thread) const;
    };
    std::unique_ptr<TEraseThread, EraseThreadDeleter> erase_thread_;

public:

protected:
    // Builds LastErrorText, LastSense and TargetBusy from a failed request.
    void build_error_text(const SRB_ExecSCSICmd& request);
    // Writes the "<<< " failure line of a request when it is due.
    void write_failure_log_line(const SRB_ExecSCSICmd& request);

    std::string last_error_text_;
    bool target_busy_ = false;
    CommandFailure last_failure_;
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
