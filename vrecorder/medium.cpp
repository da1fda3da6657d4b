#include "vrecorder/medium.h"

#include <array>

namespace valmuri::vrecorder {

namespace {

// 80-minute CD: lead-out at 79:59:74. DVD figures are the user capacities of
// single-layer 4.7 GB discs (8.5 GB for DVD+R DL).
constexpr std::array<MediumFigures, 8> table{{
    {MediumKind::cd_r, "cd-r", 359849, true, false, 11400, 6900, 1},
    {MediumKind::cd_rw, "cd-rw", 359849, true, true, 11400, 6900, 1},
    {MediumKind::dvd_r, "dvd-r", 2298496, false, false, 16384, 4096, 16},
    {MediumKind::dvd_rw, "dvd-rw", 2298496, false, true, 16384, 4096, 16},
    {MediumKind::dvd_plus_r, "dvd+r", 2295104, false, false, 12288, 4096, 16},
    {MediumKind::dvd_plus_rw, "dvd+rw", 2295104, false, true, 0, 0, 16},
    {MediumKind::dvd_ram, "dvd-ram", 2236704, false, true, 0, 0, 16},
    {MediumKind::dvd_plus_r_dl, "dvd+r-dl", 4173824, false, false, 12288, 4096, 16},
}};

} // namespace

const MediumFigures& medium_figures(MediumKind kind)
{
    return table[static_cast<std::size_t>(kind)];
}

std::optional<MediumKind> parse_medium(std::string_view name)
{
    for (const MediumFigures& entry : table) {
        if (entry.name.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            char c = name[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            same = c == entry.name[i];
        }
        if (same)
            return entry.kind;
    }
    return std::nullopt;
}

Msf lba_to_msf(std::int64_t lba)
{
    std::int64_t frames = lba + cd_msf_offset;
    if (frames < 0)
        frames += 100LL * 60 * 75;
    Msf msf;
    msf.minute = static_cast<std::uint8_t>(frames / (60 * 75));
    msf.second = static_cast<std::uint8_t>((frames / 75) % 60);
    msf.frame = static_cast<std::uint8_t>(frames % 75);
    return msf;
}

} // namespace valmuri::vrecorder
