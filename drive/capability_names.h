#pragma once
// Capability sets in words, for listings such as `valmuri-cli drives`.

#include <cstdint>
#include <string>

namespace valmuri {

// "CD-R CD-RW DVD-ROM ..." for what the drive reads, "-" when nothing.
std::string read_capabilities_text(std::uint32_t capabilities);
// "CD-R CD-RW DVD+RW ..." for what it writes, with "test-write" and
// "underrun-protection" when present; "-" when nothing.
std::string write_capabilities_text(std::uint32_t capabilities);

} // namespace valmuri
