#pragma once
// What the layout asks the disc in the drive while a burn starts: its type,
// the first sector of the new session and the import of an earlier session.
// The burner reaches the drive only through this interface, so the layout
// runs and is tested without one.

#include <cstdint>
#include <optional>

namespace valmuri {

struct TDEntry;

class DiscQueries {
public:
    virtual ~DiscQueries() = default;
    // Disc type code of the medium in the drive (0 unknown, 2 CD-R, ...).
    virtual std::uint8_t ReadDiscType() = 0;
    // The first sector of the session about to be written, or none when the
    // drive could not tell.
    virtual std::optional<std::uint32_t> FindStartSector() = 0;
    // Adds session 1..127 (or -1: the last closed one) of the disc to the
    // tree under into; false when nothing was imported.
    virtual bool ImportPreviousSession(std::int8_t session, TDEntry* into) = 0;
};

} // namespace valmuri
