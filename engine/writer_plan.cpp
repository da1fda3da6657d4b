#include "engine/writer_plan.h"

#include "drive/disc_type.h"
#include "platform/endian.h"

namespace valmuri {

bool writes_in_place(std::uint8_t disc_type)
{
    return disc_type == dtDVDRAM || disc_type == dtDVDRWRestricted || disc_type == dtDVDPlusRW;
}

bool takes_streaming(std::uint8_t disc_type)
{
    switch (disc_type) {
    case dtDVDR:
    case dtDVDRWRestricted:
    case dtDVDRWSequential:
    case dtDVDPlusRW:
    case dtDVDPlusR:
    case dtDVDPlusRDL:
        return true;
    default:
        return false;
    }
}

bool runs_opc(std::uint8_t disc_type, bool test_write, bool perform_opc)
{
    return disc_type != dtDVDRAM && !test_write && perform_opc;
}

namespace {

std::uint32_t streaming_size(std::uint16_t kbps)
{
    return static_cast<std::uint32_t>(kbps / 1385.0 * 1440.25);
}

} // namespace

PerformanceDescriptor performance_descriptor(std::uint32_t end_sector, std::uint16_t read_speed,
                                             std::uint16_t write_speed)
{
    PerformanceDescriptor d{};
    put_be32(d.data() + 4, 0);
    put_be32(d.data() + 8, end_sector);
    put_be32(d.data() + 12, streaming_size(read_speed));
    put_be32(d.data() + 16, 1000);
    put_be32(d.data() + 20, streaming_size(write_speed));
    put_be32(d.data() + 24, 1000);
    return d;
}

PerformanceDescriptor dvd_r_performance_descriptor()
{
    PerformanceDescriptor d{};
    put_be32(d.data() + 8, 0x0023127F);
    put_be32(d.data() + 12, 0x0000ABBD);
    put_be32(d.data() + 16, 1000);
    put_be32(d.data() + 20, 0x0000058A);
    put_be32(d.data() + 24, 1000);
    return d;
}

std::uint32_t reserved_track_sectors(std::int64_t image_sectors)
{
    return static_cast<std::uint32_t>((image_sectors + 31) / 32 * 32);
}

std::string start_speed_text(std::uint32_t kbps, std::uint8_t disc_type, const NumberFormat& format)
{
    bool dvd = false;
    switch (disc_type) {
    case dtDVDR:
    case dtDVDRAM:
    case dtDVDRW:
    case dtDVDRWRestricted:
    case dtDVDRWSequential:
    case dtDVDPlusRW:
    case dtDVDPlusR:
        dvd = true;
        break;
    default:
        break;
    }
    const std::string multiple
        = dvd ? format_float("0.0", kbps / 1385.0, format) : format_float("0", kbps / 176.4, format);
    return multiple + format_float("X (#,##0 KB/s)", kbps, format);
}

std::uint32_t write_bytes_for(std::uint8_t disc_type, std::uint32_t block_bytes)
{
    return disc_type == dtCDR || disc_type == dtCDRW ? block_bytes : 65536;
}

std::int64_t add_bytes_written(std::int64_t written, std::uint32_t bytes, std::int64_t image_sectors)
{
    written += bytes;
    if (written / 2048 > image_sectors)
        written = image_sectors * 2048;
    return written;
}

std::uint32_t free_buffer_bytes(std::uint32_t size, std::uint32_t free)
{
    return free == 0xFFFFFFFFu ? size : free;
}

std::vector<CloseStep> close_plan(std::uint8_t disc_type, std::uint8_t track, bool finalize_disc,
                                  bool immediate_close)
{
    switch (disc_type) {
    case dtDVDPlusR:
        return {{1, track, false}, {2, 0xFF, false}};
    case dtDVDPlusRDL:
        return {{1, track, false}, {static_cast<std::uint8_t>(finalize_disc ? 6 : 2), 0xFF, false}};
    case dtDVDR:
        return {{1, track, true},
                {1, static_cast<std::uint8_t>(track + 1), true},
                {2, static_cast<std::uint8_t>(track + 2), true}};
    case dtDVDRWRestricted:
    case dtDVDRWSequential:
        return {{2, 0, true}};
    case dtDVDPlusRW:
        return {{3, 0xFF, false}};
    default:
        return {{2, 0, immediate_close}};
    }
}

} // namespace valmuri
