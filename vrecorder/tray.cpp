// The tray: which disc is in the drive, loading it from its image and state
// file, keeping the state file current, eject and load.

#include <fstream>
#include <system_error>

#include "vrecorder/disc_state_file.h"
#include "vrecorder/recorder.h"

namespace valmuri::vrecorder {

namespace fs = std::filesystem;

namespace {

fs::file_time_type modification_time(const fs::path& path)
{
    std::error_code error;
    fs::file_time_type time = fs::last_write_time(path, error);
    return error ? fs::file_time_type{} : time;
}

} // namespace

void Recorder::log_tray(const char* position) const
{
    if (config_.tray_log.empty())
        return;
    std::ofstream(config_.tray_log, std::ios::app) << position << '\n';
}

void Recorder::load_disc(const fs::path& image)
{
    image_.set_path(image);
    disc_.reset();
    test_disc_.reset();
    dirty_ = false;
    if (!config_.medium)
        return;
    MediumKind kind = *config_.medium;
    std::uint32_t capacity = config_.capacity != 0 ? config_.capacity : medium_figures(kind).capacity;
    fs::path state = state_path_for(image);
    std::optional<DiscRecord> record = load_disc_record(state);
    if (record && record->kind == kind && record->capacity != 0)
        disc_.emplace(*record);
    else
        disc_.emplace(record_from_image(kind, capacity, image_.exists() ? image_.size_blocks() : 0,
                                        config_.dvd_rw_restricted_overwrite));
    state_time_ = modification_time(state);
}

void Recorder::save_disc()
{
    if (!disc_ || !dirty_)
        return;
    fs::path state = state_path_for(image_.path());
    Disc fresh(disc_->kind(), disc_->capacity());
    std::error_code error;
    if (disc_->record() == fresh.record() && !image_.exists())
        fs::remove(state, error); // a blank disc has nothing to remember
    else
        save_disc_record(state, disc_->record());
    state_time_ = modification_time(state);
    dirty_ = false;
}

void Recorder::refresh_from_disk()
{
    // Another process may have written the same disc since; take its state
    // unless this one holds changes of its own.
    if (!disc_ || dirty_)
        return;
    if (modification_time(state_path_for(image_.path())) != state_time_)
        load_disc(image_.path());
}

Sense Recorder::eject()
{
    if (removal_prevented_)
        return sense::medium_removal_prevented;
    if (tray_open_)
        return sense::ok;
    pacer_.drain();
    save_disc();
    disc_.reset();
    test_disc_.reset();
    tray_open_ = true;
    log_tray("open");
    return sense::ok;
}

fs::path Recorder::next_blank_image()
{
    // The first image of the pattern that holds no disc yet.
    for (int index = next_image_index_;; ++index) {
        fs::path candidate = expand_image_pattern(config_.next_image, index);
        std::error_code error;
        if (!fs::exists(candidate, error) && !fs::exists(state_path_for(candidate), error)) {
            next_image_index_ = index + 1;
            return candidate;
        }
    }
}

void Recorder::close_tray()
{
    if (!tray_open_)
        return;
    tray_open_ = false;
    log_tray("closed");
    if (!config_.next_image.empty())
        load_disc(next_blank_image());
    else
        load_disc(image_.path()); // the same disc goes back in
    write_speed_ = std::min(write_speed_, max_write_speed());
    apply_pacing();
}

Sense Recorder::ensure_medium()
{
    if (tray_open_)
        return sense::medium_not_present_tray_open;
    if (!disc_)
        return sense::medium_not_present;
    return sense::ok;
}

} // namespace valmuri::vrecorder
