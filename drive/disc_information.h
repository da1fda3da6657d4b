#pragma once
// Reading the answers of READ DISC INFORMATION, READ TRACK INFORMATION,
// READ FORMAT CAPACITIES and READ BUFFER CAPACITY.

#include <array>
#include <cstddef>
#include <cstdint>

namespace valmuri {

inline constexpr std::uint16_t kDiscInformationLength = 56;

enum DiscStatus : int {
    kDiscStatusUnknown = -1, // the disc information could not be read
    kDiscEmpty = 0,
    kDiscAppendable = 1,
    kDiscComplete = 2,
    kDiscOther = 3,
};

// Disc status (byte 2 bits 0-1).
int disc_status(const std::uint8_t* info);
// Erasable bit (byte 2 bit 4).
bool disc_is_erasable(const std::uint8_t* info);
// Sessions on the disc: 0 for an empty disc; an empty last session (the one
// still open for writing) is not counted.
int session_count(const std::uint8_t* info);
// Last track in the last session (byte 6).
inline std::uint8_t last_track_in_last_session(const std::uint8_t* info)
{
    return info[6];
}

// READ TRACK INFORMATION answer with its fields in host order.
struct TrackInformation {
    std::array<std::uint8_t, 40> raw{};
    std::uint16_t data_length = 0;
    std::uint32_t track_start = 0;      // bytes 8-11
    std::uint32_t next_writable = 0;    // bytes 12-15
    std::uint32_t free_blocks = 0;      // bytes 16-19
    std::uint32_t fixed_packet_size = 0; // bytes 20-23
    std::uint32_t track_size = 0;       // bytes 24-27
    std::uint32_t last_recorded = 0;    // bytes 28-31
};
TrackInformation parse_track_information(const std::uint8_t* answer);

inline constexpr std::uint32_t kNoTrackSize = 0xFFFFFFFF;

// The formattable capacity in 2048-byte blocks from the first three
// capacity descriptors of READ FORMAT CAPACITIES.
std::uint32_t formatted_capacity(const std::uint8_t* answer);

// Volume space size of an ISO 9660 primary or supplementary volume
// descriptor, or 0 when block is not one.
std::uint32_t iso_volume_size(const std::uint8_t* block);

struct BufferCapacity {
    std::uint32_t size = 0;
    std::uint32_t free = 0;
};
// A drive that reports 0xFFFFFFFF free bytes has its whole buffer free.
BufferCapacity parse_buffer_capacity(const std::uint8_t* answer);

} // namespace valmuri
