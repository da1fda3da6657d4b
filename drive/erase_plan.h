#pragma once
// Figures of an erase: how long each kind takes in poll units, the FORMAT
// UNIT parameter lists, and the percentage shown while it runs.

#include <array>
#include <cstdint>

namespace valmuri {

enum BlankingType : std::uint8_t {
    kBlankFull = 0,
    kBlankQuick = 1,
};

// Expected duration in poll units (about seconds).
std::uint16_t erase_estimate(std::uint8_t disc_type, std::uint8_t blanking_type);

// Percent of counter against the estimate, rounded to the nearest integer
// with halves going to the even neighbour.
int erase_progress(double counter, std::uint16_t estimate);

// FORMAT UNIT is sent with byte 1 = FmtData | format code 001b.
inline constexpr std::uint8_t kFormatUnitByte1 = 0x11;
inline constexpr std::size_t kFormatListSize = 12;
using FormatList = std::array<std::uint8_t, kFormatListSize>;

// Header with FOV and IMMED, one 8-byte descriptor: 2,236,704 blocks of
// 2048 bytes, format type 0 (full format).
FormatList dvd_ram_format_list();
// 2,295,104 blocks, format type 26h (DVD+RW full format).
FormatList dvd_plus_rw_format_list();

// DVD-RAM quick erase and the zero blocks written after formatting: 32
// blocks (64 KB) per WRITE (10).
inline constexpr std::uint16_t kZeroWriteBlocks = 32;
inline constexpr std::uint32_t kZeroWriteBytes = kZeroWriteBlocks * 2048u;

} // namespace valmuri
