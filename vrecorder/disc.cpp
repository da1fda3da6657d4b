#include "vrecorder/disc.h"

#include <algorithm>

namespace valmuri::vrecorder {

namespace {

// Track-at-once on CD leaves run-out blocks and the next track's pre-gap
// between two tracks of one session.
constexpr std::uint32_t cd_track_gap = 2 + 150;
// DVD-R incremental recording writes fixed packets of one ECC block.
constexpr std::uint32_t dvd_packet_blocks = 16;

} // namespace

Disc::Disc(MediumKind kind, std::uint32_t capacity)
{
    record_.kind = kind;
    record_.capacity = capacity;
    record_.formatted = kind == MediumKind::dvd_ram;
}

Profile Disc::profile() const
{
    switch (record_.kind) {
    case MediumKind::cd_r: return Profile::cd_r;
    case MediumKind::cd_rw: return Profile::cd_rw;
    case MediumKind::dvd_r: return Profile::dvd_r_sequential;
    case MediumKind::dvd_rw:
        return record_.restricted_overwrite ? Profile::dvd_rw_restricted_overwrite : Profile::dvd_rw_sequential;
    case MediumKind::dvd_plus_r: return Profile::dvd_plus_r;
    case MediumKind::dvd_plus_rw: return Profile::dvd_plus_rw;
    case MediumKind::dvd_ram: return Profile::dvd_ram;
    case MediumKind::dvd_plus_r_dl: return Profile::dvd_plus_r_dl;
    }
    return Profile::none;
}

bool Disc::overwritable() const
{
    return record_.kind == MediumKind::dvd_plus_rw || record_.kind == MediumKind::dvd_ram
        || (record_.kind == MediumKind::dvd_rw && record_.restricted_overwrite);
}

bool Disc::empty() const
{
    if (overwritable())
        return record_.recorded_end == 0;
    return record_.tracks.empty() && record_.closed_sessions == 0;
}

DiscStatus Disc::status() const
{
    if (overwritable())
        return record_.formatted ? DiscStatus::complete : DiscStatus::blank;
    if (record_.finalized)
        return DiscStatus::complete;
    if (record_.tracks.empty() && record_.closed_sessions == 0)
        return DiscStatus::blank;
    return DiscStatus::appendable;
}

SessionState Disc::last_session_state() const
{
    if (overwritable())
        return record_.formatted ? SessionState::complete : SessionState::empty;
    if (record_.finalized)
        return SessionState::complete;
    for (const Track& track : record_.tracks)
        if (track.session == open_session())
            return SessionState::incomplete;
    return SessionState::empty;
}

std::uint32_t Disc::session_count() const
{
    if (overwritable())
        return 1;
    return record_.closed_sessions + (record_.finalized ? 0 : 1);
}

std::uint32_t Disc::first_track_in_last_session() const
{
    if (overwritable())
        return 1;
    std::uint32_t session = record_.finalized ? record_.closed_sessions : open_session();
    for (std::size_t i = 0; i < record_.tracks.size(); ++i)
        if (record_.tracks[i].session == session)
            return static_cast<std::uint32_t>(i + 1);
    return static_cast<std::uint32_t>(record_.tracks.size() + 1);
}

std::uint32_t Disc::last_track_in_last_session() const
{
    if (overwritable())
        return 1;
    auto count = static_cast<std::uint32_t>(record_.tracks.size());
    if (invisible_track_start())
        return count + 1;
    return std::max<std::uint32_t>(count, 1);
}

std::uint32_t Disc::align(std::uint32_t block) const
{
    std::uint32_t unit = figures().track_alignment;
    return (block + unit - 1) / unit * unit;
}

std::uint32_t Disc::next_track_start() const
{
    if (record_.tracks.empty())
        return 0;
    const Track& last = record_.tracks.back();
    if (last.session <= record_.closed_sessions) {
        std::uint32_t gap = record_.closed_sessions == 1 ? figures().first_session_gap : figures().later_session_gap;
        return align(last.end() + gap);
    }
    return align(last.end() + (cd() ? cd_track_gap : 0));
}

std::optional<std::uint32_t> Disc::invisible_track_start() const
{
    if (overwritable() || record_.finalized)
        return std::nullopt;
    if (!record_.tracks.empty()) {
        const Track& last = record_.tracks.back();
        if (!last.closed && last.reserved == 0)
            return std::nullopt; // the open track grows instead
    }
    std::uint32_t start = next_track_start();
    if (start >= record_.capacity)
        return std::nullopt;
    return start;
}

std::optional<TrackView> Disc::track_info(std::uint32_t number) const
{
    TrackView view;
    if (overwritable()) {
        if (number != 1 && number != 0xFF)
            return std::nullopt;
        view.number = 1;
        view.session = 1;
        view.start = 0;
        view.size = record_.capacity;
        view.next_writable = record_.recorded_end;
        view.next_writable_valid = record_.formatted;
        view.free_blocks = record_.capacity - std::min(record_.capacity, record_.recorded_end);
        view.last_recorded = record_.recorded_end > 0 ? record_.recorded_end - 1 : 0;
        view.last_recorded_valid = record_.recorded_end > 0;
        view.blank = !record_.formatted;
        view.fixed_packet = true;
        view.packet_size = dvd_packet_blocks;
        view.data = record_.formatted;
        return view;
    }

    auto count = static_cast<std::uint32_t>(record_.tracks.size());
    std::optional<std::uint32_t> invisible = invisible_track_start();
    if (number == 0xFF) {
        if (invisible)
            number = count + 1;
        else if (count > 0 && !record_.tracks.back().closed)
            number = count;
        else
            return std::nullopt;
    }
    bool incremental = !cd();
    if (number >= 1 && number <= count) {
        const Track& track = record_.tracks[number - 1];
        view.number = number;
        view.session = track.session;
        view.start = track.start;
        view.reserved = track.reserved != 0;
        view.blank = track.written == 0;
        view.data = true;
        view.incremental = incremental;
        view.fixed_packet = incremental;
        view.packet_size = incremental ? dvd_packet_blocks : 0;
        std::uint32_t next = track.start + track.written;
        if (track.closed) {
            view.size = track.size();
        } else if (track.reserved != 0) {
            view.size = track.reserved;
            view.next_writable = next;
            view.next_writable_valid = next < track.end();
            view.free_blocks = track.end() - next;
        } else {
            view.size = record_.capacity - track.start;
            view.next_writable = next;
            view.next_writable_valid = next < record_.capacity;
            view.free_blocks = record_.capacity - next;
        }
        view.last_recorded = track.written > 0 ? next - 1 : 0;
        view.last_recorded_valid = track.written > 0;
        return view;
    }
    if (number == count + 1 && invisible) {
        view.number = number;
        view.session = open_session();
        view.start = *invisible;
        view.next_writable = *invisible;
        view.next_writable_valid = true;
        view.free_blocks = record_.capacity - *invisible;
        view.size = view.free_blocks;
        view.blank = true;
        view.incremental = incremental;
        view.fixed_packet = incremental;
        view.packet_size = incremental ? dvd_packet_blocks : 0;
        return view;
    }
    return std::nullopt;
}

std::uint32_t Disc::readable_end() const
{
    if (overwritable())
        return record_.formatted ? record_.capacity : 0;
    std::uint32_t end = 0;
    for (const Track& track : record_.tracks)
        end = std::max(end, track.start + track.written);
    return end;
}

Sense Disc::check_read(std::uint32_t lba, std::uint32_t blocks) const
{
    std::uint64_t end = std::uint64_t{lba} + blocks;
    if (overwritable()) {
        if (!record_.formatted)
            return sense::medium_not_formatted;
        return end > record_.capacity ? sense::lba_out_of_range : sense::ok;
    }
    if (blocks == 0)
        return sense::ok;
    for (const Track& track : record_.tracks)
        if (lba >= track.start && end <= std::uint64_t{track.start} + track.written)
            return sense::ok;
    return sense::lba_out_of_range;
}

std::optional<std::size_t> Disc::open_track_at(std::uint32_t lba) const
{
    for (std::size_t i = 0; i < record_.tracks.size(); ++i) {
        const Track& track = record_.tracks[i];
        if (!track.closed && track.reserved != 0 && lba >= track.start && lba < track.end())
            return i;
    }
    if (!record_.tracks.empty()) {
        const Track& last = record_.tracks.back();
        if (!last.closed && last.reserved == 0)
            return record_.tracks.size() - 1;
    }
    return std::nullopt;
}

Sense Disc::check_write(std::uint32_t lba, std::uint32_t blocks) const
{
    std::uint64_t end = std::uint64_t{lba} + blocks;
    if (overwritable()) {
        if (!record_.formatted)
            return sense::medium_not_formatted;
        return end > record_.capacity ? sense::lba_out_of_range : sense::ok;
    }
    if (record_.finalized)
        return sense::invalid_address_for_write;
    if (std::optional<std::size_t> index = open_track_at(lba)) {
        const Track* track = &record_.tracks[*index];
        if (lba != track->start + track->written)
            return sense::invalid_address_for_write;
        if (track->reserved != 0)
            return end > track->end() ? sense::end_of_user_area : sense::ok;
        return end > record_.capacity ? sense::lba_out_of_range : sense::ok;
    }
    std::optional<std::uint32_t> invisible = invisible_track_start();
    if (!invisible || lba != *invisible)
        return sense::invalid_address_for_write;
    return end > record_.capacity ? sense::lba_out_of_range : sense::ok;
}

void Disc::record_write(std::uint32_t lba, std::uint32_t blocks)
{
    if (blocks == 0)
        return;
    if (overwritable()) {
        record_.recorded_end = std::max(record_.recorded_end, lba + blocks);
        return;
    }
    if (std::optional<std::size_t> index = open_track_at(lba)) {
        record_.tracks[*index].written += blocks;
        return;
    }
    Track track;
    track.session = open_session();
    track.start = lba;
    track.written = blocks;
    record_.tracks.push_back(track);
}

Sense Disc::close_track(std::uint32_t number)
{
    if (overwritable())
        return sense::ok;
    auto count = static_cast<std::uint32_t>(record_.tracks.size());
    if (number == 0xFF) {
        for (Track& track : record_.tracks)
            if (!track.closed)
                number = static_cast<std::uint32_t>(&track - record_.tracks.data()) + 1;
        if (number == 0xFF)
            return sense::ok;
    }
    if (number >= 1 && number <= count) {
        Track& track = record_.tracks[number - 1];
        if (!track.closed) {
            // A reserved track closed early is padded to its reserved size.
            if (track.reserved != 0)
                track.written = track.reserved;
            track.closed = true;
        }
        return sense::ok;
    }
    if (number == count + 1 && invisible_track_start())
        return sense::ok;
    return sense::invalid_field_in_cdb;
}

Sense Disc::close_session(bool allow_next)
{
    if (overwritable() || record_.finalized)
        return sense::ok;
    bool had_tracks = false;
    for (Track& track : record_.tracks) {
        if (track.session != open_session())
            continue;
        had_tracks = true;
        if (!track.closed) {
            if (track.reserved != 0)
                track.written = track.reserved;
            track.closed = true;
        }
    }
    if (had_tracks)
        ++record_.closed_sessions;
    if (!allow_next) {
        if (record_.closed_sessions > 0)
            record_.finalized = true;
    } else if (had_tracks && next_track_start() >= record_.capacity) {
        record_.finalized = true;
    }
    return sense::ok;
}

bool Disc::end_open_track()
{
    if (overwritable() || record_.tracks.empty())
        return false;
    Track& last = record_.tracks.back();
    if (last.closed || last.reserved != 0 || last.written == 0)
        return false;
    last.closed = true;
    return true;
}

Sense Disc::reserve_track(std::uint32_t blocks)
{
    if (overwritable())
        return sense::incompatible_medium;
    if (record_.finalized)
        return sense::command_sequence_error;
    std::optional<std::uint32_t> start = invisible_track_start();
    if (!start)
        return sense::command_sequence_error;
    if (blocks == 0)
        return sense::invalid_field_in_cdb;
    std::uint32_t size = align(blocks);
    if (std::uint64_t{*start} + size > record_.capacity)
        return sense::invalid_field_in_cdb;
    Track track;
    track.session = open_session();
    track.start = *start;
    track.reserved = size;
    record_.tracks.push_back(track);
    return sense::ok;
}

Sense Disc::blank(std::uint8_t type)
{
    if (record_.kind != MediumKind::cd_rw && record_.kind != MediumKind::dvd_rw)
        return sense::incompatible_medium;
    if (type > 1)
        return sense::invalid_field_in_cdb;
    // Blanking leaves a DVD-RW in sequential recording mode.
    record_ = Disc(record_.kind, record_.capacity).record();
    return sense::ok;
}

Sense Disc::format(std::uint8_t format_type)
{
    switch (record_.kind) {
    case MediumKind::dvd_plus_rw:
        if (format_type != 0x26)
            return sense::invalid_field_in_parameter_list;
        break;
    case MediumKind::dvd_ram:
        if (format_type > 0x01)
            return sense::invalid_field_in_parameter_list;
        break;
    case MediumKind::dvd_rw:
        if (format_type != 0x10 && format_type != 0x15)
            return sense::invalid_field_in_parameter_list;
        break;
    default:
        return sense::cannot_format_incompatible_medium;
    }
    record_ = Disc(record_.kind, record_.capacity).record();
    record_.formatted = true;
    record_.restricted_overwrite = record_.kind == MediumKind::dvd_rw;
    return sense::ok;
}

} // namespace valmuri::vrecorder
