#include "engine/burner.h"
#include "engine/image_header.h"
#include "engine/path_table.h"
#include "platform/endian.h"

#include "tests/engine/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace valmuri {
namespace {

SearchRecord file_record(const std::string& name, std::int64_t size, std::uint32_t attr = 0)
{
    SearchRecord rec;
    rec.Name = name;
    rec.Size = size;
    rec.Attr = attr;
    rec.Time = (46u << 25) | (12u << 21) | (8u << 16);
    return rec;
}

SearchRecord dir_record(const std::string& name, const std::string& alternate = {})
{
    SearchRecord rec;
    rec.Name = name;
    rec.AlternateName = alternate;
    rec.Attr = AttrDirectory;
    rec.Time = (46u << 25) | (12u << 21) | (8u << 16);
    return rec;
}

// The record at offset in an extent: its length and identifier.
struct Record {
    int length;
    std::uint32_t extent;
    std::uint32_t size;
    int flags;
    std::string identifier;
};

Record record_at(const std::vector<std::uint8_t>& image, std::size_t offset)
{
    const std::uint8_t* r = image.data() + offset;
    return {r[0], get_le32(r + 2), get_le32(r + 10), r[25], std::string(reinterpret_cast<const char*>(r + 33), r[32])};
}

std::size_t at_sector(std::uint32_t sector, std::uint32_t start = 0)
{
    return std::size_t{sector - start} * SectorSize;
}

class ImageLayoutTest : public ::testing::Test {
protected:
    ImageLayoutTest() { burner.SetNow([] { return encode_date_time({2026, 12, 8, 17, 30, 15, 250}); }); }

    const LayoutValues& lay_out()
    {
        burner.BuildLayout(true);
        burner.BuildImageHeader();
        return burner.Layout();
    }

    TVordaCDBurner burner;
    DiscTree& tree = burner.Tree();
};

TEST_F(ImageLayoutTest, EmptyTreeWithoutJoliet)
{
    burner.SetJolietFileSystem(false);
    const LayoutValues& v = lay_out();
    EXPECT_EQ(v.PrimaryDescriptor, 16u);
    EXPECT_EQ(v.Terminator, 17u);
    EXPECT_EQ(v.PathTableL, 18u);
    EXPECT_EQ(v.PathTableM, 19u);
    EXPECT_EQ(v.DirArea, 20u);
    EXPECT_EQ(tree.Root()->Size, 2048);
    EXPECT_EQ(v.PadSectors, 129);
    EXPECT_EQ(v.FirstFileLocation, 150u);
    EXPECT_EQ(v.ImageSectors, 150);
    EXPECT_EQ(burner.ImageSize(), 300);
    burner.SetWritePostGap(false);
    EXPECT_EQ(burner.ImageSize(), 150);
    // The whole header up to the first file sector.
    EXPECT_EQ(burner.HeaderStream().size(), 150u * 2048u);
}

TEST_F(ImageLayoutTest, EmptyTreeWithJoliet)
{
    const LayoutValues& v = lay_out();
    EXPECT_EQ(v.PrimaryDescriptor, 16u);
    EXPECT_EQ(v.JolietDescriptor, 17u);
    EXPECT_EQ(v.Terminator, 18u);
    EXPECT_EQ(v.PathTableL, 19u);
    EXPECT_EQ(v.PathTableM, 20u);
    EXPECT_EQ(v.PathTableLJoliet, 21u);
    EXPECT_EQ(v.PathTableMJoliet, 22u);
    EXPECT_EQ(v.DirArea, 23u);
    EXPECT_EQ(v.DirAreaJoliet, 24u);
    EXPECT_EQ(v.FirstFileLocation, 150u);
    EXPECT_EQ(v.PathTableSize, 10u);
    EXPECT_EQ(v.PathTableSizeJoliet, 10u);
}

TEST_F(ImageLayoutTest, FilesFollowEachOtherInTableOrderFromSector150)
{
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("one.mp3", 1), 0, "/x/one.mp3"));
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("empty.mp3", 0), 0, "/x/empty.mp3"));
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("two.mp3", 2049), 0, "/x/two.mp3"));
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("old.mp3", 5000), 777, ""));
    const LayoutValues& v = lay_out();
    const auto& files = tree.Files();
    EXPECT_EQ(files[0]->Location, 0);
    EXPECT_EQ(files[1]->Location, 0);
    EXPECT_EQ(files[2]->Location, 1);
    EXPECT_EQ(files[3]->Location, 777);
    EXPECT_EQ(v.VolumeEnd, 153);

    const auto& header = burner.HeaderStream();
    const std::size_t root = at_sector(v.DirArea);
    std::size_t offset = root + 68;
    Record one = record_at(header, offset);
    EXPECT_EQ(one.extent, 150u);
    EXPECT_EQ(one.size, 1u);
    Record empty = record_at(header, offset += one.length);
    EXPECT_EQ(empty.extent, 0u);
    EXPECT_EQ(empty.size, 0u);
    Record two = record_at(header, offset += empty.length);
    EXPECT_EQ(two.extent, 151u);
    Record old = record_at(header, offset += two.length);
    EXPECT_EQ(old.extent, 777u);
    EXPECT_EQ(old.size, 5000u);
}

