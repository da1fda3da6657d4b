// Stored items: the storage format, the levels, the ratio texts and the
// program's own items compiled into it.

#include "jobs/core/program_storage.h"
#include "mp3_fixture.h"
#include "platform/endian.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

using namespace valmuri::jobs;
using valmuri::NumberFormat;

Bytes sample(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7) % 13 + (i / 100));
    return bytes;
}

TEST(StoredItem, CompressedDataIsAZlibStreamOfSizeThenBytes)
{
    TmxStorage storage;
    TmxStoredItem& item = storage.add();
    EXPECT_EQ(item.Compression(), TCompressionLevel::clDefault);
    const Bytes file = sample(5000);
    item.load_from_bytes(file);
    EXPECT_EQ(item.FileSize(), 5000u);

    Bytes content(6000);
    uLongf length = static_cast<uLongf>(content.size());
    ASSERT_EQ(uncompress(content.data(), &length, item.stored_data().data(), item.stored_data().size()), Z_OK);
    ASSERT_EQ(length, 5004u);
    EXPECT_EQ(valmuri::get_le32(content.data()), 5000u);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), content.begin() + 4));
    EXPECT_EQ(item.extract(), file);

    const Bytes property = item.save_property();
    EXPECT_EQ(valmuri::get_le32(property.data()), item.Size());
    EXPECT_EQ(property.size(), item.Size() + 4u);
}

TEST(StoredItem, EveryLevelRoundTripsAndNoneStoresTheBytesThemselves)
{
    const Bytes file = sample(20000);
    std::uint32_t sizes[4] = {};
    int i = 0;
    for (auto level : {TCompressionLevel::clNone, TCompressionLevel::clFastest, TCompressionLevel::clDefault,
             TCompressionLevel::clMax}) {
        TmxStoredItem item;
        item.SetCompression(level);
        item.load_from_bytes(file);
        EXPECT_EQ(item.extract(), file);
        sizes[i++] = item.Size();
    }
    EXPECT_EQ(sizes[0], 20000u);
    EXPECT_LT(sizes[1], sizes[0]);
    EXPECT_LE(sizes[3], sizes[1]);

    TmxStoredItem item;
    item.load_from_bytes(file);
    item.SetCompression(TCompressionLevel::clNone); // re-encodes what it holds
    EXPECT_EQ(item.stored_data(), file);
    item.SetCompression(TCompressionLevel::clMax);
    EXPECT_EQ(item.extract(), file);

    item.load_from_bytes({}); // an empty source empties the item
    EXPECT_EQ(item.Size(), 0u);
    EXPECT_EQ(item.FileSize(), 0u);
    EXPECT_EQ(item.extract(), Bytes{});
}

TEST(StoredItem, DamagedPropertyOrStreamIsRefused)
{
    TmxStoredItem item;
    EXPECT_FALSE(item.load_property({1, 2}, TCompressionLevel::clMax, 10));
    EXPECT_FALSE(item.load_property({9, 0, 0, 0, 1}, TCompressionLevel::clMax, 10));
    ASSERT_TRUE(item.load_property({3, 0, 0, 0, 1, 2, 3}, TCompressionLevel::clMax, 10));
    EXPECT_FALSE(item.extract().has_value());
    valmuri::test::ScratchFolder folder;
    std::string error;
    EXPECT_FALSE(item.extract_to_file(folder.path() / "out", error));
    EXPECT_FALSE(error.empty());
}

TEST(StoredItem, RatioTextsFollowTheLocaleWithTwoDecimals)
{
    const NumberFormat comma = NumberFormat::brazilian();
    EXPECT_EQ(ratio_text(285400, 308660, comma), "92,46%");
    EXPECT_EQ(ratio_text(658, 2238, comma), "29,40%");
    EXPECT_EQ(ratio_text(118, 1784, comma), "6,61%");
    EXPECT_EQ(ratio_text(795, 1784, comma), "44,56%");
    EXPECT_EQ(ratio_text(795, 1784, NumberFormat{",", "."}), "44.56%");
    EXPECT_EQ(ratio_text(0, 0, comma), "100%");
    TmxStoredItem empty;
    EXPECT_EQ(empty.Ratio(comma), "100%");
}

