#include "drive/write_parameters.h"

#include "drive/capabilities.h"
#include "drive/disc_type.h"
#include "platform/endian.h"

#include <algorithm>

namespace valmuri {
namespace {

constexpr std::uint8_t kBufe = 0x40;
constexpr std::uint8_t kLinkSizeValid = 0x20;
constexpr std::uint8_t kTestWrite = 0x10;
constexpr std::uint8_t kMultiSession = 0xC0; // 11b: next session allowed
constexpr std::uint8_t kFixedPacket = 0x20;
constexpr std::uint8_t kTrackModeData = 0x04;
constexpr std::uint8_t kDataBlockMode1 = 8; // mode 1, 2048-byte blocks
constexpr std::uint16_t kAudioPause = 150;

void set_packet_size(WriteParametersPage& p, std::uint32_t size)
{
    put_be32(&p[10], size);
}

} // namespace

WriteParametersPage build_write_parameters(const WriteParametersPage& current, const WriteParameterOptions& o)
{
    WriteParametersPage p = current;
    const std::uint8_t type = o.disc_type;
    p[1] = 0x32;

    if (type == dtDVDR) {
        p[2] = 0x60;
        p[3] = 0xE5;
        p[5] = 16;
        set_packet_size(p, 16);
    } else {
        p[2] = 0x01; // track at once
        p[3] = kTrackModeData;
        p[5] = 0;
        set_packet_size(p, 0);
    }
    p[4] = kDataBlockMode1;

    if (type == dtDVDPlusRW || type == dtDVDPlusR) {
        p[2] = 0x22;
        p[3] |= kMultiSession;
    }
    if (o.link_size_quirk)
        p[2] |= kLinkSizeValid;

    switch (type) {
    case dtDVDR:
    case dtDVDRW:
    case dtDVDRWRestricted:
    case dtDVDRWSequential:
    case dtDVDPlusR:
        p[3] |= kMultiSession | kFixedPacket;
        break;
    default:
        if (!o.test_write && !o.finalize_disc)
            p[3] |= kMultiSession;
        else if ((p[3] & kMultiSession) == kMultiSession)
            p[3] &= static_cast<std::uint8_t>(~kMultiSession);
        break;
    }

    if ((o.capabilities & capUnderrunProtection) && o.underrun_protection)
        p[2] |= kBufe;
    else
        p[2] &= static_cast<std::uint8_t>(~kBufe);
    if ((o.capabilities & capTestWrite) && o.test_write)
        p[2] |= kTestWrite;
    else
        p[2] &= static_cast<std::uint8_t>(~kTestWrite);

    p[6] = p[7] = p[8] = p[9] = 0;

    // DVD-RW: incremental writing with fixed 16-block packets, never simulated.
    if (type == dtDVDRWRestricted || type == dtDVDRWSequential) {
        p[2] = 0x20;
        p[3] = 0xC5;
        p[5] = 16;
    }
    if (type == dtDVDPlusR)
        p[3] = 0xC4;

    if (type == dtDVDPlusRDL) {
        p[2] = static_cast<std::uint8_t>((p[2] & 0xF0) | kLinkSizeValid | 0x02);
        p[3] = static_cast<std::uint8_t>((p[3] & 0xD0) | kTrackModeData);
        p[5] = 0;
        set_packet_size(p, 0);
        if (o.dual_layer_multisession)
            p[3] |= kMultiSession;
        else
            p[3] &= static_cast<std::uint8_t>(~kMultiSession);
    } else if (o.underrun_protection && (o.capabilities_page_byte4 & 0x80)) {
        p[2] |= kBufe;
    }

    if (type == dtDVDPlusRW) {
        p[3] = kTrackModeData;
        p[5] = 16;
    }
    put_be16(&p[14], kAudioPause);
    return p;
}

std::array<std::uint8_t, kWriteParametersListSize> write_parameters_list(const WriteParametersPage& page)
{
    std::array<std::uint8_t, kWriteParametersListSize> list{};
    std::copy_n(page.begin(), kWriteParametersListSize - kModeHeaderSize, list.begin() + kModeHeaderSize);
    return list;
}

WriteModeProbe write_mode_probe(const WriteParametersPage& current, WriteMode mode)
{
    WriteParametersPage p = current;
    p[4] = mode == wmRAW ? 1 : 0;
    p[2] = mode == wmRAW ? 3 : mode == wmSAO ? 2 : 1;
    p[3] = 0;
    p[8] = 0;
    p[9] = 0;
    put_be16(&p[14], kAudioPause);

    WriteModeProbe probe;
    std::copy(p.begin(), p.end(), probe.list.begin() + kModeHeaderSize);
    probe.length = static_cast<std::uint16_t>(std::min<std::size_t>(p[1] + 10u, probe.list.size()));
    return probe;
}

} // namespace valmuri
