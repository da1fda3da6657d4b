// MODE SENSE and MODE SELECT with the capabilities page (2A), the write
// parameters page (05) and the underrun protection page (30); the speed
// commands that change what page 2A reports.

#include <algorithm>

#include "platform/endian.h"
#include "vrecorder/recorder.h"

namespace valmuri::vrecorder {

namespace {

enum class PageControl : std::uint8_t { current = 0, changeable = 1, defaults = 2, saved = 3 };

constexpr std::uint8_t capabilities_page_code = 0x2A;
constexpr std::uint8_t write_parameters_page_code = 0x05;
constexpr std::uint8_t underrun_page_code = 0x30;
constexpr std::uint8_t all_pages = 0x3F;
constexpr std::size_t mode_header_size = 8;

// Buffer-underrun protection switch, on.
std::vector<std::uint8_t> underrun_page()
{
    return {underrun_page_code, 0x06, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00};
}

std::uint32_t pick_speed(const std::vector<std::uint32_t>& speeds, std::uint32_t wanted)
{
    // The fastest supported speed not above the one asked for, else the slowest.
    std::uint32_t chosen = speeds.front();
    for (std::uint32_t speed : speeds)
        if (speed <= wanted)
            chosen = std::max(chosen, speed);
    return chosen;
}

} // namespace

std::vector<std::uint8_t> Recorder::capabilities_page(bool defaults) const
{
    std::vector<std::uint32_t> speeds = write_speeds();
    std::vector<std::uint8_t> page(32 + 4 * speeds.size(), 0);
    page[0] = capabilities_page_code;
    page[1] = static_cast<std::uint8_t>(page.size() - 2);
    page[2] = 0x3F; // reads CD-R, CD-RW, method 2, DVD-ROM, DVD-R, DVD-RAM
    page[3] = 0x37; // writes CD-R, CD-RW, test write, DVD-R, DVD-RAM
    page[4] = 0xC0; // underrun protection, multisession
    page[6] = static_cast<std::uint8_t>(0x20 | 0x08 | 0x01 | (removal_prevented_ ? 0x02 : 0x00)); // tray, eject, lock
    std::uint32_t current_write = defaults ? max_write_speed() : write_speed_;
    std::uint32_t current_read = defaults ? max_read_speed() : read_speed_;
    put_be16(&page[8], static_cast<std::uint16_t>(max_read_speed()));
    put_be16(&page[12], static_cast<std::uint16_t>(4096)); // buffer in KB
    put_be16(&page[14], static_cast<std::uint16_t>(current_read));
    put_be16(&page[18], static_cast<std::uint16_t>(max_write_speed()));
    put_be16(&page[20], static_cast<std::uint16_t>(current_write));
    put_be16(&page[28], static_cast<std::uint16_t>(current_write));
    put_be16(&page[30], static_cast<std::uint16_t>(speeds.size()));
    std::size_t at = 32;
    for (auto speed = speeds.rbegin(); speed != speeds.rend(); ++speed, at += 4)
        put_be16(&page[at + 2], static_cast<std::uint16_t>(*speed));
    return page;
}

CommandResult Recorder::mode_sense(const CommandRequest& request)
{
    auto control = static_cast<PageControl>(request.cdb[2] >> 6);
    std::uint8_t code = request.cdb[2] & 0x3F;
    std::uint32_t allocation = get_be16(&request.cdb[7]);
    if (control == PageControl::saved)
        return CommandResult::check(sense::saving_parameters_not_supported);

    std::vector<std::uint8_t> pages;
    auto add = [&](std::vector<std::uint8_t> page) {
        if (control == PageControl::changeable)
            std::fill(page.begin() + 2, page.end(), 0);
        pages.insert(pages.end(), page.begin(), page.end());
    };
    if (code == write_parameters_page_code || code == all_pages) {
        std::vector<std::uint8_t> page(write_parameters_.begin(), write_parameters_.end());
        if (control == PageControl::changeable)
            std::fill(page.begin() + 2, page.end(), 0xFF);
        else if (control == PageControl::defaults)
            page = {write_parameters_page_code, 0x32, 0x01, 0x04, 0x08};
        page.resize(write_parameters_page_size, 0);
        if (control == PageControl::defaults)
            put_be16(&page[14], 150);
        pages.insert(pages.end(), page.begin(), page.end());
    }
    if (code == capabilities_page_code || code == all_pages)
        add(capabilities_page(control == PageControl::defaults));
    if (code == underrun_page_code || code == all_pages)
        add(underrun_page());
    if (pages.empty())
        return CommandResult::check(sense::invalid_field_in_cdb);

    std::vector<std::uint8_t> data(mode_header_size, 0);
    data.insert(data.end(), pages.begin(), pages.end());
    put_be16(&data[0], static_cast<std::uint16_t>(data.size() - 2));
    return deliver(request, data, allocation);
}

Sense Recorder::select_write_parameters(std::span<const std::uint8_t> page)
{
    if (page[1] != write_parameters_page_size - 2)
        return sense::invalid_field_in_parameter_list;
    std::uint8_t write_type = page[2] & 0x0F;
    if (write_type > 2)
        return sense::parameter_value_invalid; // raw and layer-jump recording are not offered
    std::uint8_t block_type = page[4] & 0x0F;
    if ((block_type >= 4 && block_type <= 7) || block_type == 9 || block_type > 13)
        return sense::parameter_value_invalid;
    if ((page[3] >> 6) == 2)
        return sense::parameter_value_invalid; // reserved multisession value
    if (Sense unsuitable = check_write_parameters_for_medium(page); !unsuitable.none())
        return unsuitable;
    bool was_testing = test_write();
    std::copy(page.begin(), page.begin() + write_parameters_page_size, write_parameters_.begin());
    write_parameters_[0] = write_parameters_page_code;
    if (was_testing != test_write())
        test_disc_.reset();
    return sense::ok;
}

CommandResult Recorder::mode_select(const CommandRequest& request)
{
    if ((request.cdb[1] & 0x10) == 0)
        return CommandResult::check(sense::invalid_field_in_cdb); // pages must be in page format
    if ((request.cdb[1] & 0x01) != 0)
        return CommandResult::check(sense::saving_parameters_not_supported);
    std::uint32_t length = get_be16(&request.cdb[7]);
    if (length == 0)
        return CommandResult::ok();
    if (request.direction == DataDirection::in || length > request.length)
        return {CommandStatus::data_phase_error, {}};
    if (length < mode_header_size)
        return CommandResult::check(sense::parameter_list_length_error);
    std::span<const std::uint8_t> list(request.data, length);
    std::size_t at = mode_header_size + get_be16(&list[6]); // past any block descriptors
    while (at < length) {
        if (at + 2 > length || at + 2 + list[at + 1] > length)
            return CommandResult::check(sense::parameter_list_length_error);
        std::span<const std::uint8_t> page = list.subspan(at, 2 + list[at + 1]);
        if ((page[0] & 0x3F) != write_parameters_page_code)
            return CommandResult::check(sense::invalid_field_in_parameter_list);
        Sense sense = select_write_parameters(page);
        if (!sense.none())
            return CommandResult::check(sense);
        at += page.size();
    }
    return CommandResult::ok();
}

CommandResult Recorder::set_cd_speed(const CommandRequest& request)
{
    std::uint16_t read = get_be16(&request.cdb[2]);
    std::uint16_t write = get_be16(&request.cdb[4]);
    read_speed_ = read == 0xFFFF || read >= max_read_speed() ? max_read_speed() : std::max<std::uint32_t>(read, 176);
    write_speed_ = write == 0xFFFF ? max_write_speed() : pick_speed(write_speeds(), write);
    apply_pacing();
    return CommandResult::ok();
}

CommandResult Recorder::set_streaming(const CommandRequest& request)
{
    std::uint32_t length = get_be16(&request.cdb[9]);
    if (request.direction == DataDirection::in || length > request.length)
        return {CommandStatus::data_phase_error, {}};
    if (request.cdb[8] == 0 && length < 28)
        return CommandResult::check(sense::parameter_list_length_error);
    return CommandResult::ok();
}

} // namespace valmuri::vrecorder