TEST(Storage, NamesAreNumberedUniqueAndCompareWithoutCase)
{
    TmxStorage storage;
    EXPECT_EQ(storage.add().Name(), "mxStoredItem1");
    EXPECT_EQ(storage.add().Name(), "mxStoredItem2");
    std::string error;
    EXPECT_TRUE(storage.rename(0, "Som", error));
    EXPECT_EQ(storage.add().Name(), "mxStoredItem1"); // the smallest number free again
    EXPECT_FALSE(storage.rename(1, "SOM", error));
    EXPECT_EQ(error, "Duplicated stored item name");
    EXPECT_EQ(storage.item(1).Name(), "mxStoredItem2");
    EXPECT_TRUE(storage.rename(0, "som", error)); // its own name in another case
    EXPECT_NE(storage.find("MXSTOREDITEM2"), nullptr);
}

TEST(ProgramStorage, HoldsTheFiveItemsAtTheBestLevel)
{
    const TmxStorage storage = program_storage();
    ASSERT_EQ(storage.count(), 5u);
    const char* names[] = {"Rock.wav", "mouse2.ico", "autorun.inf", "bullets24_h.bmp", "cd24_h.bmp"};
    std::uint64_t stored = 0, original = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        const TmxStoredItem& item = storage.item(i);
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(item.FileName(), names[i]);
        EXPECT_EQ(item.Compression(), TCompressionLevel::clMax);
        const auto bytes = item.extract();
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(bytes->size(), item.FileSize());
        EXPECT_LT(item.Size(), item.FileSize() + 16u);
        stored += item.Size();
        original += item.FileSize();
    }
    EXPECT_EQ(storage.Size(), stored);
    EXPECT_EQ(storage.OriginalSize(), original);
    EXPECT_EQ(storage.Ratio(NumberFormat::brazilian()), ratio_text(stored, original, NumberFormat::brazilian()));
    EXPECT_EQ(TmxStorage::kVersion, "1.2");
}

TEST(ProgramStorage, AutorunInfIsThreeCrLfLines)
{
    const auto autorun = program_storage().item(static_cast<std::size_t>(ProgramItem::AutorunInf)).extract();
    ASSERT_TRUE(autorun.has_value());
    EXPECT_EQ(std::string(autorun->begin(), autorun->end()), "[autorun]\r\nOPEN=orvik.exe\r\nICON=orvik.exe,0\r\n");
}

TEST(ProgramStorage, AssetsAreWellFormedFiles)
{
    const TmxStorage storage = program_storage();
    const Bytes wav = *storage.item(0).extract();
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(valmuri::get_le32(wav.data() + 4), wav.size() - 8);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(valmuri::get_le32(wav.data() + 40), wav.size() - 44);

    const Bytes cursor = *storage.item(1).extract();
    EXPECT_EQ(valmuri::get_le16(cursor.data() + 2), 2); // a cursor, not an icon
    EXPECT_EQ(valmuri::get_le32(cursor.data() + 18), 22u);
    EXPECT_EQ(valmuri::get_le32(cursor.data() + 14), cursor.size() - 22);

    for (std::size_t i : {3u, 4u}) {
        const Bytes bmp = *storage.item(i).extract();
        EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");
        EXPECT_EQ(valmuri::get_le32(bmp.data() + 2), bmp.size());
        EXPECT_EQ(valmuri::get_le32(bmp.data() + 18), 24u);
        EXPECT_EQ(valmuri::get_le32(bmp.data() + 22), 24u);
    }
}

TEST(ProgramStorage, ExtractToFileOverwritesAndStaysUnchanged)
{
    valmuri::test::ScratchFolder folder;
    TmxStorage storage = program_storage();
    const auto path = folder.write("drag_mouse.cur", std::string(10000, 'x'));
    std::string error;
    ASSERT_TRUE(storage.item(1).extract_to_file(path, error)) << error;
    EXPECT_EQ(valmuri::test::read_bytes(path), *storage.item(1).extract());
    EXPECT_FALSE(storage.item(1).extract_to_file(folder.path() / "no" / "such" / "folder", error));

    // Switching the glyphs to no compression, as the song list does, keeps their bytes.
    const Bytes glyph = *storage.item(3).extract();
    storage.item(3).SetCompression(TCompressionLevel::clNone);
    EXPECT_EQ(storage.item(3).stored_data(), glyph);
}

} // namespace
