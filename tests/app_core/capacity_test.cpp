#include "app/core/capacity.h"
#include "app/core/capacity_texts.h"

#include "tests/engine/temp_folder.h"

#include <gtest/gtest.h>

namespace valmuri {
namespace {

TranslationTable capacity_texts()
{
    TranslationTable texts;
    texts.set_text(141, "MB Livres no CD 650 MB");
    texts.set_text(142, "Total Projeto:");
    texts.set_text(143, "arquivo(s)");
    texts.set_text(144, "MB Livres no CD 700 MB");
    texts.set_text(162, "MB livres");
    return texts;
}

TEST(Capacity, FiguresOf340000Blocks)
{
    const CapacityFigures f = capacity_figures(340000, 12, capacity_texts(), NumberFormat::brazilian());
    EXPECT_EQ(f.project_total, "Total Projeto: 664,06 MB");
    EXPECT_EQ(f.file_count, "12 arquivo(s)");
    EXPECT_EQ(f.bar_caption, "-14,06 MB Livres no CD 650 MB / 35,94 MB Livres no CD 700 MB");
    EXPECT_EQ(f.free_650_text, "-14,06 MB livres");
    EXPECT_EQ(f.percent_650, 100);
    EXPECT_EQ(f.percent_700, 94);
}

TEST(Capacity, PercentagesDivideByTheirOwnLimits)
{
    // 332801 blocks: just over 650 MB, so percent 650 is 100 although the
    // division would give 99.
    EXPECT_EQ(capacity_figures(332801, 1, capacity_texts(), NumberFormat::brazilian()).percent_650, 100);
    EXPECT_EQ(capacity_figures(332800, 1, capacity_texts(), NumberFormat::brazilian()).percent_650, 99);
}

TEST(Capacity, EmptyCompilationShowsTheEmptyTexts)
{
    TVordaCDBurner burner;
    Compilation empty;
    const CapacityFigures f = recompute_capacity(burner, empty, capacity_texts(), NumberFormat::brazilian());
    EXPECT_EQ(f.project_total, "Total Projeto: 0 MB");
    EXPECT_EQ(f.file_count, "0 arquivo(s)");
    EXPECT_EQ(f.bar_caption, "650,00 MB Livres no CD 650 MB / 700,00 MB Livres no CD 700 MB");
    EXPECT_EQ(f.percent_700, 0);

    test::TempFolder folder;
    Compilation one;
    one.append_track("a", "", folder.file("a.mp3", 10));
    recompute_capacity(burner, one, capacity_texts(), NumberFormat::brazilian());
    ASSERT_EQ(burner.FileCount(), 1);
    EXPECT_EQ(empty_capacity(burner, capacity_texts(), NumberFormat::brazilian()).file_count, "0 arquivo(s)");
    EXPECT_EQ(burner.FileCount(), 0);
    const CapacityTexts cleared = cleared_capacity_texts(capacity_texts());
    EXPECT_EQ(cleared.bar_caption, "650,00 MB Livres no CD 650 MB  /  700,00 MB Livres no CD 700 MB");
    EXPECT_EQ(cleared.project_total, "Total Projeto: 0 MB");
}

TEST(Capacity, SwappedNamesKeepEveryFileInTheTree)
{
    test::TempFolder folder;
    const std::string intro = folder.file("Intro.mp3", 5000);
    const std::string x = folder.file("X.mp3", 7000);
    const std::string missing = (folder.path() / "gone.mp3").string();
    Compilation c;
    c.append_track("X", "", intro);
    c.append_track("Y", "", x);
    c.append_track("A name longer than thirteen", "", missing);
    c.append_track("A name longer than thirteen too", "", x);
    TVordaCDBurner burner;
    const CapacityFigures f = recompute_capacity(burner, c, capacity_texts(), NumberFormat::brazilian());
    const DiscTree& tree = burner.Tree();
    ASSERT_EQ(burner.FileCount(), 3);
    const TFEntry* first = tree.Root()->FirstEntry;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->LongName, "X.mp3");
    EXPECT_EQ(first->ShortName, "X.MP3");
    EXPECT_EQ(first->SourcePath, intro);
    ASSERT_NE(first->Next, nullptr);
    EXPECT_EQ(first->Next->LongName, "Y.mp3");
    EXPECT_EQ(first->Next->SourcePath, x);
    ASSERT_NE(first->Next->Next, nullptr);
    // Over 13 characters: the short name comes from the source file's name.
    EXPECT_EQ(first->Next->Next->LongName, "A name longer than thirteen too.mp3");
    EXPECT_EQ(first->Next->Next->ShortName.substr(0, 1), "X");
    EXPECT_GE(f.blocks, 300);
    EXPECT_EQ(f.file_count, "4 arquivo(s)");
}

} // namespace
} // namespace valmuri
