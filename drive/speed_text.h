#pragma once
// Drive speeds as people read them: multiples of CD 1X (176.4 KB/s) or
// DVD 1X (1385 KB/s), followed by the KB/s figure.

#include <cstdint>
#include <string>

namespace valmuri {

struct NumberSeparators {
    std::string thousands = ",";
    std::string decimal = ".";
};

// The separators of the user's locale (LC_NUMERIC), falling back to "," and ".".
NumberSeparators locale_separators();

// value with thousands separators, no decimals ("1,385").
std::string group_thousands(std::uint64_t value, const NumberSeparators& separators);

// "4X(706 KB/s)" for CD kinds, "2.0X(2,770 KB/s)" for the DVD types
// DVD-RAM to DVD+RW (6 to 10).
std::string speed_text(std::uint32_t kbps, std::uint8_t disc_type, const NumberSeparators& separators);

} // namespace valmuri
