#include "drive/speed_text.h"

#include "drive/disc_type.h"

#include <clocale>
#include <cmath>

namespace valmuri {

NumberSeparators locale_separators()
{
    NumberSeparators separators;
    if (const std::lconv* conv = std::localeconv()) {
        if (conv->decimal_point && *conv->decimal_point)
            separators.decimal = conv->decimal_point;
        if (conv->thousands_sep && *conv->thousands_sep)
            separators.thousands = conv->thousands_sep;
    }
    return separators;
}

std::string group_thousands(std::uint64_t value, const NumberSeparators& separators)
{
    const std::string digits = std::to_string(value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += separators.thousands;
        out += digits[i];
    }
    return out;
}

std::string speed_text(std::uint32_t kbps, std::uint8_t disc_type, const NumberSeparators& separators)
{
    std::string multiple;
    if (disc_type >= dtDVDRAM && disc_type <= dtDVDPlusRW) {
        const auto tenths = static_cast<std::uint64_t>(std::llround(kbps / 1385.0 * 10.0));
        multiple = group_thousands(tenths / 10, separators) + separators.decimal + std::to_string(tenths % 10);
    } else {
        multiple = group_thousands(static_cast<std::uint64_t>(std::llround(kbps / 176.4)), separators);
    }
    return multiple + "X(" + group_thousands(kbps, separators) + " KB/s)";
}

} // namespace valmuri
