#include "vrecorder/config.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ini_file.h"

namespace valmuri::vrecorder {

namespace fs = std::filesystem;

namespace {

fs::path xdg_folder(const char* variable, const char* fallback_below_home)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/')
        return fs::path(value);
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr ? home : "/tmp") / fallback_below_home;
}

fs::path resolve(const std::string& text, const fs::path& base)
{
    if (text.size() >= 2 && text[0] == '~' && text[1] == '/') {
        const char* home = std::getenv("HOME");
        return fs::path(home != nullptr ? home : "/") / text.substr(2);
    }
    fs::path path(text);
    return path.is_absolute() ? path : base / path;
}

std::string trimmed_lower(std::string text)
{
    std::size_t first = text.find_first_not_of(" \t");
    std::size_t last = text.find_last_not_of(" \t");
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Opcodes are written in hexadecimal, with or without "0x": 2A, 0x2a.
std::optional<std::uint8_t> parse_opcode(const std::string& raw)
{
    std::string text = trimmed_lower(raw);
    if (text.rfind("0x", 0) == 0)
        text = text.substr(2);
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str(), &end, 16);
    if (*end != '\0')
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

std::uint32_t read_count(const IniFile& ini, const std::string& section, const char* key)
{
    std::int64_t value = ini.read_int64(section, key, 0);
    return value < 0 ? 0 : static_cast<std::uint32_t>(std::min<std::int64_t>(value, 0xFFFFFFFF));
}

RecorderConfig read_recorder(const IniFile& ini, const std::string& section, const fs::path& base,
                             std::vector<std::string>& warnings)
{
    RecorderConfig config;
    config.name = section;
    std::string medium = trimmed_lower(ini.read_string(section, "medium", "cd-r"));
    if (medium != "none") {
        config.medium = parse_medium(medium);
        if (!config.medium)
            warnings.push_back("[" + section + "] unknown medium \"" + medium + "\": the tray is empty");
    }
    std::string image = ini.read_string(section, "image");
    if (image.empty())
        image = section + ".iso";
    config.image = resolve(image, base);
    std::string next = ini.read_string(section, "next_image");
    if (!next.empty())
        config.next_image = resolve(next, base).string();
    config.speed = read_count(ini, section, "speed");
    config.capacity = read_count(ini, section, "capacity");
    std::string mode = trimmed_lower(ini.read_string(section, "dvd_rw_mode", "sequential"));
    config.dvd_rw_restricted_overwrite = mode == "restricted" || mode == "restricted-overwrite";
    config.auto_load = ini.read_bool(section, "auto_load", true);
    std::string tray_log = ini.read_string(section, "tray_log");
    if (!tray_log.empty())
        config.tray_log = resolve(tray_log, base);

    FaultConfig& faults = config.faults;
    faults.busy_commands = read_count(ini, section, "busy_commands");
    faults.not_ready_commands = read_count(ini, section, "not_ready_commands");
    std::string command = ini.read_string(section, "fault_command");
    if (!command.empty()) {
        faults.fault_command = parse_opcode(command);
        if (!faults.fault_command)
            warnings.push_back("[" + section + "] fault_command is not an opcode: " + command);
    }
    std::string after = ini.read_string(section, "not_ready_after");
    if (!after.empty()) {
        faults.not_ready_after = parse_opcode(after);
        if (!faults.not_ready_after)
            warnings.push_back("[" + section + "] not_ready_after is not an opcode: " + after);
    }
    std::int64_t sector = ini.read_int64(section, "medium_error_sector", -1);
    if (sector >= 0 && sector <= 0xFFFFFFFF)
        faults.medium_error_sector = static_cast<std::uint32_t>(sector);
    std::string hang = ini.read_string(section, "never_complete");
    if (!hang.empty()) {
        faults.never_complete = parse_opcode(hang);
        if (!faults.never_complete)
            warnings.push_back("[" + section + "] never_complete is not an opcode: " + hang);
    }
    faults.never_complete_after = read_count(ini, section, "never_complete_after");
    std::string host_error = ini.read_string(section, "host_error");
    if (!host_error.empty()) {
        faults.host_error = parse_opcode(host_error);
        if (!faults.host_error)
            warnings.push_back("[" + section + "] host_error is not an opcode: " + host_error);
    }
    faults.host_error_after = read_count(ini, section, "host_error_after");
    faults.never_ready = ini.read_bool(section, "never_ready", false);
    faults.reject_blank = ini.read_bool(section, "reject_blank", false);
    return config;
}

} // namespace

fs::path default_config_path()
{
    const char* named = std::getenv("VALMURI_VRECORDER");
    if (named != nullptr && named[0] != '\0')
        return fs::path(named);
    return xdg_folder("XDG_CONFIG_HOME", ".config") / "valmuri-mp3" / "vrecorder.ini";
}

BusConfig default_bus_config()
{
    BusConfig bus;
    RecorderConfig config;
    config.name = "recorder";
    config.medium = MediumKind::cd_r;
    fs::path folder = xdg_folder("XDG_DATA_HOME", ".local/share") / "valmuri-mp3";
    config.image = folder / "disc.iso";
    // Several copies in one run each get their own image.
    config.next_image = (folder / "disc-%d.iso").string();
    bus.recorders.push_back(config);
    return bus;
}

BusConfig read_bus_config(const fs::path& file)
{
    BusConfig bus;
    IniFile ini(file);
    fs::path base = file.has_parent_path() ? file.parent_path() : fs::current_path();
    for (const std::string& section : ini.read_sections()) {
        if (bus.recorders.size() == max_recorders) {
            bus.warnings.push_back("more than eight recorders: [" + section + "] and the rest are left out");
            break;
        }
        bus.recorders.push_back(read_recorder(ini, section, base, bus.warnings));
    }
    return bus;
}

fs::path expand_image_pattern(const std::string& pattern, int index)
{
    std::string text = pattern;
    std::size_t at = text.find("%d");
    std::string number = std::to_string(index);
    if (at != std::string::npos) {
        text.replace(at, 2, number);
    } else {
        // No placeholder: the number goes before the extension.
        fs::path path(text);
        return path.parent_path() / (path.stem().string() + "-" + number + path.extension().string());
    }
    return fs::path(text);
}

} // namespace valmuri::vrecorder
