// valmuri-cli add, info, export and image with a project, run as a user runs them.

#include "tests/cli/shell_run.h"
#include "tests/engine/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace valmuri {
namespace {

namespace fs = std::filesystem;

class ProjectVerbsTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    fs::path project = folder.path() / "p.vlm";

    static std::string cli() { return test::sq(fs::path(VALMURI_BINARY_DIR) / "valmuri-cli"); }
    std::string slurp(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    test::CliRun run(const std::string& arguments) { return test::shell("LC_ALL=C.UTF-8 " + cli() + " " + arguments); }
};

TEST_F(ProjectVerbsTest, AddCreatesTheProjectKeepsDuplicatesOutOrReplacesThem)
{
    const std::string a = folder.file("src/Alpha.mp3", 3000);
    const std::string b = folder.file("src/b.WAV", 10);
    const std::string alpha2 = folder.file("other/ALPHA.mp3", 5000);
    const std::string semi = folder.file("src/x;y.mp3", 1);
    test::CliRun r = run("add " + test::sq(project) + " --title 'Minha Coletânea de Verão' " + test::sq(a) + " " +
                         test::sq(b) + " " + test::sq(semi));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("refused " + semi), std::string::npos) << r.output;
    std::string text = slurp(project);
    EXPECT_NE(text.find("opcao01=Minha Coletânea \r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("INICIO=10\r\nFIM=10\r\n\r\n001;Alpha;3,000;" + a + "\r\n"), std::string::npos) << text;

    r = run("add " + test::sq(project) + " " + test::sq(alpha2));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("kept out " + alpha2), std::string::npos) << r.output;
    EXPECT_NE(slurp(project).find("001;Alpha;3,000;"), std::string::npos);

    r = run("add " + test::sq(project) + " --replace " + test::sq(alpha2));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(slurp(project).find("001;ALPHA;5,000;" + alpha2 + "\r\n"), std::string::npos);
}

TEST_F(ProjectVerbsTest, AddRefusesADamagedProjectAndLeavesIt)
{
    std::ofstream(project, std::ios::binary) << "[LER]\r\nINICIO=40\r\nFIM=50\r\n";
    const test::CliRun r = run("add " + test::sq(project) + " " + test::sq(folder.file("a.mp3", 1)));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("not a Valmuri MP3 project"), std::string::npos) << r.output;
    EXPECT_EQ(slurp(project), "[LER]\r\nINICIO=40\r\nFIM=50\r\n");
}

TEST_F(ProjectVerbsTest, InfoExportAndImageOfAProject)
{
    const std::string one = folder.file("Intro.mp3", 1 << 20);
    const std::string two = folder.file("X.mp3", 2 << 20);
    ASSERT_EQ(run("add " + test::sq(project) + " --title Festa " + test::sq(one) + " " + test::sq(two)).status, 0);

    test::CliRun r = run("info " + test::sq(project));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("tracks:          2\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("650 MB disc:     0 %"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("free on 700 MB:  69"), std::string::npos) << r.output;

    const fs::path list = folder.path() / "list.txt";
    r = run("export " + test::sq(project) + " -o " + test::sq(list));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(slurp(list), "001. Intro\r\n002. X\r\n");

    // Rows whose disc names swap with the source names still give two files.
    std::string text = slurp(project);
    text.replace(text.find("001;Intro;"), 10, "001;X;");
    text.replace(text.find("002;X;"), 6, "002;Y;");
    std::ofstream(project, std::ios::binary) << text;
    const fs::path iso = folder.path() / "out.iso";
    r = run("image -o " + test::sq(iso) + " " + test::sq(project));
    ASSERT_EQ(r.status, 0) << r.output;
    const test::CliRun listing = test::shell("isoinfo -J -l -i " + test::sq(iso));
    EXPECT_NE(listing.output.find("X.mp3"), std::string::npos) << listing.output;
    EXPECT_NE(listing.output.find("Y.mp3"), std::string::npos) << listing.output;
    const test::CliRun volume = test::shell("isoinfo -d -i " + test::sq(iso));
    EXPECT_NE(volume.output.find("Volume id: FESTA"), std::string::npos) << volume.output;
}

} // namespace
} // namespace valmuri
