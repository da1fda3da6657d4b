#pragma once
// How the recorder names itself, and the fixed data formats that carry it.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "vrecorder/mmc.h"

namespace valmuri::vrecorder {

inline constexpr std::string_view inquiry_vendor = "VALMURI";
inline constexpr std::string_view inquiry_product = "VIRTUAL RECORDER";
inline constexpr std::string_view inquiry_revision = "1.0";
// Host adapter inquiry: manager and adapter identifiers, 16 characters each.
inline constexpr std::string_view manager_identifier = "VALMURI MP3 ASPI";
inline constexpr std::string_view adapter_identifier = "IMAGE RECORDERS";

std::vector<std::uint8_t> standard_inquiry_data(std::uint8_t target);
// Fixed-format sense data, 18 bytes; response code 0xF0 when the
// information field holds the failing block.
std::array<std::uint8_t, 18> fixed_sense_data(const Sense& sense);

} // namespace valmuri::vrecorder
