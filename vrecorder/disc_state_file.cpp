#include "vrecorder/disc_state_file.h"

#include <algorithm>
#include <string>

#include "platform/ini_file.h"

namespace valmuri::vrecorder {

namespace fs = std::filesystem;

namespace {

constexpr const char* disc_section = "disc";

std::string track_section(std::size_t number)
{
    return "track" + std::to_string(number);
}

std::uint32_t read_u32(const IniFile& ini, const std::string& section, const char* key)
{
    std::int64_t value = ini.read_int64(section, key, 0);
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, 0xFFFFFFFF));
}

} // namespace

fs::path state_path_for(const fs::path& image)
{
    fs::path state = image;
    state += ".state";
    return state;
}

std::optional<DiscRecord> load_disc_record(const fs::path& state)
{
    IniFile ini(state);
    if (!ini.exists() || !ini.section_exists(disc_section))
        return std::nullopt;
    std::optional<MediumKind> kind = parse_medium(ini.read_string(disc_section, "medium"));
    if (!kind)
        return std::nullopt;
    DiscRecord record;
    record.kind = *kind;
    record.capacity = read_u32(ini, disc_section, "capacity");
    record.formatted = ini.read_bool(disc_section, "formatted", false);
    record.restricted_overwrite = ini.read_bool(disc_section, "restricted_overwrite", false);
    record.closed_sessions = read_u32(ini, disc_section, "closed_sessions");
    record.finalized = ini.read_bool(disc_section, "finalized", false);
    record.recorded_end = read_u32(ini, disc_section, "recorded_end");
    std::uint32_t tracks = std::min<std::uint32_t>(read_u32(ini, disc_section, "tracks"), 99);
    for (std::uint32_t i = 1; i <= tracks; ++i) {
        std::string section = track_section(i);
        Track track;
        track.session = read_u32(ini, section, "session");
        track.start = read_u32(ini, section, "start");
        track.written = read_u32(ini, section, "written");
        track.reserved = read_u32(ini, section, "reserved");
        track.closed = ini.read_bool(section, "closed", false);
        record.tracks.push_back(track);
    }
    return record;
}

bool save_disc_record(const fs::path& state, const DiscRecord& record)
{
    std::error_code error;
    if (state.has_parent_path())
        fs::create_directories(state.parent_path(), error);
    IniFile ini(state);
    ini.hold_writes();
    for (const std::string& section : ini.read_sections())
        ini.erase_section(section);
    ini.write_string(disc_section, "medium", medium_figures(record.kind).name);
    ini.write_integer(disc_section, "capacity", record.capacity);
    ini.write_bool(disc_section, "formatted", record.formatted);
    ini.write_bool(disc_section, "restricted_overwrite", record.restricted_overwrite);
    ini.write_integer(disc_section, "closed_sessions", record.closed_sessions);
    ini.write_bool(disc_section, "finalized", record.finalized);
    ini.write_integer(disc_section, "recorded_end", record.recorded_end);
    ini.write_integer(disc_section, "tracks", static_cast<std::int64_t>(record.tracks.size()));
    for (std::size_t i = 0; i < record.tracks.size(); ++i) {
        const Track& track = record.tracks[i];
        std::string section = track_section(i + 1);
        ini.write_integer(section, "session", track.session);
        ini.write_integer(section, "start", track.start);
        ini.write_integer(section, "written", track.written);
        ini.write_integer(section, "reserved", track.reserved);
        ini.write_bool(section, "closed", track.closed);
    }
    return ini.release_writes();
}

DiscRecord record_from_image(MediumKind kind, std::uint32_t capacity, std::uint64_t image_blocks,
                             bool dvd_rw_restricted_overwrite)
{
    DiscRecord record = Disc(kind, capacity).record();
    record.restricted_overwrite = kind == MediumKind::dvd_rw && dvd_rw_restricted_overwrite;
    if (record.restricted_overwrite)
        record.formatted = true;
    if (image_blocks == 0)
        return record;
    auto blocks = static_cast<std::uint32_t>(std::min<std::uint64_t>(image_blocks, capacity));
    if (Disc(record).overwritable()) {
        record.formatted = true;
        record.recorded_end = blocks;
        return record;
    }
    Track track;
    track.session = 1;
    track.start = 0;
    track.written = blocks;
    track.closed = true;
    record.tracks.push_back(track);
    record.closed_sessions = 1;
    record.finalized = true;
    return record;
}

} // namespace valmuri::vrecorder
