#pragma once
// Drive speeds as people read them: multiples of CD 1X (176.4 KB/s) or
// DVD 1X (1385 KB/s), followed by the KB/s figure.

#include "platform/number_format.h"

#include <cstdint>
#include <string>

namespace valmuri {

// "4X(706 KB/s)" for CD kinds, "2.0X(2,770 KB/s)" for the DVD types
// DVD-RAM to DVD+RW (6 to 10).
std::string speed_text(std::uint32_t kbps, std::uint8_t disc_type, const NumberFormat& format);

} // namespace valmuri
