#pragma once
// The recorders the library emulates, read from an INI file: one section per
// recorder, at most eight (targets 0 to 7 of host adapter 0).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "vrecorder/medium.h"

namespace valmuri::vrecorder {

// Switches that make a recorder misbehave on purpose, for tests.
struct FaultConfig {
    std::uint32_t busy_commands = 0;      // answer BUSY to this many commands
    std::uint32_t not_ready_commands = 0; // answer NOT READY to this many medium commands
    std::optional<std::uint8_t> fault_command; // limit the two counts above to one opcode
    std::optional<std::uint8_t> not_ready_after; // the not-ready count starts anew each time this opcode succeeds
    std::optional<std::uint32_t> medium_error_sector; // READ or WRITE touching it fails
    std::optional<std::uint8_t> never_complete;       // this opcode stays pending for ever
    std::uint32_t never_complete_after = 0;           // ... after this many normal completions
    std::optional<std::uint8_t> host_error;           // this opcode fails at the host adapter: SELECTION TIMEOUT, no sense
    std::uint32_t host_error_after = 0;               // ... after this many normal completions
    bool never_ready = false;
    bool reject_blank = false;
};

struct RecorderConfig {
    std::string name;
    std::optional<MediumKind> medium; // none: the tray is empty
    std::filesystem::path image;
    std::string next_image;            // pattern with %d, empty for none
    std::uint32_t speed = 0;           // KB/s, 0 = unlimited
    std::uint32_t capacity = 0;        // blocks, 0 = the medium's own
    bool dvd_rw_restricted_overwrite = false; // mode of a blank DVD-RW
    bool auto_load = true;             // the tray closes by itself after an eject
    std::filesystem::path tray_log;    // "open"/"closed" appended as the tray moves; empty for none
    FaultConfig faults;
};

struct BusConfig {
    std::vector<RecorderConfig> recorders;
    std::vector<std::string> warnings;
};

inline constexpr std::size_t max_recorders = 8;

// VALMURI_VRECORDER, else $XDG_CONFIG_HOME/valmuri-mp3/vrecorder.ini.
std::filesystem::path default_config_path();
// One blank 80-minute CD-R in $XDG_DATA_HOME/valmuri-mp3/disc.iso.
BusConfig default_bus_config();
// Reads a configuration file; relative paths are taken from its folder.
BusConfig read_bus_config(const std::filesystem::path& file);

// The pattern with its %d replaced by index.
std::filesystem::path expand_image_pattern(const std::string& pattern, int index);

} // namespace valmuri::vrecorder
