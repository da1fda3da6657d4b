#include "engine/image_header.h"

#include "engine/boot_catalog.h"
#include "engine/directory_extent.h"
#include "engine/path_table.h"

namespace valmuri {
namespace {

std::uint8_t* new_sector(std::vector<std::uint8_t>& out)
{
    out.resize(out.size() + SectorSize, 0);
    return out.data() + out.size() - SectorSize;
}

// The sector (absolute) that the next byte of out will land on.
std::int64_t next_sector(const std::vector<std::uint8_t>& out, const LayoutValues& layout)
{
    return layout.StartSector + static_cast<std::int64_t>(out.size() / SectorSize);
}

} // namespace

std::int64_t header_sectors(const LayoutValues& layout, bool bootable)
{
    if (bootable)
        return std::int64_t{layout.BootCatalogLocation} + 1 - layout.StartSector;
    return std::int64_t{layout.FirstFileLocation} - layout.StartSector;
}

bool build_image_header(std::vector<std::uint8_t>& out, const DiscTree& tree, const LayoutValues& layout,
                        const HeaderOptions& options)
{
    out.clear();
    bool matches = true;
    auto expect_at = [&](std::int64_t sector) { matches = matches && next_sector(out, layout) == sector; };

    out.resize(16 * SectorSize, 0);

    const VolumeRoot iso_root{layout.DirArea, static_cast<std::uint32_t>(tree.Root()->Size), layout.PathTableSize,
                              layout.PathTableL, layout.PathTableM};
    expect_at(layout.PrimaryDescriptor);
    put_primary_descriptor(new_sector(out), options.ids, iso_root, layout.VolumeEnd, options.now);
    if (options.bootable) {
        expect_at(layout.BootRecordDescriptor);
        put_boot_record_descriptor(new_sector(out), layout.BootCatalogLocation);
    }
    if (options.joliet) {
        const VolumeRoot joliet_root{layout.DirAreaJoliet, static_cast<std::uint32_t>(tree.Root()->SizeJoliet),
                                     layout.PathTableSizeJoliet, layout.PathTableLJoliet, layout.PathTableMJoliet};
        expect_at(layout.JolietDescriptor);
        put_joliet_descriptor(new_sector(out), options.ids, joliet_root, layout.VolumeEnd, options.joliet_creation,
                              options.joliet_modification);
    }
    expect_at(layout.Terminator);
    put_terminator_descriptor(new_sector(out));

    expect_at(layout.PathTableL);
    write_path_table(out, tree.IsoOrder(), NameSet::Iso, ByteOrder::Little, layout.DirArea);
    expect_at(layout.PathTableM);
    write_path_table(out, tree.IsoOrder(), NameSet::Iso, ByteOrder::Big, layout.DirArea);
    if (options.joliet) {
        expect_at(layout.PathTableLJoliet);
        write_path_table(out, tree.JolietOrder(), NameSet::Joliet, ByteOrder::Little, layout.DirAreaJoliet);
        expect_at(layout.PathTableMJoliet);
        write_path_table(out, tree.JolietOrder(), NameSet::Joliet, ByteOrder::Big, layout.DirAreaJoliet);
    }

    for (const auto& dir : tree.Dirs()) {
        expect_at(std::int64_t{layout.DirArea} + dir->Location);
        write_directory_extent(out, *dir, NameSet::Iso, layout, options.now, options.zone);
    }
    if (options.joliet) {
        for (const auto& dir : tree.Dirs()) {
            expect_at(std::int64_t{layout.DirAreaJoliet} + dir->LocationJoliet);
            write_directory_extent(out, *dir, NameSet::Joliet, layout, options.now, options.zone);
        }
    }

    if (options.bootable) {
        expect_at(layout.BootCatalogLocation);
        put_boot_catalog(new_sector(out), layout.BootImageLocation, layout.BootImageSectors);
    } else {
        out.resize(out.size() + static_cast<std::size_t>(layout.PadSectors) * SectorSize, 0);
        expect_at(layout.FirstFileLocation);
    }
    expect_at(layout.StartSector + header_sectors(layout, options.bootable));
    return matches;
}

} // namespace valmuri
