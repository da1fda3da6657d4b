#include "app/core/compilation.h"
#include "app/core/project_information.h"
#include "app/core/structure_editor.h"

#include "tests/engine/temp_folder.h"

#include <gtest/gtest.h>

namespace valmuri {
namespace {

Compilation& fill(Compilation& c, int n)
{
    for (int i = 1; i <= n; ++i)
        c.append_track("T" + std::to_string(i), "", "/m/T" + std::to_string(i) + ".mp3");
    return c;
}

std::vector<std::string> names(const std::vector<std::string>& rows)
{
    std::vector<std::string> result;
    for (const auto& row : rows)
        result.push_back(row_field(row, TrackField::Number) + ":" + row_field(row, TrackField::DiscName));
    return result;
}

TEST(Editing, RenameRules)
{
    Compilation c;
    c.append_track("Song", "", "/m/Song.mp3");
    c.append_track("Other", "", "/m/Other.mp3");
    EXPECT_EQ(c.rename(0, "  SONG\t"), EditResult::Done);
    EXPECT_EQ(c.disc_name(0), "SONG");
    EXPECT_EQ(c.rename(1, "song"), EditResult::NameTaken);
    EXPECT_EQ(c.disc_name(1), "Other");
    EXPECT_EQ(c.rename(1, " \t "), EditResult::EmptyName);
    EXPECT_EQ(c.rename(1, "a;b"), EditResult::HasSemicolon);
    EXPECT_EQ(c.rename(5, "x"), EditResult::NoSuchRow);
    EXPECT_EQ(c.rename(1, "Música"), EditResult::Done);
    EXPECT_EQ(c.row(1), "002;Música;;/m/Other.mp3");
}

TEST(Editing, MovesRenumber)
{
    Compilation c;
    fill(c, 8);
    ASSERT_TRUE(c.move_row(4, 1));
    EXPECT_EQ(names(c.rows()), (std::vector<std::string>{"001:T1", "002:T5", "003:T2", "004:T3", "005:T4", "006:T6",
                                                         "007:T7", "008:T8"}));
    EXPECT_FALSE(c.move_up(0));
    EXPECT_FALSE(c.move_down(7));
    EXPECT_FALSE(c.move_row(0, 8));
    ASSERT_TRUE(c.move_down(0));
    EXPECT_EQ(c.row(1), "002;T1;;/m/T1.mp3");
    // Drag-reorder: row 2 released over row 5.
    Compilation d;
    fill(d, 6);
    d.move_row(1, 4);
    EXPECT_EQ(names(d.rows()),
              (std::vector<std::string>{"001:T1", "002:T3", "003:T4", "004:T5", "005:T2", "006:T6"}));
}

TEST(Editing, DeleteSeveralRows)
{
    Compilation c;
    fill(c, 5);
    c.delete_rows({3, 1, 3});
    EXPECT_EQ(names(c.rows()), (std::vector<std::string>{"001:T1", "002:T3", "003:T5"}));
    c.delete_rows({0, 1, 2});
    EXPECT_TRUE(c.empty());
}

TEST(Editing, ReplaceSource)
{
    test::TempFolder folder;
    Compilation c;
    c.append_track("Song", "9", "/old/Song.mp3");
    c.append_track("Other", "", "/old/Other.mp3");
    const std::string same = folder.file("SONG.mp3", 1234);
    EXPECT_EQ(c.replace_source(0, same, NumberFormat::brazilian()), EditResult::Done);
    EXPECT_EQ(c.row(0), "001;SONG;1.234;" + same);
    EXPECT_EQ(c.replace_source(0, folder.file("other.mp3", 1), NumberFormat::brazilian()), EditResult::NameTaken);
    EXPECT_EQ(c.row(0), "001;SONG;1.234;" + same);
    // A long file whose first 64 characters are the row's own name.
    const std::string name64(64, 'L');
    c.rename(1, name64);
    bool cut = false;
    const std::string longer = folder.file(name64 + "-more.mp3", 1);
    EXPECT_EQ(c.replace_source(1, longer, NumberFormat::brazilian(), &cut), EditResult::Done);
    EXPECT_TRUE(cut);
    EXPECT_EQ(c.source_path(1), longer);
}

TEST(Editing, AutoRename)
{
    Compilation c;
    c.append_track("076_Artista - Musica", "", "/m/a.mp3");
    c.append_track("Musica", "", "/m/b.mp3");
    c.auto_rename_remove({0}, {"0", "_"}, "");
    EXPECT_EQ(c.disc_name(0), "76Artista - Musica");
    c.auto_rename_add({1}, "Artista - ", AutoRenamePlace::Start);
    EXPECT_EQ(c.disc_name(1), "Artista - Musica");
    c.auto_rename_add({1}, "!", AutoRenamePlace::End);
    EXPECT_EQ(c.disc_name(1), "Artista - Musica!");
    // A text holding ";" acts as its parts.
    c.auto_rename_remove({0, 1}, {"7;!"}, "x");
    EXPECT_EQ(c.disc_name(0), "x6Artista - Musica");
    EXPECT_EQ(c.disc_name(1), "Artista - Musicax");
}

TEST(StructureEditor, MovesBetweenAndInsideTheLists)
{
    Compilation c;
    fill(c, 5);
    StructureEditor editor(c);
    editor.move_to_new({2, 0});
    EXPECT_EQ(names(editor.new_rows()), (std::vector<std::string>{"001:T1", "002:T3"}));
    EXPECT_EQ(names(editor.current_rows()), (std::vector<std::string>{"002:T2", "004:T4", "005:T5"}));
    editor.move_to_new({0, 1, 2});
    // A slow drag from 1 to 4 exchanges with every row passed over.
    int at = 0;
    for (int over = 1; over <= 3; ++over)
        at = editor.drag_over(at, over);
    at = editor.drop_in_new(at, 3);
    EXPECT_EQ(at, 3);
    EXPECT_EQ(names(editor.new_rows()),
              (std::vector<std::string>{"001:T3", "002:T2", "003:T4", "004:T1", "005:T5"}));
    // Dropping below the last row moves it to the end.
    EXPECT_EQ(editor.drop_in_new(0, 5), 4);
    EXPECT_EQ(names(editor.new_rows()).back(), "005:T3");
    editor.move_back(0);
    EXPECT_EQ(names(editor.current_rows()), (std::vector<std::string>{"001:T2"}));
    EXPECT_EQ(names(editor.new_rows()).front(), "001:T4");

    EXPECT_TRUE(editor.drops_rows(c));
    editor.apply(c);
    EXPECT_EQ(c.row_count(), 4);
    StructureEditor empty(c);
    EXPECT_TRUE(empty.drops_rows(c));
    empty.apply(c);
    EXPECT_TRUE(c.empty());
}

TEST(ProjectInformation, ExportCommentsTitleAndFigures)
{
    Compilation c;
    fill(c, 3);
    EXPECT_EQ(export_list_text(c), "001. T1\r\n002. T2\r\n003. T3\r\n");
    EXPECT_EQ(comment_lines("a#b#"), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(comment_lines(join_comment_lines({"x#y", "z"})), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(cut_cd_title("Minha Coletânea de Verão"), "Minha Coletânea ");
    TranslationTable texts;
    texts.set_text(145, "650: %1");
    texts.set_text(146, "700: %1");
    texts.set_text(147, "Faixas: %1");
    texts.set_text(158, "%1 MB");
    CapacityFigures last;
    last.free_650_text = "-14,06 MB livres";
    last.free_700_text = "35,94 MB livres";
    last.percent_650 = 100;
    last.percent_700 = 94;
    ProjectInformation info = project_information(c, last, "Total: 664,06 MB", texts);
    EXPECT_EQ(info.tracks, "Faixas: 3");
    EXPECT_EQ(info.total, "Total: 664,06 MB");
    EXPECT_EQ(info.free_650, "650: -14,06 MB livres");
    EXPECT_EQ(info.percent_700, 94);
    c.clear();
    info = project_information(c, last, "Total: 0 MB", texts);
    EXPECT_EQ(info.free_700, "700: 700 MB");
    EXPECT_EQ(info.percent_650, 0);
}

} // namespace
} // namespace valmuri
