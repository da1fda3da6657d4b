#pragma once
// One emulated MMC recorder: a tray, a disc, a buffer, write parameters and
// fault switches, answering command descriptor blocks the way a strict
// drive does. The command families live in their own files.

#include <array>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "platform/clock.h"
#include "vrecorder/config.h"
#include "vrecorder/disc.h"
#include "vrecorder/fault_injection.h"
#include "vrecorder/image_store.h"
#include "vrecorder/write_pacer.h"

namespace valmuri::vrecorder {

enum class DataDirection { none, in, out, unspecified };

struct CommandRequest {
    std::array<std::uint8_t, 16> cdb{}; // LUN bits of byte 1 already cleared
    std::uint8_t cdb_length = 0;
    DataDirection direction = DataDirection::none;
    std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
};

enum class CommandStatus { good, check_condition, busy, data_phase_error, selection_timeout, never_completes };

struct CommandResult {
    CommandStatus status = CommandStatus::good;
    Sense sense;

    static CommandResult ok() { return {}; }
    static CommandResult check(Sense sense) { return {CommandStatus::check_condition, sense}; }
    static CommandResult from(Sense sense) { return sense.none() ? ok() : check(sense); }
};

// Size of mode page 05 as this recorder keeps it (page code, length 0x32, 50 bytes).
inline constexpr std::size_t write_parameters_page_size = 52;

class Recorder {
public:
    Recorder(RecorderConfig config, std::uint8_t target, Clock& clock = default_clock());
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Runs one command; safe to call from several threads.
    CommandResult execute(const CommandRequest& request);

    const RecorderConfig& config() const { return config_; }

private:
    // recorder.cpp
    CommandResult dispatch(const CommandRequest& request);
    static bool needs_medium(std::uint8_t opcode);
    // Commands that leave an open tray open even when it closes by itself.
    static bool tray_command(std::uint8_t opcode);
    CommandResult deliver(const CommandRequest& request, std::span<const std::uint8_t> response,
                          std::uint32_t allocation_length);
    std::uint32_t max_write_speed() const;
    std::uint32_t max_read_speed() const;
    std::vector<std::uint32_t> write_speeds() const;
    void apply_pacing();
    bool test_write() const;
    std::uint8_t multisession_field() const;

    // command_checks.cpp
    // The data phase as the CDB announces it: direction and exact length.
    CommandResult check_transfer(const CommandRequest& request) const;
    // CDB length and reserved bits.
    Sense check_cdb(const CommandRequest& request) const;
    // Page 05 values the loaded medium cannot take.
    Sense check_write_parameters_for_medium(std::span<const std::uint8_t> page) const;

    // tray.cpp
    void load_disc(const std::filesystem::path& image);
    void save_disc();
    void refresh_from_disk();
    Sense eject();
    void close_tray();
    // Appends the tray's new position to the tray log, when there is one.
    void log_tray(const char* position) const;
    Sense ensure_medium();
    std::filesystem::path next_blank_image();

    // identity_commands.cpp
    CommandResult inquiry(const CommandRequest& request);
    CommandResult request_sense(const CommandRequest& request, bool not_ready);
    CommandResult start_stop_unit(const CommandRequest& request);
    CommandResult prevent_allow_medium_removal(const CommandRequest& request);

    // mode_pages.cpp
    CommandResult mode_sense(const CommandRequest& request);
    CommandResult mode_select(const CommandRequest& request);
    CommandResult set_cd_speed(const CommandRequest& request);
    CommandResult set_streaming(const CommandRequest& request);
    std::vector<std::uint8_t> capabilities_page(bool defaults) const;
    Sense select_write_parameters(std::span<const std::uint8_t> page);

    // disc_information.cpp
    CommandResult read_disc_information(const CommandRequest& request);
    CommandResult read_track_information(const CommandRequest& request);
    CommandResult read_toc_pma_atip(const CommandRequest& request);
    CommandResult read_capacity(const CommandRequest& request);
    CommandResult read_format_capacities(const CommandRequest& request);
    CommandResult read_buffer_capacity(const CommandRequest& request);

    // features.cpp
    CommandResult get_configuration(const CommandRequest& request);

    // recording.cpp
    CommandResult write_10(const CommandRequest& request);
    CommandResult read_10(const CommandRequest& request);
    CommandResult synchronize_cache(const CommandRequest& request);
    CommandResult close_track_session(const CommandRequest& request);
    CommandResult reserve_track(const CommandRequest& request);
    CommandResult send_dvd_structure(const CommandRequest& request);

    // erase_commands.cpp
    CommandResult blank(const CommandRequest& request);
    CommandResult format_unit(const CommandRequest& request);

    std::mutex mutex_;
    RecorderConfig config_;
    std::uint8_t target_;
    Clock& clock_;
    FaultInjector faults_;
    WritePacer pacer_;
    ImageStore image_;
    std::optional<Disc> disc_;       // none: no disc in the drive
    std::optional<Disc> test_disc_;  // the disc as a test write sees it
    bool dirty_ = false;             // disc changed since it was last saved
    std::filesystem::file_time_type state_time_{};
    bool tray_open_ = false;
    bool removal_prevented_ = false;
    int next_image_index_ = 1;
    std::array<std::uint8_t, write_parameters_page_size> write_parameters_{};
    std::uint32_t read_speed_ = 0;
    std::uint32_t write_speed_ = 0;
};

} // namespace valmuri::vrecorder
