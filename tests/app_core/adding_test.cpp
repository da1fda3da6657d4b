#include "app/core/adding.h"
#include "app/core/music_search.h"

#include "tests/engine/temp_folder.h"

#include <gtest/gtest.h>

#include <deque>

namespace valmuri {
namespace {

struct ScriptedAnswers : AddingHandler {
    std::deque<ReplaceAnswer> answers;
    std::vector<ReplaceQuestion> questions;
    std::vector<int> percents;
    ReplaceAnswer ask_replace(const ReplaceQuestion& q) override
    {
        questions.push_back(q);
        ReplaceAnswer a = answers.empty() ? ReplaceAnswer::No : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a;
    }
    void progress(int percent) override { percents.push_back(percent); }
};

class AddingTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    Compilation c;
    ScriptedAnswers handler;
    AddingReport add(const std::vector<std::string>& paths)
    {
        return add_files(c, paths, handler, NumberFormat::brazilian());
    }
};

TEST_F(AddingTest, OnlyMp3NamesInAnyCaseAndNoFolders)
{
    const std::string a = folder.file("a.MP3", 4567890);
    const std::string wav = folder.file("b.wav", 10);
    std::filesystem::create_directories(folder.path() / "dir.mp3");
    const AddingReport report = add({a, wav, (folder.path() / "dir.mp3").string()});
    ASSERT_EQ(c.row_count(), 1);
    EXPECT_EQ(c.row(0), "001;a;4.567.890;" + a);
    EXPECT_EQ(report.added, 1);
    EXPECT_EQ(handler.percents, (std::vector<int>{0, 33, 66}));
    EXPECT_EQ(file_pane_candidate("/m", "x"), "/m/x.mp3");
    EXPECT_EQ(file_pane_candidate("/m/", "x"), "/m/x.mp3");
}

TEST_F(AddingTest, ReplaceAnswersYesToAllAndCancel)
{
    c.append_track("Song", "", "/old/Song.mp3");
    c.append_track("Two", "", "/old/Two.mp3");
    c.append_track("Three", "", "/old/Three.mp3");
    const std::string song = folder.file("new/SONG.mp3", 3);
    const std::string two = folder.file("new/two.mp3", 4);
    handler.answers = {ReplaceAnswer::YesToAll};
    AddingReport report = add({song, two});
    ASSERT_EQ(handler.questions.size(), 1u);
    EXPECT_EQ(handler.questions[0].old_file, "Song.mp3");
    EXPECT_EQ(handler.questions[0].old_folder, "/old/");
    EXPECT_EQ(handler.questions[0].new_file, "SONG.mp3");
    EXPECT_EQ(report.replaced, 2);
    // A replaced row keeps its number and takes the new name, size and path.
    EXPECT_EQ(c.row(0), "001;SONG;3;" + song);
    EXPECT_EQ(c.row(1), "002;two;4;" + two);

    handler.questions.clear();
    handler.answers = {ReplaceAnswer::Cancel};
    const std::string three = folder.file("THREE.mp3", 1);
    const std::string fresh = folder.file("fresh.mp3", 1);
    report = add({three, folder.file("Song.mp3", 1), fresh});
    EXPECT_EQ(handler.questions.size(), 1u);
    EXPECT_EQ(report.kept_out.size(), 2u);
    EXPECT_EQ(report.added, 1);
    EXPECT_EQ(c.row(3), "004;fresh;1;" + fresh);

    handler.answers = {ReplaceAnswer::No, ReplaceAnswer::Yes};
    report = add({three, three});
    EXPECT_EQ(report.kept_out.size(), 1u);
    EXPECT_EQ(report.replaced, 1);
    EXPECT_EQ(c.disc_name(2), "THREE");
}

TEST_F(AddingTest, CutsAreCountedAndDuplicatesOfCutNamesAsked)
{
    const std::string base(64, 'n');
    const std::string first = folder.file(base + "-one-----.mp3", 1);
    const std::string second = folder.file(base + "-two-----.mp3", 1);
    handler.answers = {ReplaceAnswer::No};
    const AddingReport report = add({first, second});
    EXPECT_EQ(report.cut_count, 2);
    EXPECT_EQ(c.row_count(), 1);
    EXPECT_EQ(handler.questions.size(), 1u);
    TranslationTable texts;
    texts.set_text(106, "one cut");
    texts.set_text(107, "%1 cuts");
    EXPECT_EQ(cut_report_text(2, texts), "2 cuts");
    EXPECT_EQ(cut_report_text(1, texts), "one cut");
    EXPECT_EQ(cut_report_text(0, texts), "");
}

TEST_F(AddingTest, SourcesHoldingSemicolonsAreRefusedByName)
{
    const std::string bad = folder.file("a;b.mp3", 1);
    const AddingReport report = add({bad});
    EXPECT_TRUE(c.empty());
    EXPECT_EQ(report.refused_semicolon, (std::vector<std::string>{bad}));
    TranslationTable texts;
    texts.set_text(221, "refused %1");
    EXPECT_EQ(semicolon_refusal_text(bad, texts), "refused " + bad);
}

TEST(MusicSearch, MatchesWholeRowsWithFullCaseFolding)
{
    Compilation c;
    for (int i = 1; i <= 12; ++i)
        c.append_track("Faixa " + std::to_string(i), i == 11 ? "1.004" : "", "/m/f.mp3");
    c.append_track("Canção ÁGUA", "", "/m/x.mp3");
    EXPECT_EQ(search_rows(c, "mp3").size(), 13u);
    // 001 ... 009 and the size 1.004 of track 11.
    const auto zeros = search_rows(c, "00");
    EXPECT_EQ(zeros.size(), 10u);
    EXPECT_EQ(search_rows(c, "água").size(), 1u);
    std::vector<int> percents;
    search_rows(c, "x", [&](int p) { percents.push_back(p); });
    EXPECT_EQ(percents.back(), 100);

    EXPECT_EQ(row_of_search_result(c, c.row(4)), 4);
    EXPECT_EQ(row_of_search_result(c, "014;Faixa 14;;/m"), -1);
    c.delete_rows({0});
    EXPECT_EQ(row_of_search_result(c, "005;Faixa 5;;/m"), -1);
    EXPECT_EQ(row_of_search_result(c, "004;faixa 5;;/m"), 3);
}

} // namespace
} // namespace valmuri
