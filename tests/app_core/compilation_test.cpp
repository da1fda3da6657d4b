#include "app/core/compilation.h"
#include "app/core/track_row.h"

#include <gtest/gtest.h>

namespace valmuri {
namespace {

TEST(TrackRow, NumbersFieldsAndSizes)
{
    EXPECT_EQ(pad_number(7), "007");
    EXPECT_EQ(pad_number(999), "999");
    EXPECT_EQ(pad_number(1000), "1000");
    const std::string row = make_row("007", "Artista - Musica", "4.567.890", "/mp3/Artista - Musica.mp3");
    EXPECT_EQ(row, "007;Artista - Musica;4.567.890;/mp3/Artista - Musica.mp3");
    EXPECT_EQ(row_field(row, TrackField::DiscName), "Artista - Musica");
    EXPECT_EQ(row_field(row, TrackField::SourcePath), "/mp3/Artista - Musica.mp3");
    EXPECT_EQ(row_field("001;a", 3), "");
    EXPECT_EQ(row_field("001;a", 0), "");
    EXPECT_EQ(with_field("001;a;3;/p", 2, "b"), "001;b;3;/p");
    EXPECT_EQ(with_field("001", 3, "x"), "001;;x");
    EXPECT_EQ(size_text(4567890, NumberFormat::brazilian()), "4.567.890");
    EXPECT_EQ(size_text(0, NumberFormat::brazilian()), "");
    EXPECT_EQ(file_size_text("/nonexistent/x.mp3", NumberFormat::brazilian()), "");
}

TEST(TrackRow, DiscNamesAreCutTo64Characters)
{
    EXPECT_EQ(disc_name_for("/m/Song.final.MP3").name, "Song.final");
    const std::string long_name(70, 'x');
    const DiscNameCut cut = disc_name_for("/m/" + long_name + ".mp3");
    EXPECT_TRUE(cut.cut);
    EXPECT_EQ(cut.name, std::string(64, 'x'));
    // Characters, not bytes: 65 accented letters are cut to 64 of them.
    std::string accented;
    for (int i = 0; i < 65; ++i)
        accented += "é";
    EXPECT_EQ(disc_name_for("/m/" + accented + ".mp3").name.size(), 128u);
}

struct Recorder : CompilationObserver {
    std::vector<std::string> calls;
    void rows_about_to_be_inserted(int f, int l) override { calls.push_back("+" + std::to_string(f) + std::to_string(l)); }
    void rows_about_to_be_removed(int f, int l) override { calls.push_back("-" + std::to_string(f) + std::to_string(l)); }
    void rows_changed(int f, int l) override { calls.push_back("~" + std::to_string(f) + std::to_string(l)); }
    void rows_reset() override { calls.push_back("reset"); }
    void options_changed() override { calls.push_back("options"); }
};

TEST(Compilation, AppendsNumberedRowsAndFindsNamesWithOnlyAsciiFolded)
{
    Compilation c;
    Recorder recorder;
    c.add_observer(&recorder);
    c.append_track("Song", "1", "/a/Song.mp3");
    c.append_track("Música", "2", "/a/Música.mp3");
    EXPECT_EQ(c.row(0), "001;Song;1;/a/Song.mp3");
    EXPECT_EQ(c.track_number(1), "002");
    EXPECT_EQ(c.find_disc_name("SONG"), 0);
    EXPECT_EQ(c.find_disc_name("MúSICA"), 1);
    EXPECT_EQ(c.find_disc_name("MÚSICA"), -1);
    EXPECT_EQ(c.find_other_disc_name("song", 0), -1);
    c.set_track(0, "Other", "3", "/b/Other.mp3");
    EXPECT_EQ(c.row(0), "001;Other;3;/b/Other.mp3");
    EXPECT_EQ(c.find_disc_name("song"), -1);
    EXPECT_EQ(c.find_disc_name("OTHER"), 0);
    c.set_options(ProjectOptions{});
    ProjectOptions titled;
    titled.cd_title = "X";
    c.set_options(titled);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"+00", "+11", "~00", "options"}));
    c.remove_observer(&recorder);
}

TEST(Compilation, RenumberRebuildsRowsReadAsStored)
{
    Compilation c;
    c.set_rows({"003;c;1;/c.mp3", "001;a;1;/a.mp3", "002;b;1;/b.mp3"});
    EXPECT_EQ(c.track_number(0), "003");
    c.renumber();
    EXPECT_EQ(c.rows(), (std::vector<std::string>{"001;c;1;/c.mp3", "002;a;1;/a.mp3", "003;b;1;/b.mp3"}));
    c.reset_to_new();
    EXPECT_TRUE(c.empty());
    EXPECT_TRUE(c.project_file().empty());
}

} // namespace
} // namespace valmuri