TEST_F(ImageLayoutTest, OneByteFileEndsTheVolumeAt151)
{
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("a.mp3", 1), 0, "/x/a.mp3"));
    const LayoutValues& v = lay_out();
    EXPECT_EQ(v.FirstFileLocation, 150u);
    EXPECT_EQ(tree.Root()->FirstEntry->Location, 0);
    EXPECT_EQ(v.VolumeEnd, 151);
    EXPECT_EQ(get_le32(burner.HeaderStream().data() + at_sector(16) + 80), 151u);
}

TEST_F(ImageLayoutTest, RecordLengthsOfAShortAndALongName)
{
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("a.mp3", 10), 0, "/x/a.mp3"));
    const LayoutValues& v = lay_out();
    const auto& header = burner.HeaderStream();

    const Record dot = record_at(header, at_sector(v.DirArea));
    EXPECT_EQ(dot.length, 34);
    EXPECT_EQ(dot.identifier, std::string(1, '\0'));
    EXPECT_EQ(dot.extent, v.DirArea);
    const Record dotdot = record_at(header, at_sector(v.DirArea) + 34);
    EXPECT_EQ(dotdot.identifier, std::string(1, '\1'));
    EXPECT_EQ(dotdot.extent, v.DirArea);

    const Record iso = record_at(header, at_sector(v.DirArea) + 68);
    EXPECT_EQ(iso.identifier, "A.MP3;1");
    EXPECT_EQ(iso.length, 40);
    const Record joliet = record_at(header, at_sector(v.DirAreaJoliet) + 68);
    EXPECT_EQ(joliet.identifier, std::string("\0a\0.\0m\0p\0003\0;\0001", 14));
    EXPECT_EQ(joliet.length, 48);
    EXPECT_EQ(record_at(header, at_sector(v.DirAreaJoliet)).extent, v.DirAreaJoliet);
}

TEST_F(ImageLayoutTest, RecordsNeverCrossASector)
{
    burner.SetJolietFileSystem(false);
    // 45 records of 44 bytes (9-character names + ";1") fill the sector after "." and "..".
    for (int i = 0; i < 45; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "F%04d.MP3", i);
        ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record(name, 1), 0, "/x"));
    }
    lay_out();
    EXPECT_EQ(tree.Root()->Size, 2048);

    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("LAST.MP3", 1), 0, "/x"));
    const LayoutValues& v = lay_out();
    EXPECT_EQ(tree.Root()->Size, 4096);
    // The new record starts the second sector; the first keeps its zero tail.
    const Record last = record_at(burner.HeaderStream(), at_sector(v.DirArea + 1));
    EXPECT_EQ(last.identifier, "LAST.MP3;1");

    // A record that does not fit the rest of a sector moves to the next one.
    tree.ResetFileTree(100, 10);
    for (int i = 0; i < 44; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "F%04d.MP3", i);
        tree.AddFileEntry(tree.Root(), file_record(name, 1), 0, "/x");
    }
    ASSERT_TRUE(tree.AddFileEntry(tree.Root(), file_record("LONGER00.MP3", 1), 0, "/x")); // 46 bytes, 44 left
    const LayoutValues& w = lay_out();
    EXPECT_EQ(tree.Root()->Size, 4096);
    const auto& header = burner.HeaderStream();
    EXPECT_EQ(header[at_sector(w.DirArea) + 68 + 44 * 44], 0);
    EXPECT_EQ(record_at(header, at_sector(w.DirArea + 1)).identifier, "LONGER00.MP3;1");
}

