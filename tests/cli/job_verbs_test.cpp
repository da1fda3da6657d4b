// valmuri-cli mp3info and songlist run as a user runs them.

#include "shell_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using valmuri::test::CliRun;
using valmuri::test::shell;
using valmuri::test::sq;

class JobVerbs : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path()
            / ("valmuri-jobverbs-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path file(const std::string& relative, const std::string& bytes)
    {
        const fs::path path = folder_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    CliRun run(const std::string& arguments)
    {
        return shell(sq(std::string(VALMURI_BINARY_DIR) + "/valmuri-cli") + " " + arguments);
    }

    fs::path folder_;
};

// A constant-bit-rate MPEG-1 Layer III file: 128 kbit/s, 44100 Hz, 417-byte frames.
std::string cbr_128(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t at = 0; at + 4 <= size; at += 417)
        bytes.replace(at, 4, "\xFF\xFB\x90\x40", 4);
    return bytes;
}

TEST_F(JobVerbs, Mp3infoPrintsOneTabSeparatedLinePerFile)
{
    const fs::path track = file("a.mp3", cbr_128(4000000));
    const fs::path junk = file("junk.mp3", std::string(1000, 'x'));
    const CliRun result = run("mp3info " + sq(track) + " " + sq(junk) + " " + sq(folder_ / "gone.mp3"));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output,
        track.string() + "\t250\t04:10\t1\t3\t44100\t128\t417\t-1\n"
        + junk.string() + "\t0\t00:00\t0\t0\t0\t0\t0\t2\n"
        + (folder_ / "gone.mp3").string() + "\t0\t00:00\t0\t0\t0\t0\t0\t0\n");
    EXPECT_EQ(run("mp3info").status, 1);
}

TEST_F(JobVerbs, SonglistOfAFolderAsTextAndHtml)
{
    file("disc/Artista - Musica.mp3", "x");
    file("disc/More/[Bonus] Live Song.mp3", "x");
    file("disc/cover.jpg", "x");
    const CliRun text = run("songlist " + sq(folder_ / "disc") + " --filter '[Bonus];Live'");
    ASSERT_EQ(text.status, 0) << text.output;
    EXPECT_EQ(text.output, "001. Artista - Musica\r\n002. Song\r\n");

    const fs::path page = folder_ / "list.html";
    const CliRun html = run("songlist " + sq(folder_ / "disc") + " --html --font Verdana --size 14 -o " + sq(page));
    ASSERT_EQ(html.status, 0) << html.output;
    std::ifstream in(page, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(saved.find(".font_pista {  font-family: Verdana; font-size: 14px; color: #000000}\r\n"), std::string::npos);
    EXPECT_NE(saved.find("<span class=\"font_artista\">Artista</span>"), std::string::npos);
    EXPECT_NE(saved.find("<span class=\"font_musica\">Musica</span>"), std::string::npos);
    EXPECT_NE(saved.find("[Bonus] Live Song"), std::string::npos); // no filter asked for
    EXPECT_TRUE(saved.ends_with("</body>\r\n</html>\r\n"));
}

TEST_F(JobVerbs, SonglistRefusesBadArgumentsAndUnmountedDrives)
{
    EXPECT_EQ(run("songlist").status, 1);
    EXPECT_EQ(run("songlist " + sq(folder_) + " --size big").status, 1);
    EXPECT_EQ(run("songlist " + sq(folder_ / "gone")).status, 1);
    const CliRun drive = run("songlist --drive " + sq(file("not-a-drive", "")));
    EXPECT_EQ(drive.status, 1);
    EXPECT_NE(drive.output.find("not mounted"), std::string::npos) << drive.output;
}

} // namespace
