#pragma once
// Decisions of the writer thread that depend only on the disc type and the
// burn's options: what to prepare, how big each write is, when to retry, how
// to close. Kept apart from the thread so each can be checked on its own.

#include "platform/number_format.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace valmuri {

// DVD-RAM, DVD-RW in restricted overwrite and DVD+RW are overwritten in
// place: the new volume descriptors also go to the start of the disc. A
// sequential DVD-RW takes writes only at its next writable address, like a
// DVD-R; its sessions are found through the disc's table of contents.
bool writes_in_place(std::uint8_t disc_type);
// Media that take a SET STREAMING performance descriptor before writing.
bool takes_streaming(std::uint8_t disc_type);
// The drive's optimum power calibration runs unless the medium is a DVD-RAM,
// the write is a simulation, or calibration is switched off.
bool runs_opc(std::uint8_t disc_type, bool test_write, bool perform_opc);

// SET STREAMING performance descriptor (28 bytes, big-endian fields).
using PerformanceDescriptor = std::array<std::uint8_t, 28>;
// The descriptor for a burn up to end_sector at the given speeds (KB/s, 0 =
// drive's fastest), each over a 1000 ms window.
PerformanceDescriptor performance_descriptor(std::uint32_t end_sector, std::uint16_t read_speed,
                                             std::uint16_t write_speed);
// The fixed descriptor sent to DVD-R media before the track is reserved.
PerformanceDescriptor dvd_r_performance_descriptor();
// Sectors reserved for a DVD-R track: the image rounded up to 32 sectors.
std::uint32_t reserved_track_sectors(std::int64_t image_sectors);

// The speed part of the start line: "8 X (1,411 KB/s)" on CDs,
// "2.0 X (2,770 KB/s)" on DVD-R to DVD+R.
std::string start_speed_text(std::uint32_t kbps, std::uint8_t disc_type, const NumberFormat& format);

// Bytes sent for a block: DVD media always take whole 32-sector blocks.
std::uint32_t write_bytes_for(std::uint8_t disc_type, std::uint32_t block_bytes);
// The progress value after adding bytes: never beyond the image.
std::int64_t add_bytes_written(std::int64_t written, std::uint32_t bytes, std::int64_t image_sectors);

inline constexpr int kWriteRetries = 10000;
inline constexpr std::uint32_t kWriteRetryMs = 600;

// Paces the drive buffer queries: one every fifth block, the first at the
// sixth; a failed query ends them for the burn.
class BufferQueryCountdown {
public:
    // True when this block's query is due; call once per block.
    bool due(bool buffer_readable) const { return countdown_ == 0 && buffer_readable; }
    // After the block: a successful query restarts the countdown.
    void next(bool queried_ok)
    {
        if (queried_ok)
            countdown_ = 5;
        --countdown_;
    }

private:
    int countdown_ = 5;
};

// A free-buffer figure of 0xFFFFFFFF means the whole buffer is free.
std::uint32_t free_buffer_bytes(std::uint32_t size, std::uint32_t free);

// One CLOSE TRACK/SESSION command.
struct CloseStep {
    std::uint8_t function = 2; // 1 track, 2 session, 3 DVD+RW, 6 finalize DVD+R DL
    std::uint8_t track = 0;
    bool immediate = false;
    bool operator==(const CloseStep&) const = default;
};
// The commands that close a track written as track number `track`.
// immediate_close: the drive model accepts IMMED when closing a CD session.
std::vector<CloseStep> close_plan(std::uint8_t disc_type, std::uint8_t track, bool finalize_disc,
                                  bool immediate_close);

} // namespace valmuri
