#pragma once
// The state of a disc beside its image (IMAGE.state), so a disc written by
// one process is found as it was left by the next one.

#include <filesystem>
#include <optional>

#include "vrecorder/disc.h"

namespace valmuri::vrecorder {

std::filesystem::path state_path_for(const std::filesystem::path& image);

std::optional<DiscRecord> load_disc_record(const std::filesystem::path& state);
// Replaces the file atomically; false when it could not be written.
bool save_disc_record(const std::filesystem::path& state, const DiscRecord& record);

// A disc for an image that has no state file: an existing image is taken as
// a closed single-session disc (or, on overwritable media, a formatted one
// holding that much data); no image is a blank disc.
DiscRecord record_from_image(MediumKind kind, std::uint32_t capacity, std::uint64_t image_blocks,
                             bool dvd_rw_restricted_overwrite);

} // namespace valmuri::vrecorder