TEST_F(ImageLayoutTest, PathTableOfExactlyTwoSectors)
{
    burner.SetJolietFileSystem(false);
    // 10 + 198 * (8 + 12) + 9 * (8 + 6) = 4096 bytes.
    for (int i = 0; i < 198; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "DIRECTORY%03d", i);
        ASSERT_NE(tree.AddDirEntry(tree.Root(), dir_record(name)), nullptr);
    }
    for (int i = 0; i < 9; ++i)
        ASSERT_NE(tree.AddDirEntry(tree.Root(), dir_record("SHORT" + std::to_string(i))), nullptr);
    const LayoutValues& v = lay_out();
    EXPECT_EQ(v.PathTableSize, 4096u);
    EXPECT_EQ(v.PathTableM, v.PathTableL + 2);
    EXPECT_EQ(v.DirArea, v.PathTableM + 2);
    const auto& header = burner.HeaderStream();
    // Type M starts right after type L, with the root record in big-endian.
    const std::uint8_t* m = header.data() + at_sector(v.PathTableM);
    EXPECT_EQ(m[0], 1);
    EXPECT_EQ(get_be32(m + 2), v.DirArea);
    EXPECT_EQ(get_be16(m + 6), 1);
    // The last record of type L ends exactly at the end of its second sector.
    const std::uint8_t* last = header.data() + at_sector(v.PathTableL) + 4096 - 14;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(last + 8), 6), "SHORT8");
}

TEST_F(ImageLayoutTest, PathTablesAreBreadthFirstAndSortedByName)
{
    TDEntry* b = tree.AddDirEntry(tree.Root(), dir_record("b"));
    TDEntry* ab = tree.AddDirEntry(tree.Root(), dir_record("ab"));
    TDEntry* a = tree.AddDirEntry(tree.Root(), dir_record("a"));
    TDEntry* b_z = tree.AddDirEntry(b, dir_record("z"));
    TDEntry* a_y = tree.AddDirEntry(a, dir_record("y"));
    // Short names sort differently from long names here.
    TDEntry* c = tree.AddDirEntry(tree.Root(), dir_record("c", "0C"));
    const LayoutValues& v = lay_out();

    EXPECT_EQ(tree.IsoOrder(), (std::vector<TDEntry*>{tree.Root(), c, a, ab, b, a_y, b_z}));
    EXPECT_EQ(tree.JolietOrder(), (std::vector<TDEntry*>{tree.Root(), a, ab, b, c, a_y, b_z}));
    EXPECT_EQ(a_y->Number, 6);
    EXPECT_EQ(a_y->Parent->Number, 3);
    EXPECT_EQ(a_y->Parent->NumberJoliet, 2);

    // Directory extents follow the directory table, not the path table.
    EXPECT_EQ(b->Location, 1);
    EXPECT_EQ(c->Location, 6);

    // The record of "y" in the ISO type L table names parent 3, in the Joliet table parent 2.
    const auto& header = burner.HeaderStream();
    auto find_record = [&](std::uint32_t sector, const std::string& identifier) -> const std::uint8_t* {
        const std::uint8_t* p = header.data() + at_sector(sector);
        for (int i = 0; i < 7; ++i) {
            if (std::string(reinterpret_cast<const char*>(p + 8), p[0]) == identifier)
                return p;
            p += 8 + p[0] + (p[0] % 2);
        }
        return nullptr;
    };
    const std::uint8_t* iso_y = find_record(v.PathTableL, "Y");
    ASSERT_NE(iso_y, nullptr);
    EXPECT_EQ(get_le16(iso_y + 6), 3);
    EXPECT_EQ(get_le32(iso_y + 2), v.DirArea + static_cast<std::uint32_t>(a_y->Location));
    const std::uint8_t* joliet_y = find_record(v.PathTableLJoliet, std::string("\0y", 2));
    ASSERT_NE(joliet_y, nullptr);
    EXPECT_EQ(get_le16(joliet_y + 6), 2);
}

