#pragma once
// El Torito boot catalog: a validation entry and the initial (default)
// entry pointing at the boot image.

#include <cstdint>

namespace valmuri {

struct BootValidationEntry {
    std::uint8_t header_id;       // 1
    std::uint8_t platform_id;     // 0: 80x86
    std::uint8_t reserved[2];
    char id_string[24];
    std::uint8_t checksum[2];     // little-endian; the entry's 16-bit words sum to zero
    std::uint8_t key[2];          // 0x55 0xAA
};
static_assert(sizeof(BootValidationEntry) == 32);

struct BootInitialEntry {
    std::uint8_t boot_indicator;  // 0x88: bootable
    std::uint8_t media_type;      // 1, 2, 3: 1.2, 1.44, 2.88 MB diskette; 4: hard disk
    std::uint8_t load_segment[2];
    std::uint8_t system_type;
    std::uint8_t unused;
    std::uint8_t sector_count[2];
    std::uint8_t load_rba[4];
    std::uint8_t reserved[20];
};
static_assert(sizeof(BootInitialEntry) == 32);

// Fills a whole 2048-byte sector with the catalog.
void put_boot_catalog(std::uint8_t* sector, std::uint32_t boot_image_location, std::uint32_t boot_image_sectors);

} // namespace valmuri
