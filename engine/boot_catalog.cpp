#include "engine/boot_catalog.h"

#include "platform/endian.h"

#include <cstring>

namespace valmuri {
namespace {

std::uint8_t media_type_for(std::uint32_t sectors)
{
    switch (sectors) {
    case 600: return 1;  // 1.2 MB diskette
    case 720: return 2;  // 1.44 MB diskette
    case 1440: return 3; // 2.88 MB diskette
    default: return 4;   // hard disk
    }
}

} // namespace

void put_boot_catalog(std::uint8_t* sector, std::uint32_t boot_image_location, std::uint32_t boot_image_sectors)
{
    std::memset(sector, 0, 2048);

    BootValidationEntry validation{};
    validation.header_id = 1;
    static const char id[] = "Vorda CD/DVD Burner";
    std::memcpy(validation.id_string, id, sizeof id - 1);
    validation.key[0] = 0x55;
    validation.key[1] = 0xAA;
    std::uint8_t bytes[32];
    std::memcpy(bytes, &validation, sizeof bytes);
    std::uint16_t sum = 0;
    for (int i = 0; i < 32; i += 2)
        sum = static_cast<std::uint16_t>(sum + get_le16(bytes + i));
    put_le16(validation.checksum, static_cast<std::uint16_t>(-sum));

    BootInitialEntry initial{};
    initial.boot_indicator = 0x88;
    initial.media_type = media_type_for(boot_image_sectors);
    put_le16(initial.sector_count, 1);
    put_le32(initial.load_rba, boot_image_location);

    std::memcpy(sector, &validation, sizeof validation);
    std::memcpy(sector + 32, &initial, sizeof initial);
}

} // namespace valmuri
