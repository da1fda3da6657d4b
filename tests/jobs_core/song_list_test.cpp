// Song list lines, the HTML page, the filter and reading a disc's folders.

#include "jobs/core/song_list.h"
#include "mp3_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace valmuri::jobs;
using valmuri::test::ScratchFolder;
using Lines = std::vector<std::string>;

TEST(SongListFilter, PiecesBecomeBlanksThenLeadingBlanksGo)
{
    EXPECT_EQ(filter_song_name("[Bonus] Live Song", "[Bonus];Live"), "Song");
    EXPECT_EQ(filter_song_name("[bonus] live Song", "[Bonus];Live"), "[bonus] live Song"); // case matters
    EXPECT_EQ(filter_song_name("A Live Live B", "Live"), "A     B");
    EXPECT_EQ(filter_song_name("  Song", ";;"), "Song");
    EXPECT_EQ(filter_song_name("Song", ""), "Song");
}

TEST(SongListText, NumberedLines)
{
    EXPECT_EQ(song_list_text({"Artista - Musica", "Two"}), (Lines{"001. Artista - Musica", "002. Two"}));
    EXPECT_EQ(track_number(7), "007");
    EXPECT_EQ(track_number(1234), "1234");
    EXPECT_EQ(song_name_of_file("/disc/x/01. Intro.mp3"), "01. Intro");
    EXPECT_EQ(song_name_of_file("a.b.MP3"), "a.b");
}

TEST(SongListHtml, PageWithDefaultColoursAndTheThreeNameShapes)
{
    const Lines page = song_list_html({"Artista - Musica", "Sem Traco", "Alpha - Beta - Gamma"}, SongListStyle{});
    const Lines expected = {
        "<html>", "<head>", "<title>Valmuri MP3</title>", "<style type=\"text/css\">",
        ".font_pista {  font-family: Arial; font-size: 12px; color: #000000}",
        ".font_musica {  font-family: Arial; font-size: 12px; color: #008000}",
        ".font_artista {  font-family: Arial; font-size: 12px; color: #FF0000}",
        ".preto {  font-family: Arial; color: #000000}", "</style>", "</head>",
        "<body bgcolor=\"#FFFFFF\" text=\"#000000\">",
        "<p class=\"font_pista\"> 001<span class=\"preto\">. </span><span class=\"font_artista\">Artista</span><span class=\"preto\">",
        "  - </span><span class=\"font_musica\">Musica</span><span class=\"preto\"><br>",
        "</span>002<span class=\"preto\">. </span><span class=\"font_artista\">Sem Traco</span><span class=\"preto\">",
        "   </span><span class=\"font_musica\"></span><span class=\"preto\"><br>",
        "</span>003<span class=\"preto\">. </span><span class=\"font_artista\">Alpha</span><span class=\"preto\">",
        "  - </span><span class=\"font_musica\">Beta</span><span class=\"preto\"><br>",
        "<br>", "<br>", "</span></p>", "</body>", "</html>",
    };
    EXPECT_EQ(page, expected);
}

TEST(SongListHtml, NoNamesEndsWithTheBodyLineAndStyleValuesAreUsed)
{
    SongListStyle style;
    style.font = "Times New Roman";
    style.size = -1;
    style.track_colour = 0x0a0b0c;
    const Lines page = song_list_html({}, style);
    ASSERT_EQ(page.size(), 11u);
    EXPECT_EQ(page.back(), "<body bgcolor=\"#FFFFFF\" text=\"#000000\">");
    EXPECT_EQ(page[4], ".font_pista {  font-family: Times New Roman; font-size: -1px; color: #0A0B0C}");
}

TEST(SongListHtml, NamesAndFontAreEscaped)
{
    SongListStyle style;
    style.font = "Evil\"; } </style><script>";
    const Lines page = song_list_html({"AC&DC - <script>alert(1)</script>", "\"Q\" > R"}, style);
    for (const auto& line : page) {
        EXPECT_EQ(line.find("<script"), std::string::npos) << line;
        EXPECT_EQ(line.find("Evil\""), std::string::npos) << line;
    }
    EXPECT_EQ(page[7], ".preto {  font-family: Evil&quot;; } &lt;/style&gt;&lt;script&gt;; color: #000000}");
    EXPECT_NE(page[11].find(">AC&amp;DC<"), std::string::npos);
    EXPECT_NE(page[12].find(">&lt;script&gt;alert(1)&lt;/script&gt;<"), std::string::npos);
    EXPECT_NE(page[13].find(">&quot;Q&quot; &gt; R<"), std::string::npos);
}

TEST(SongListDisc, Mp3NamesOfEveryFolderFilesFirstThenSubfolders)
{
    ScratchFolder disc;
    for (const char* file : {"b.mp3", "a.MP3", "notes.txt", "Rock/z.mp3", "Rock/Live/y.mp3", "Axe/x.mp3", "mp3"})
        disc.write(file, std::string("x"));
    std::filesystem::create_directories(disc.path() / "folder.mp3");
    Lines names;
    ASSERT_TRUE(read_disc_song_names(disc.path(), names));
    EXPECT_EQ(names, (Lines{"a", "b", "x", "z", "y"}));
    Lines none;
    EXPECT_FALSE(read_disc_song_names(disc.path() / "gone", none));
}

TEST(SongListSave, CrLfLinesReplaceTheFile)
{
    ScratchFolder folder;
    const auto path = folder.write("list.txt", std::string("old content that is longer"));
    std::string error;
    ASSERT_TRUE(save_lines(path, {"001. A", "002. B"}, error)) << error;
    EXPECT_EQ(valmuri::test::read_text(path), "001. A\r\n002. B\r\n");
    EXPECT_FALSE(save_lines(folder.path() / "no" / "list.txt", {"x"}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(MountPoint, DeviceLinesWithEscapes)
{
    const std::string mounts = "/dev/sda1 / ext4 rw 0 0\n"
                               "/dev/sr0 /media/ana/MP3\\040DISC iso9660 ro 0 0\n"
                               "tmpfs /tmp tmpfs rw 0 0\n";
    EXPECT_EQ(mount_point_of("/dev/sr0", mounts), "/media/ana/MP3 DISC");
    EXPECT_EQ(mount_point_of("/dev/sda1", mounts), "/");
    EXPECT_EQ(mount_point_of("/dev/sr1", mounts), "");
}

} // namespace