TEST_F(ImageLayoutTest, SubfolderRecordsPointAtTheirExtents)
{
    TDEntry* music = tree.CreateDir(tree.Root(), "Music", AttrDirectory | AttrHidden);
    ASSERT_TRUE(tree.AddFileEntry(music, file_record("x.mp3", 3000, AttrHidden), 0, "/m/x.mp3"));
    const LayoutValues& v = lay_out();
    const auto& header = burner.HeaderStream();
    const Record dir = record_at(header, at_sector(v.DirArea) + 68);
    EXPECT_EQ(dir.identifier, "MUSIC");
    EXPECT_EQ(dir.extent, v.DirArea + 1);
    EXPECT_EQ(dir.size, 2048u);
    EXPECT_EQ(dir.flags, 3);
    const Record parent = record_at(header, at_sector(v.DirArea + 1) + 34);
    EXPECT_EQ(parent.extent, v.DirArea);
    const Record file = record_at(header, at_sector(v.DirArea + 1) + 68);
    EXPECT_EQ(file.identifier, "X.MP3;1");
    EXPECT_EQ(file.flags, 1);
    EXPECT_EQ(file.extent, 150u);
    const Record joliet_dir = record_at(header, at_sector(v.DirAreaJoliet) + 68);
    EXPECT_EQ(joliet_dir.extent, v.DirAreaJoliet + 1);
}

class StartSectorQueries : public DiscQueries {
public:
    std::optional<std::uint32_t> start;
    int imports = 0;
    std::uint8_t ReadDiscType() override { return 2; }
    std::optional<std::uint32_t> FindStartSector() override { return start; }
    bool ImportPreviousSession(std::int8_t, TDEntry*) override { return ++imports, true; }
};

class BurningBurner : public TVordaCDBurner {
public:
    void set_burn_starting(bool on) { burn_starting_ = on; }
};

TEST(ImageLayoutStartTest, SessionAtSector30000IsLaidOutWithAbsoluteSectors)
{
    BurningBurner burner;
    StartSectorQueries queries;
    queries.start = 30000;
    burner.SetDiscQueries(&queries);
    burner.Tree().AddFileEntry(burner.Tree().Root(), file_record("a.mp3", 5000), 0, "/x/a.mp3");

    burner.BuildLayout(false);
    EXPECT_EQ(burner.Layout().StartSector, 0u) << "only a starting burn asks for the start sector";
    EXPECT_EQ(burner.CurrentDiscTypeCode(), 2);

    burner.set_burn_starting(true);
    burner.BuildLayout(false);
    burner.BuildImageHeader();
    const LayoutValues& v = burner.Layout();
    EXPECT_EQ(v.PrimaryDescriptor, 30016u);
    EXPECT_EQ(v.DirArea, 30023u);
    EXPECT_EQ(v.PadSectors, 0);
    EXPECT_EQ(v.FirstFileLocation, 30025u);
    EXPECT_EQ(v.VolumeEnd, 30028);
    EXPECT_EQ(v.ImageSectors, 28);
    EXPECT_EQ(burner.ImageSize(), 300);

    const auto& header = burner.HeaderStream();
    ASSERT_EQ(header.size(), 25u * 2048u);
    const std::uint8_t* pvd = header.data() + 16 * 2048;
    EXPECT_EQ(get_le32(pvd + 80), 30028u);
    EXPECT_EQ(get_le32(pvd + 140), 30019u);
    EXPECT_EQ(get_le32(pvd + 156 + 2), 30023u);
    const Record file = record_at(header, at_sector(v.DirArea, 30000) + 68);
    EXPECT_EQ(file.extent, 30025u);
}

