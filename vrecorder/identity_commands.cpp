// INQUIRY, REQUEST SENSE and the tray commands.

#include <array>
#include <cstring>
#include <string>

#include "platform/endian.h"
#include "vrecorder/identity.h"
#include "vrecorder/recorder.h"

namespace valmuri::vrecorder {

namespace {

void put_text(std::uint8_t* out, std::size_t width, std::string_view text)
{
    std::memset(out, ' ', width);
    std::memcpy(out, text.data(), std::min(width, text.size()));
}

} // namespace

std::vector<std::uint8_t> standard_inquiry_data(std::uint8_t target)
{
    std::vector<std::uint8_t> data(96, 0);
    data[0] = 0x05; // CD/DVD device
    data[1] = 0x80; // removable medium
    data[2] = 0x05; // SPC-3
    data[3] = 0x02; // response data format
    data[4] = static_cast<std::uint8_t>(data.size() - 5);
    put_text(&data[8], 8, inquiry_vendor);
    put_text(&data[16], 16, inquiry_product);
    put_text(&data[32], 4, inquiry_revision);
    put_text(&data[36], 20, "IMAGE RECORDER T" + std::to_string(target));
    return data;
}

CommandResult Recorder::inquiry(const CommandRequest& request)
{
    const auto& cdb = request.cdb;
    std::uint32_t allocation = get_be16(&cdb[3]);
    if ((cdb[1] & 0x01) == 0) {
        if (cdb[2] != 0)
            return CommandResult::check(sense::invalid_field_in_cdb);
        std::vector<std::uint8_t> data = standard_inquiry_data(target_);
        return deliver(request, data, allocation);
    }
    // Vital product data: the list of pages and the unit serial number.
    std::vector<std::uint8_t> page;
    if (cdb[2] == 0x00) {
        page = {0x05, 0x00, 0x00, 0x02, 0x00, 0x80};
    } else if (cdb[2] == 0x80) {
        std::string serial = "VREC" + std::to_string(target_);
        page = {0x05, 0x80, 0x00, static_cast<std::uint8_t>(serial.size())};
        page.insert(page.end(), serial.begin(), serial.end());
    } else {
        return CommandResult::check(sense::invalid_field_in_cdb);
    }
    return deliver(request, page, allocation);
}

CommandResult Recorder::request_sense(const CommandRequest& request, bool not_ready)
{
    // Sense of a failed command went back with it (auto sense); what is left
    // to report is the drive's present condition.
    Sense present;
    if (not_ready)
        present = sense::becoming_ready;
    else if (tray_open_ && !config_.auto_load)
        present = sense::medium_not_present_tray_open;
    else if (!tray_open_ && !disc_)
        present = sense::medium_not_present;
    std::array<std::uint8_t, 18> data = fixed_sense_data(present);
    return deliver(request, data, request.cdb[4]);
}

CommandResult Recorder::start_stop_unit(const CommandRequest& request)
{
    bool load_eject = (request.cdb[4] & 0x02) != 0;
    bool start = (request.cdb[4] & 0x01) != 0;
    if (!load_eject)
        return CommandResult::ok(); // spinning up or down changes nothing here
    if (!start)
        return CommandResult::from(eject());
    close_tray();
    return CommandResult::ok();
}

CommandResult Recorder::prevent_allow_medium_removal(const CommandRequest& request)
{
    removal_prevented_ = (request.cdb[4] & 0x01) != 0;
    return CommandResult::ok();
}

std::array<std::uint8_t, 18> fixed_sense_data(const Sense& sense)
{
    std::array<std::uint8_t, 18> data{};
    data[0] = sense.information_valid ? 0xF0 : 0x70;
    data[2] = sense.key;
    if (sense.information_valid)
        put_be32(&data[3], sense.information);
    data[7] = 10;
    data[12] = sense.asc;
    data[13] = sense.ascq;
    return data;
}

} // namespace valmuri::vrecorder
