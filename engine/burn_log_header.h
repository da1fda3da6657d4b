#pragma once
// The lines a burn log begins with: the program, the drive's identification
// and the medium with its free space, so a user's log says what was used.

#include <cstdint>
#include <string>
#include <vector>

namespace valmuri {

class TSCSIDevice;

// The program as the log names it.
inline constexpr const char* kProgramName = "Valmuri MP3 1.0a";

// What the header says; read from the drive by drive_identity.
struct BurnLogFacts {
    std::string program;  // "Valmuri MP3 1.0a"
    std::string vendor;   // INQUIRY bytes 8-15, trimmed
    std::string product;  // bytes 16-31
    std::string revision; // bytes 32-35
    std::uint8_t disc_type = 0;
    std::uint32_t free_blocks = 0;
};

// Fills the drive and medium facts from the selected drive (sends INQUIRY,
// GET CONFIGURATION and the free-space queries).
BurnLogFacts burn_log_facts(TSCSIDevice& device, const std::string& program);

// "Valmuri MP3 1.0a (engine 1.23)", "Drive: VENDOR PRODUCT REV",
// "Medium: CD-R, 359,847 sectors free (702.8 MB)".
std::vector<std::string> burn_log_header(const BurnLogFacts& facts, const std::string& engine_version);

} // namespace valmuri
