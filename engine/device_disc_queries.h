#pragma once
// The layout's questions to the disc, answered by the burner's own drive.

#include "engine/disc_queries.h"

namespace valmuri {

class TVordaCDBurner;

class DeviceDiscQueries final : public DiscQueries {
public:
    explicit DeviceDiscQueries(TVordaCDBurner& burner) : burner_(burner) {}

    std::uint8_t ReadDiscType() override;
    // Overwritable media: where the volume already on the disc ends.
    // Sequential media: the next writable address of the track after the
    // closed sessions (track 1 on DVD-RW).
    std::optional<std::uint32_t> FindStartSector() override;
    bool ImportPreviousSession(std::int8_t session, TDEntry* into) override;

private:
    TVordaCDBurner& burner_;
};

} // namespace valmuri
