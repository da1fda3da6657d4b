#include "drive/capability_names.h"

#include "drive/capabilities.h"

#include <utility>

namespace valmuri {
namespace {

using Named = std::pair<std::uint32_t, const char*>;

std::string join(std::uint32_t capabilities, std::initializer_list<Named> names)
{
    std::string text;
    for (const auto& [bit, name] : names) {
        if (!(capabilities & bit))
            continue;
        if (!text.empty())
            text += ' ';
        text += name;
    }
    return text.empty() ? "-" : text;
}

} // namespace

std::string read_capabilities_text(std::uint32_t c)
{
    // Every drive the engine lists reads CD-ROM.
    const std::string more = join(c,
            {{capReadCDR, "CD-R"}, {capReadCDRW, "CD-RW"}, {capReadDVDROM, "DVD-ROM"}, {capReadDVDR, "DVD-R"},
                {capReadDVDRW, "DVD-RW"}, {capReadDVDRAM, "DVD-RAM"}, {capReadDVDPlusR, "DVD+R"},
                {capReadDVDPlusRW, "DVD+RW"}, {capReadDVDPlusRDL, "DVD+R-DL"}});
    return more == "-" ? "CD-ROM" : "CD-ROM " + more;
}

std::string write_capabilities_text(std::uint32_t c)
{
    return join(c,
        {{capWriteCDR, "CD-R"}, {capWriteCDRW, "CD-RW"}, {capWriteDVDR, "DVD-R"}, {capWriteDVDRW, "DVD-RW"},
            {capWriteDVDRAM, "DVD-RAM"}, {capWriteDVDPlusR, "DVD+R"}, {capWriteDVDPlusRW, "DVD+RW"},
            {capWriteDVDPlusRDL, "DVD+R-DL"}, {capTestWrite, "test-write"},
            {capUnderrunProtection, "underrun-protection"}});
}

} // namespace valmuri