TEST(ImageLayoutStartTest, FailedStartQueryIsReportedAndStartsAtZero)
{
    BurningBurner burner;
    StartSectorQueries queries;
    burner.SetDiscQueries(&queries);
    std::vector<std::pair<std::string, int>> messages;
    burner.OnDebugMessage = [&](TSCSIDevice*, const std::string& m, int type) { messages.emplace_back(m, type); };
    burner.set_burn_starting(true);
    burner.BuildLayout(false);
    EXPECT_EQ(burner.Layout().StartSector, 0u);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, ">>> ERROR GETTING NEXT WRITABLE ADDRESS");
    EXPECT_EQ(messages[0].second, 0);

    queries.start = 0xFF000001u;
    burner.BuildLayout(false);
    EXPECT_EQ(burner.Layout().StartSector, 0u);

    burner.SetImportSession(255);
    burner.BuildLayout(false);
    EXPECT_EQ(queries.imports, 1);
    burner.BuildLayout(true);
    EXPECT_EQ(queries.imports, 1);
}

TEST_F(ImageLayoutTest, BootableImagePutsTheCatalogAndImageBeforeTheFiles)
{
    test::TempFolder folder;
    burner.SetBootImage(folder.file("boot.img", 1474560));
    burner.SetBootable(true);
    const LayoutValues& v = lay_out();
    EXPECT_TRUE(burner.Bootable());
    EXPECT_EQ(v.BootRecordDescriptor, 17u);
    EXPECT_EQ(v.JolietDescriptor, 18u);
    EXPECT_EQ(v.Terminator, 19u);
    EXPECT_EQ(v.BootCatalogLocation, 26u);
    EXPECT_EQ(v.BootImageLocation, 27u);
    EXPECT_EQ(v.BootImageSectors, 720u);
    EXPECT_EQ(v.PadSectors, 0);
    EXPECT_EQ(v.FirstFileLocation, 747u);

    const auto& header = burner.HeaderStream();
    ASSERT_EQ(header.size(), 27u * 2048u) << "the header ends with the catalog";
    const std::uint8_t* record = header.data() + 17 * 2048;
    EXPECT_EQ(record[0], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record + 7), 23), "EL TORITO SPECIFICATION");
    EXPECT_EQ(get_le32(record + 71), 26u);
    const std::uint8_t* catalog = header.data() + 26 * 2048;
    std::uint16_t sum = 0;
    for (int i = 0; i < 32; i += 2)
        sum = static_cast<std::uint16_t>(sum + get_le16(catalog + i));
    EXPECT_EQ(sum, 0);
    EXPECT_EQ(catalog[30], 0x55);
    EXPECT_EQ(catalog[31], 0xAA);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(catalog + 4)), "Vorda CD/DVD Burner");
    EXPECT_EQ(catalog[32], 0x88);
    EXPECT_EQ(catalog[33], 2);
    EXPECT_EQ(get_le16(catalog + 38), 1);
    EXPECT_EQ(get_le32(catalog + 40), 27u);

    burner.SetBootImage((folder.path() / "missing.img").string());
    burner.BuildLayout(true);
    EXPECT_FALSE(burner.Bootable());
}

TEST_F(ImageLayoutTest, SmallBootImageGetsPaddingToSector150AfterIt)
{
    test::TempFolder folder;
    burner.SetBootImage(folder.file("boot.img", 4096));
    burner.SetBootable(true);
    const LayoutValues& v = lay_out();
    EXPECT_EQ(v.BootImageSectors, 2u);
    EXPECT_EQ(v.BootImageLocation + 2 + v.PadSectors, 150);
    EXPECT_EQ(burner.HeaderStream().size(), std::size_t{v.BootCatalogLocation + 1} * 2048);
    EXPECT_EQ(burner.HeaderStream()[v.BootCatalogLocation * 2048 + 33], 4) << "hard disk media type";
}

} // namespace
} // namespace valmuri
