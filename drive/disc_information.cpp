#include "drive/disc_information.h"

#include "platform/endian.h"

#include <algorithm>
#include <cstring>

namespace valmuri {

int disc_status(const std::uint8_t* info)
{
    return info[2] & 0x03;
}

bool disc_is_erasable(const std::uint8_t* info)
{
    return (info[2] & 0x10) != 0;
}

int session_count(const std::uint8_t* info)
{
    if (disc_status(info) == kDiscEmpty)
        return 0;
    int sessions = info[4];
    const int last_session_state = (info[2] >> 2) & 0x03;
    if (last_session_state == 0 && sessions > 0)
        --sessions;
    return sessions;
}

TrackInformation parse_track_information(const std::uint8_t* answer)
{
    TrackInformation t;
    std::copy_n(answer, t.raw.size(), t.raw.begin());
    t.data_length = get_be16(answer);
    t.track_start = get_be32(answer + 8);
    t.next_writable = get_be32(answer + 12);
    t.free_blocks = get_be32(answer + 16);
    t.fixed_packet_size = get_be32(answer + 20);
    t.track_size = get_be32(answer + 24);
    t.last_recorded = get_be32(answer + 28);
    return t;
}

std::uint32_t formatted_capacity(const std::uint8_t* answer)
{
    static const std::uint8_t k2048[4] = {0x00, 0x00, 0x08, 0x00};
    static const std::uint8_t kPlusRWFull[4] = {0x98, 0x00, 0x00, 0x00};
    const std::uint32_t first = get_be32(answer + 4);
    const std::uint32_t second = get_be32(answer + 12);
    const std::uint32_t third = get_be32(answer + 20);
    if (std::memcmp(answer + 8, k2048, 4) == 0)
        return first;
    if (std::memcmp(answer + 16, k2048, 4) == 0 || std::memcmp(answer + 16, kPlusRWFull, 4) == 0)
        return second;
    if (std::memcmp(answer + 24, k2048, 4) == 0)
        return third;
    return first;
}

std::uint32_t iso_volume_size(const std::uint8_t* block)
{
    if ((block[0] != 1 && block[0] != 2) || std::memcmp(block + 1, "CD001", 5) != 0)
        return 0;
    return get_le32(block + 80);
}

BufferCapacity parse_buffer_capacity(const std::uint8_t* answer)
{
    BufferCapacity b;
    b.size = get_be32(answer + 4);
    const std::uint32_t free = get_be32(answer + 8);
    b.free = free == 0xFFFFFFFF ? b.size : free;
    return b;
}

} // namespace valmuri
