#pragma once
// The kinds of disc a recorder can hold and their fixed figures.

#include <cstdint>
#include <optional>
#include <string_view>

#include "vrecorder/mmc.h"

namespace valmuri::vrecorder {

enum class MediumKind {
    cd_r,
    cd_rw,
    dvd_r,
    dvd_rw,
    dvd_plus_r,
    dvd_plus_rw,
    dvd_ram,
    dvd_plus_r_dl,
};

struct MediumFigures {
    MediumKind kind;
    std::string_view name;        // configuration name, "cd-r"
    std::uint32_t capacity;       // user data blocks of a blank disc
    bool cd;
    bool erasable;                // BLANK or FORMAT makes it blank again
    // Blocks between the end of a closed session and the next track: lead-out,
    // lead-in and pre-gap on CD, border or session closure on DVD.
    std::uint32_t first_session_gap;
    std::uint32_t later_session_gap;
    std::uint32_t track_alignment; // next track starts on a multiple of this
};

const MediumFigures& medium_figures(MediumKind kind);
std::optional<MediumKind> parse_medium(std::string_view name);

// Blocks from the start of the lead-in to address 0 on CD.
inline constexpr std::uint32_t cd_msf_offset = 150;

struct Msf {
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t frame = 0;
};

// Logical block address to minute/second/frame, counting the 150-block
// pre-gap; negative addresses (the lead-in) wrap below 100 minutes.
Msf lba_to_msf(std::int64_t lba);

} // namespace valmuri::vrecorder
