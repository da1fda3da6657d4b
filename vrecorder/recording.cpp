// Writing and reading the disc: WRITE (10) and READ (10) checked as a strict
// recorder checks them, the cache flush, closing tracks and sessions, track
// reservation.

#include "platform/endian.h"
#include "vrecorder/recorder.h"

namespace valmuri::vrecorder {

namespace {

constexpr std::uint8_t close_function_track = 1;
constexpr std::uint8_t close_function_session = 2;

bool write_type_needs_cue_sheet(std::uint8_t write_type)
{
    return write_type == 2 || write_type == 3;
}

} // namespace

CommandResult Recorder::write_10(const CommandRequest& request)
{
    std::uint32_t lba = get_be32(&request.cdb[2]);
    std::uint32_t blocks = get_be16(&request.cdb[7]);
    if (request.direction == DataDirection::in)
        return {CommandStatus::data_phase_error, {}};
    if (std::uint64_t{blocks} * sector_size != request.length)
        return CommandResult::check(sense::invalid_field_in_cdb); // whole blocks only
    if (disc_->cd()) {
        std::uint8_t block_type = write_parameters_[4] & 0x0F;
        if (block_type != 8 && block_type != 10)
            return CommandResult::check(sense::illegal_mode_for_track); // not 2048-byte data blocks
        if (write_type_needs_cue_sheet(write_parameters_[2] & 0x0F))
            return CommandResult::check(sense::command_sequence_error);
    }

    // A test write on write-once or sequential media moves the laser but
    // records nothing; it is checked against a copy of the disc.
    bool simulated = test_write() && !disc_->overwritable();
    if (simulated && !test_disc_)
        test_disc_ = *disc_;
    Disc& target = simulated ? *test_disc_ : *disc_;
    Sense sense = target.check_write(lba, blocks);
    if (!sense.none())
        return CommandResult::check(sense);
    std::uint32_t bad = 0;
    if (faults_.medium_error_in(lba, blocks, bad)) {
        Sense error = sense::write_error;
        error.information_valid = true;
        error.information = bad;
        return CommandResult::check(error);
    }
    pacer_.accept(std::uint64_t{blocks} * sector_size);
    if (!simulated && blocks > 0 && !image_.write(lba, blocks, request.data))
        return CommandResult::check(sense::write_error);
    std::size_t tracks_before = target.tracks().size();
    target.record_write(lba, blocks);
    if (!simulated) {
        dirty_ = true;
        if (target.tracks().size() != tracks_before)
            save_disc(); // a new track: another process must see the disc in use
    }
    return CommandResult::ok();
}

CommandResult Recorder::read_10(const CommandRequest& request)
{
    std::uint32_t lba = get_be32(&request.cdb[2]);
    std::uint32_t blocks = get_be16(&request.cdb[7]);
    if (request.direction == DataDirection::out)
        return {CommandStatus::data_phase_error, {}};
    if (std::uint64_t{blocks} * sector_size > request.length)
        return CommandResult::check(sense::invalid_field_in_cdb);
    Sense sense = disc_->check_read(lba, blocks);
    if (!sense.none())
        return CommandResult::check(sense);
    std::uint32_t bad = 0;
    if (faults_.medium_error_in(lba, blocks, bad)) {
        Sense error = sense::unrecovered_read_error;
        error.information_valid = true;
        error.information = bad;
        return CommandResult::check(error);
    }
    if (blocks > 0) {
        pacer_.drain(); // reading waits for buffered writes to reach the disc
        if (!image_.read(lba, blocks, request.data))
            return CommandResult::check(sense::unrecovered_read_error);
    }
    return CommandResult::ok();
}

CommandResult Recorder::synchronize_cache(const CommandRequest&)
{
    pacer_.drain();
    if (disc_ && !tray_open_ && !test_write()) {
        // Track at once on CD: flushing the cache ends the track.
        if (disc_->cd() && disc_->end_open_track())
            dirty_ = true;
        save_disc();
    }
    return CommandResult::ok();
}

CommandResult Recorder::close_track_session(const CommandRequest& request)
{
    std::uint8_t function = request.cdb[2] & 0x07;
    std::uint32_t track = get_be16(&request.cdb[4]);
    pacer_.drain();
    if (test_write() && !disc_->overwritable()) {
        test_disc_.reset(); // nothing was recorded, nothing to close
        return CommandResult::ok();
    }
    Disc& disc = *disc_;
    Sense sense;
    if (disc.overwritable()) {
        if (function > 3 && function != 6)
            sense = sense::invalid_field_in_cdb;
    } else if (function == close_function_track) {
        sense = disc.close_track(track);
    } else if (function == close_function_session) {
        bool plus_r = disc.kind() == MediumKind::dvd_plus_r || disc.kind() == MediumKind::dvd_plus_r_dl;
        // DVD+R leaves a closed session appendable; the others follow the
        // multisession field of the write parameters (11b: another session).
        sense = disc.close_session(plus_r || multisession_field() == 3);
    } else if ((function == 5 || function == 6)
               && (disc.kind() == MediumKind::dvd_plus_r || disc.kind() == MediumKind::dvd_plus_r_dl)) {
        sense = disc.close_session(false);
    } else {
        sense = sense::invalid_field_in_cdb;
    }
    if (sense.none()) {
        dirty_ = true;
        save_disc();
    }
    return CommandResult::from(sense);
}

CommandResult Recorder::reserve_track(const CommandRequest& request)
{
    if ((request.cdb[1] & 0x01) != 0)
        return CommandResult::check(sense::invalid_field_in_cdb); // reservation by address
    Sense sense = disc_->reserve_track(get_be32(&request.cdb[5]));
    if (sense.none()) {
        dirty_ = true;
        save_disc();
    }
    return CommandResult::from(sense);
}

CommandResult Recorder::send_dvd_structure(const CommandRequest& request)
{
    std::uint32_t length = get_be16(&request.cdb[8]);
    if (request.direction == DataDirection::in || length > request.length)
        return {CommandStatus::data_phase_error, {}};
    if (disc_->cd())
        return CommandResult::check(sense::cannot_write_incompatible_format);
    return CommandResult::ok();
}

} // namespace valmuri::vrecorder
