// GET CONFIGURATION: the profiles this recorder writes and the features
// that go with them, current for the disc in the drive.

#include <algorithm>

#include "platform/endian.h"
#include "vrecorder/recorder.h"

namespace valmuri::vrecorder {

namespace {

constexpr std::array<Profile, 9> supported_profiles{
    Profile::dvd_plus_r_dl, Profile::dvd_plus_r, Profile::dvd_plus_rw, Profile::dvd_rw_sequential,
    Profile::dvd_rw_restricted_overwrite, Profile::dvd_ram, Profile::dvd_r_sequential, Profile::cd_rw, Profile::cd_r,
};

struct Feature {
    std::uint16_t code;
    bool current;
    std::vector<std::uint8_t> data; // bytes after the 4-byte feature header
    std::uint8_t version = 0;
    bool persistent = false;
};

bool is_cd(Profile p)
{
    return p == Profile::cd_r || p == Profile::cd_rw;
}

} // namespace

CommandResult Recorder::get_configuration(const CommandRequest& request)
{
    std::uint8_t request_type = request.cdb[1] & 0x03;
    std::uint16_t starting = get_be16(&request.cdb[2]);
    std::uint32_t allocation = get_be16(&request.cdb[7]);
    if (request_type == 3)
        return CommandResult::check(sense::invalid_field_in_cdb);

    bool loaded = disc_.has_value() && !tray_open_;
    Profile current = loaded ? disc_->profile() : Profile::none;
    bool cd = is_cd(current);
    bool dvd = loaded && !cd;
    bool overwritable = loaded && disc_->overwritable() && disc_->formatted();
    bool sequential_dvd = current == Profile::dvd_r_sequential || current == Profile::dvd_rw_sequential;

    std::vector<std::uint8_t> profile_list;
    for (Profile profile : supported_profiles) {
        std::uint8_t descriptor[4] = {};
        put_be16(descriptor, static_cast<std::uint16_t>(profile));
        descriptor[2] = profile == current ? 0x01 : 0x00;
        profile_list.insert(profile_list.end(), descriptor, descriptor + 4);
    }
    std::uint8_t capacity_bytes[4] = {};
    put_be32(capacity_bytes, loaded ? disc_->capacity() - 1 : 0);

    std::vector<Feature> features{
        {0x0000, true, profile_list, 0, true},                          // profile list
        {0x0001, true, {0x00, 0x00, 0x00, 0x02}, 0, true},             // core: ATAPI
        {0x0002, true, {0x02, 0x00, 0x00, 0x00}, 1, true},             // morphing
        {0x0003, true, {0x29, 0x00, 0x00, 0x00}, 0, true},             // removable medium: tray, eject, lock
        {0x0010, loaded, {0x00, 0x00, 0x08, 0x00, 0x00, 0x10, 0x00, 0x00}}, // random readable
        {0x001D, cd, {}},                                                    // multi-read
        {0x001E, cd, {0x00, 0x00, 0x00, 0x00}},                          // CD read
        {0x001F, dvd, {}},                                                   // DVD read
        {0x0020, overwritable, {capacity_bytes[0], capacity_bytes[1], capacity_bytes[2], capacity_bytes[3],
                                0x00, 0x00, 0x08, 0x00, 0x00, 0x10, 0x00, 0x00}}, // random writable
        {0x0021, cd || sequential_dvd, {0x00, 0x01, 0x00, 0x00}},        // incremental streaming writable
        {0x0023, current == Profile::dvd_plus_rw || current == Profile::dvd_ram || current == Profile::dvd_rw_sequential
                     || current == Profile::dvd_rw_restricted_overwrite || current == Profile::cd_rw, {}}, // formattable
        {0x0024, current == Profile::dvd_ram, {}},                           // hardware defect management
        {0x0026, current == Profile::dvd_rw_restricted_overwrite, {}},       // restricted overwrite
        {0x002A, current == Profile::dvd_plus_rw, {0x01, 0x00, 0x00, 0x00}}, // DVD+RW, writes
        {0x002B, current == Profile::dvd_plus_r, {0x01, 0x00, 0x00, 0x00}},  // DVD+R, writes
        {0x002D, cd, {0x46, 0x00, 0x00, 0x01}},                          // track at once: underrun, test, CD-RW
        {0x002E, cd, {0x66, 0x00, 0xFF, 0xFF}},                          // session at once
        {0x002F, sequential_dvd, {0x46, 0x00, 0x00, 0x00}},              // DVD-R/-RW write: underrun, test, DVD-RW
        {0x003B, current == Profile::dvd_plus_r_dl, {0x01, 0x00, 0x00, 0x00}}, // DVD+R DL, writes
        {0x0100, true, {}, 0, true},                                     // power management
    };

    std::vector<std::uint8_t> data(8, 0);
    put_be16(&data[6], static_cast<std::uint16_t>(current));
    for (const Feature& feature : features) {
        bool wanted = request_type == 2 ? feature.code == starting
                                        : feature.code >= starting && (request_type == 0 || feature.current);
        if (!wanted)
            continue;
        std::uint8_t header[4] = {};
        put_be16(header, feature.code);
        header[2] = static_cast<std::uint8_t>((feature.version << 2) | (feature.persistent ? 0x02 : 0)
                                              | (feature.current ? 0x01 : 0));
        header[3] = static_cast<std::uint8_t>(feature.data.size());
        data.insert(data.end(), header, header + 4);
        data.insert(data.end(), feature.data.begin(), feature.data.end());
    }
    put_be32(&data[0], static_cast<std::uint32_t>(data.size() - 4));
    return deliver(request, data, allocation);
}

} // namespace valmuri::vrecorder
