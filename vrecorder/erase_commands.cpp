// BLANK and FORMAT UNIT. Both finish at once, whatever the immediate bit
// says: a later TEST UNIT READY finds the drive ready.

#include <system_error>

#include "platform/endian.h"
#include "vrecorder/disc_state_file.h"
#include "vrecorder/recorder.h"

namespace valmuri::vrecorder {

namespace {

constexpr std::size_t format_list_size = 12;
constexpr Sense erase_failure{sense_key::medium_error, 0x51, 0x00};

std::uint8_t default_format_type(MediumKind kind)
{
    switch (kind) {
    case MediumKind::dvd_plus_rw: return 0x26;
    case MediumKind::dvd_rw: return 0x10;
    default: return 0x00;
    }
}

} // namespace

CommandResult Recorder::blank(const CommandRequest& request)
{
    if (faults_.reject_blank())
        return CommandResult::check(erase_failure);
    Sense sense = disc_->blank(request.cdb[1] & 0x07);
    if (!sense.none())
        return CommandResult::check(sense);
    pacer_.drain();
    test_disc_.reset();
    image_.remove();
    std::error_code error;
    std::filesystem::remove(state_path_for(image_.path()), error);
    dirty_ = false;
    return CommandResult::ok();
}

CommandResult Recorder::format_unit(const CommandRequest& request)
{
    std::uint8_t control = request.cdb[1];
    if ((control & 0x07) != 1)
        return CommandResult::check(sense::invalid_field_in_cdb); // format code 001b
    MediumKind kind = disc_->kind();
    if (kind != MediumKind::dvd_plus_rw && kind != MediumKind::dvd_ram && kind != MediumKind::dvd_rw)
        return CommandResult::check(sense::cannot_format_incompatible_medium);
    std::uint8_t format_type = default_format_type(kind);
    if ((control & 0x10) != 0) {
        if (request.direction == DataDirection::in || request.length < 4)
            return {CommandStatus::data_phase_error, {}};
        const std::uint8_t* list = request.data;
        // One format descriptor; the transfer is as long as the header says.
        if (get_be16(&list[2]) != 8 || request.length < format_list_size)
            return CommandResult::check(sense::parameter_list_length_error);
        std::uint32_t blocks = get_be32(&list[4]);
        format_type = list[8] >> 2;
        if (blocks != 0xFFFFFFFF && blocks > disc_->capacity())
            return CommandResult::check(sense::invalid_field_in_parameter_list);
    }
    Sense sense = disc_->format(format_type);
    if (!sense.none())
        return CommandResult::check(sense);
    pacer_.drain();
    test_disc_.reset();
    image_.remove();
    dirty_ = true;
    save_disc();
    return CommandResult::ok();
}

} // namespace valmuri::vrecorder
