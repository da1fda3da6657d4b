// What the recorder tells about its disc: disc and track information, the
// TOC, session information and ATIP, capacities and the buffer level.

#include <algorithm>

#include "platform/endian.h"
#include "vrecorder/recorder.h"

namespace valmuri::vrecorder {

namespace {

// ATIP start of the lead-in of a blank disc.
constexpr Msf cd_r_lead_in{97, 26, 66};
constexpr Msf cd_rw_lead_in{97, 23, 50};
constexpr std::uint32_t cd_lead_in_blocks = 4500;

void put_msf(std::uint8_t* out, Msf msf)
{
    out[0] = 0;
    out[1] = msf.minute;
    out[2] = msf.second;
    out[3] = msf.frame;
}

void put_address(std::uint8_t* out, std::uint32_t lba, bool msf)
{
    if (msf)
        put_msf(out, lba_to_msf(lba));
    else
        put_be32(out, lba);
}

} // namespace

CommandResult Recorder::read_disc_information(const CommandRequest& request)
{
    if ((request.cdb[1] & 0x07) != 0)
        return CommandResult::check(sense::invalid_field_in_cdb); // only the standard data type
    const Disc& disc = *disc_;
    std::vector<std::uint8_t> data(34, 0);
    put_be16(&data[0], static_cast<std::uint16_t>(data.size() - 2));
    bool erasable = disc.figures().erasable;
    data[2] = static_cast<std::uint8_t>((erasable ? 0x10 : 0) | (static_cast<std::uint8_t>(disc.last_session_state()) << 2)
                                        | static_cast<std::uint8_t>(disc.status()));
    data[3] = 1;
    std::uint32_t sessions = disc.session_count();
    std::uint32_t first = disc.first_track_in_last_session();
    std::uint32_t last = disc.last_track_in_last_session();
    data[4] = static_cast<std::uint8_t>(sessions);
    data[5] = static_cast<std::uint8_t>(first);
    data[6] = static_cast<std::uint8_t>(last);
    data[7] = 0x20; // unrestricted use
    if (disc.kind() == MediumKind::dvd_plus_rw && disc.formatted())
        data[7] |= 0x03; // background format complete
    data[8] = 0x00;      // CD-ROM / data disc
    data[9] = static_cast<std::uint8_t>(sessions >> 8);
    data[10] = static_cast<std::uint8_t>(first >> 8);
    data[11] = static_cast<std::uint8_t>(last >> 8);
    if (disc.status() == DiscStatus::complete && !disc.overwritable()) {
        put_be32(&data[16], 0xFFFFFFFF);
        put_be32(&data[20], 0xFFFFFFFF);
    } else if (disc.cd()) {
        std::optional<std::uint32_t> next = disc.invisible_track_start();
        Msf lead_in = disc.kind() == MediumKind::cd_rw ? cd_rw_lead_in : cd_r_lead_in;
        if (next && *next > 0)
            lead_in = lba_to_msf(static_cast<std::int64_t>(*next) - cd_lead_in_blocks - cd_msf_offset);
        put_msf(&data[16], lead_in);
        put_msf(&data[20], lba_to_msf(disc.capacity()));
    } else {
        put_be32(&data[16], disc.invisible_track_start().value_or(0));
        put_be32(&data[20], disc.capacity());
    }
    return deliver(request, data, get_be16(&request.cdb[7]));
}

CommandResult Recorder::read_track_information(const CommandRequest& request)
{
    const Disc& disc = *disc_;
    std::uint32_t address = get_be32(&request.cdb[2]);
    std::optional<TrackView> view;
    switch (request.cdb[1] & 0x03) {
    case 0: { // the track holding a block
        auto count = static_cast<std::uint32_t>(disc.tracks().size());
        for (std::uint32_t n = 1; n <= count + 1 && !view; ++n) {
            std::optional<TrackView> candidate = disc.track_info(n);
            if (candidate && address >= candidate->start && address < candidate->start + std::max(candidate->size, 1u))
                view = candidate;
        }
        break;
    }
    case 1: // a track number; 0 would be the lead-in, which is not reported
        if (address != 0)
            view = disc.track_info(address);
        break;
    case 2: // the first track of a session
        for (std::uint32_t n = 1; n <= disc.tracks().size() + 1 && !view; ++n) {
            std::optional<TrackView> candidate = disc.track_info(n);
            if (candidate && candidate->session == address)
                view = candidate;
        }
        break;
    default:
        break;
    }
    if (!view)
        return CommandResult::check(sense::invalid_field_in_cdb);

    std::vector<std::uint8_t> data(36, 0);
    put_be16(&data[0], static_cast<std::uint16_t>(data.size() - 2));
    data[2] = static_cast<std::uint8_t>(view->number);
    data[3] = static_cast<std::uint8_t>(view->session);
    data[5] = view->incremental ? 0x05 : 0x04; // data track, recorded incrementally or at once
    data[6] = static_cast<std::uint8_t>((view->reserved ? 0x80 : 0) | (view->blank ? 0x40 : 0)
                                        | (view->incremental ? 0x20 : 0) | (view->fixed_packet ? 0x10 : 0)
                                        | (view->blank ? 0x0F : 0x01));
    data[7] = static_cast<std::uint8_t>((view->last_recorded_valid ? 0x02 : 0) | (view->next_writable_valid ? 0x01 : 0));
    put_be32(&data[8], view->start);
    put_be32(&data[12], view->next_writable_valid ? view->next_writable : 0);
    put_be32(&data[16], view->free_blocks);
    put_be32(&data[20], view->packet_size);
    put_be32(&data[24], view->size);
    put_be32(&data[28], view->last_recorded);
    data[32] = static_cast<std::uint8_t>(view->number >> 8);
    data[33] = static_cast<std::uint8_t>(view->session >> 8);
    return deliver(request, data, get_be16(&request.cdb[7]));
}

CommandResult Recorder::read_toc_pma_atip(const CommandRequest& request)
{
    const Disc& disc = *disc_;
    bool msf = (request.cdb[1] & 0x02) != 0;
    std::uint8_t format = request.cdb[2] & 0x0F;
    if (format == 0 && (request.cdb[9] >> 6) != 0)
        format = request.cdb[9] >> 6; // the older place of the format field
    std::uint32_t allocation = get_be16(&request.cdb[7]);

    if (format == 4) {
        if (!disc.cd())
            return CommandResult::check(sense::invalid_field_in_cdb);
        std::vector<std::uint8_t> atip(28, 0);
        put_be16(&atip[0], static_cast<std::uint16_t>(atip.size() - 2));
        atip[4] = 0x50; // writing power
        atip[6] = static_cast<std::uint8_t>(0x80 | (disc.kind() == MediumKind::cd_rw ? 0x40 : 0x00));
        Msf lead_in = disc.kind() == MediumKind::cd_rw ? cd_rw_lead_in : cd_r_lead_in;
        atip[8] = lead_in.minute;
        atip[9] = lead_in.second;
        atip[10] = lead_in.frame;
        Msf lead_out = lba_to_msf(disc.capacity());
        atip[12] = lead_out.minute;
        atip[13] = lead_out.second;
        atip[14] = lead_out.frame;
        return deliver(request, atip, allocation);
    }
    if (format > 1)
        return CommandResult::check(sense::invalid_field_in_cdb);

    std::vector<std::uint32_t> recorded; // numbers of tracks that hold data
    for (std::size_t i = 0; i < disc.tracks().size(); ++i)
        if (disc.tracks()[i].written > 0)
            recorded.push_back(static_cast<std::uint32_t>(i + 1));
    if (recorded.empty())
        return CommandResult::check(sense::invalid_field_in_cdb); // a blank disc has no TOC

    std::vector<std::uint8_t> data(4, 0);
    auto add_entry = [&](std::uint32_t number, std::uint32_t lba) {
        std::uint8_t entry[8] = {0, 0x14, static_cast<std::uint8_t>(number), 0, 0, 0, 0, 0};
        put_address(&entry[4], lba, msf);
        data.insert(data.end(), entry, entry + 8);
    };
    if (format == 0) {
        std::uint32_t from = std::max<std::uint32_t>(request.cdb[6], 1);
        data[2] = static_cast<std::uint8_t>(recorded.front());
        data[3] = static_cast<std::uint8_t>(recorded.back());
        if (request.cdb[6] != 0xAA) {
            if (from > recorded.back())
                return CommandResult::check(sense::invalid_field_in_cdb);
            for (std::uint32_t number : recorded)
                if (number >= from)
                    add_entry(number, disc.tracks()[number - 1].start);
        }
        add_entry(0xAA, disc.readable_end());
    } else {
        // Session information: the first track of the last complete session.
        std::uint32_t last_session = std::max<std::uint32_t>(disc.closed_sessions(), 1);
        std::uint32_t first_track = recorded.front();
        for (std::uint32_t number : recorded)
            if (disc.tracks()[number - 1].session == last_session) {
                first_track = number;
                break;
            }
        data[2] = 1;
        data[3] = static_cast<std::uint8_t>(last_session);
        add_entry(first_track, disc.tracks()[first_track - 1].start);
    }
    put_be16(&data[0], static_cast<std::uint16_t>(data.size() - 2));
    return deliver(request, data, allocation);
}

CommandResult Recorder::read_capacity(const CommandRequest& request)
{
    std::uint8_t data[8] = {};
    std::uint32_t end = disc_->readable_end();
    put_be32(&data[0], end > 0 ? end - 1 : 0);
    put_be32(&data[4], sector_size);
    return deliver(request, data, sizeof data);
}

CommandResult Recorder::read_format_capacities(const CommandRequest& request)
{
    const Disc& disc = *disc_;
    std::vector<std::uint8_t> data(4, 0);
    auto add = [&](std::uint32_t blocks, std::uint8_t type_byte, std::uint32_t parameter) {
        std::uint8_t descriptor[8] = {};
        put_be32(&descriptor[0], blocks);
        descriptor[4] = type_byte;
        descriptor[5] = static_cast<std::uint8_t>(parameter >> 16);
        descriptor[6] = static_cast<std::uint8_t>(parameter >> 8);
        descriptor[7] = static_cast<std::uint8_t>(parameter);
        data.insert(data.end(), descriptor, descriptor + 8);
    };
    // Current capacity: 2 formatted or holding data, 1 unformatted.
    bool formatted = disc.formatted() || !disc.empty();
    add(disc.capacity(), formatted ? 0x02 : 0x01, sector_size);
    switch (disc.kind()) {
    case MediumKind::dvd_plus_rw:
        add(disc.capacity(), 0x26 << 2, 0);
        break;
    case MediumKind::dvd_ram:
        add(disc.capacity(), 0x00, sector_size);
        break;
    case MediumKind::dvd_rw:
        add(disc.capacity(), 0x10 << 2, 16);
        add(disc.capacity(), 0x15 << 2, 16);
        break;
    default:
        break;
    }
    data[3] = static_cast<std::uint8_t>(data.size() - 4);
    return deliver(request, data, get_be16(&request.cdb[7]));
}

CommandResult Recorder::read_buffer_capacity(const CommandRequest& request)
{
    std::uint8_t data[12] = {};
    put_be16(&data[0], 10);
    std::uint32_t free = pacer_.free_bytes();
    if ((request.cdb[1] & 0x01) != 0) {
        put_be32(&data[8], free / sector_size); // in blocks
    } else {
        put_be32(&data[4], pacer_.buffer_bytes());
        put_be32(&data[8], free);
    }
    return deliver(request, data, get_be16(&request.cdb[7]));
}

} // namespace valmuri::vrecorder
