#pragma once
// What is recorded on a disc: tracks and sessions of sequential media, the
// recorded extent and format state of overwritable media. Pure bookkeeping;
// the data itself lives in the image store.

#include <cstdint>
#include <optional>
#include <vector>

#include "vrecorder/medium.h"
#include "vrecorder/mmc.h"

namespace valmuri::vrecorder {

enum class DiscStatus : std::uint8_t { blank = 0, appendable = 1, complete = 2 };
enum class SessionState : std::uint8_t { empty = 0, incomplete = 1, complete = 3 };

struct Track {
    std::uint32_t session = 1;
    std::uint32_t start = 0;
    std::uint32_t written = 0;  // blocks recorded from start
    std::uint32_t reserved = 0; // size of a reserved track, 0 for a variable one
    bool closed = false;

    std::uint32_t size() const { return reserved != 0 ? reserved : written; }
    std::uint32_t end() const { return start + size(); }
    friend bool operator==(const Track&, const Track&) = default;
};

// Everything that defines a disc's state; stored beside the image.
struct DiscRecord {
    MediumKind kind = MediumKind::cd_r;
    std::uint32_t capacity = 0;
    bool formatted = false;            // DVD+RW, DVD-RAM, DVD-RW restricted overwrite
    bool restricted_overwrite = false; // DVD-RW recording mode
    std::vector<Track> tracks;
    std::uint32_t closed_sessions = 0;
    bool finalized = false;
    std::uint32_t recorded_end = 0;    // overwritable media: one past the highest block written
    friend bool operator==(const DiscRecord&, const DiscRecord&) = default;
};

// Fields of a READ TRACK INFORMATION answer.
struct TrackView {
    std::uint32_t number = 0;
    std::uint32_t session = 0;
    std::uint32_t start = 0;
    std::uint32_t next_writable = 0;
    std::uint32_t free_blocks = 0;
    std::uint32_t size = 0;
    std::uint32_t last_recorded = 0;
    std::uint32_t packet_size = 0;
    bool blank = false;
    bool reserved = false;
    bool incremental = false;
    bool fixed_packet = false;
    bool next_writable_valid = false;
    bool last_recorded_valid = false;
    bool data = false; // holds recorded data (mode 1)
};

class Disc {
public:
    // A blank disc as it comes out of its wrapper.
    Disc(MediumKind kind, std::uint32_t capacity);
    explicit Disc(DiscRecord record) : record_(std::move(record)) {}

    const DiscRecord& record() const { return record_; }
    MediumKind kind() const { return record_.kind; }
    const MediumFigures& figures() const { return medium_figures(record_.kind); }
    std::uint32_t capacity() const { return record_.capacity; }
    Profile profile() const;
    bool cd() const { return figures().cd; }
    // Written in place at any block (formatted DVD+RW, DVD-RAM, restricted overwrite DVD-RW).
    bool overwritable() const;
    bool formatted() const { return record_.formatted; }
    // Nothing recorded: the image can go.
    bool empty() const;

    DiscStatus status() const;
    SessionState last_session_state() const;
    std::uint32_t session_count() const; // as READ DISC INFORMATION reports it
    std::uint32_t first_track_in_last_session() const;
    std::uint32_t last_track_in_last_session() const;
    std::uint32_t closed_sessions() const { return record_.closed_sessions; }
    const std::vector<Track>& tracks() const { return record_.tracks; }

    // Start of the invisible (blank) track, when the disc takes another track.
    std::optional<std::uint32_t> invisible_track_start() const;
    std::optional<TrackView> track_info(std::uint32_t number) const;
    // One past the last block a READ may reach.
    std::uint32_t readable_end() const;

    // Checks a READ or WRITE the way a strict recorder does; ok() when allowed.
    Sense check_read(std::uint32_t lba, std::uint32_t blocks) const;
    Sense check_write(std::uint32_t lba, std::uint32_t blocks) const;
    // Records a write that check_write allowed.
    void record_write(std::uint32_t lba, std::uint32_t blocks);

    // Track number 0xFF means the open track.
    Sense close_track(std::uint32_t number);
    // Closes the open session; allow_next leaves the disc appendable.
    Sense close_session(bool allow_next);
    // Ends an open variable track (track-at-once on CD ends with the cache
    // flush); true when there was one.
    bool end_open_track();
    Sense reserve_track(std::uint32_t blocks);
    // BLANK types 0 (full) and 1 (minimal) make an erasable sequential disc blank.
    Sense blank(std::uint8_t type);
    // FORMAT UNIT with a format type; the disc ends up formatted and empty.
    Sense format(std::uint8_t format_type);

private:
    bool sequential() const { return !overwritable(); }
    std::uint32_t next_track_start() const;
    std::uint32_t align(std::uint32_t block) const;
    // The track a write may extend: an open variable track or an open reserved one.
    std::optional<std::size_t> open_track_at(std::uint32_t lba) const;
    std::uint32_t open_session() const { return record_.closed_sessions + 1; }

    DiscRecord record_;
};

} // namespace valmuri::vrecorder
