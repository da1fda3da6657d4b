#include "app/core/project_file.h"

#include "tests/engine/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace valmuri {
namespace {

std::string slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

TEST(ProjectFile, WritesTheTwoTrackExampleByteForByte)
{
    ProjectContent content;
    content.rows = {"001;A;1;/m/A.mp3", "002;B;2;/m/B.mp3"};
    EXPECT_EQ(project_file_text(content), "[Projeto]\r\nopcao01=Valmuri MP3\r\nopcao02=true\r\nopcao03=false\r\n"
                                          "opcao04=true\r\nopcao05=\r\n[LER]\r\nINICIO=10\r\nFIM=11\r\n\r\n"
                                          "001;A;1;/m/A.mp3\r\n002;B;2;/m/B.mp3\r\n");
}

TEST(ProjectFile, EmptyProjectHasFimOneBelowInicioAndReadsBackEmpty)
{
    const std::string text = project_file_text({});
    EXPECT_NE(text.find("INICIO=10\r\nFIM=9\r\n\r\n"), std::string::npos);
    const ProjectRead read = parse_project_text(text);
    ASSERT_TRUE(read.ok());
    EXPECT_TRUE(read.content.rows.empty());
}

TEST(ProjectFile, RowsAndOptionsReadBackUnchanged)
{
    ProjectContent content;
    content.options.cd_title = "Festa";
    content.options.autorun = false;
    content.options.comments = "linha 1#linha 2";
    content.rows = {"003;c;1;/c.mp3", "001;a=b;1;/a.mp3", "002;b;1;/b.mp3"};
    const ProjectRead read = parse_project_text(project_file_text(content));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.content.rows, content.rows);
    EXPECT_EQ(read.content.options, content.options);
    // LF line ends read the same.
    std::string lf = project_file_text(content);
    for (std::size_t at; (at = lf.find('\r')) != std::string::npos;)
        lf.erase(at, 1);
    EXPECT_EQ(parse_project_text(lf).content.rows, content.rows);
}

TEST(ProjectFile, OptionTextsOfOtherWritersAndUnknownTexts)
{
    const ProjectRead read = parse_project_text("[Projeto]\r\nopcao02=False\r\nopcao03=-1\r\nopcao04=maybe\r\n"
                                                "[LER]\r\nINICIO=5\r\nFIM=4\r\n");
    ASSERT_TRUE(read.ok());
    EXPECT_FALSE(read.content.options.autorun);
    EXPECT_TRUE(read.content.options.finalize);
    EXPECT_TRUE(read.content.options.eject);
    EXPECT_EQ(read.content.options.cd_title, "");
}

TEST(ProjectFile, BadLerKeysAndDamagedFilesAreRefused)
{
    const std::string good = project_file_text({ProjectOptions{}, {"001;a;1;/a.mp3", "002;b;1;/b.mp3"}});
    for (const std::string& bad : std::vector<std::string>{
             "", "[Projeto]\r\nopcao01=x\r\n", "[LER]\r\nINICIO=abc\r\nFIM=3\r\n", "[LER]\r\nINICIO=10\r\nFIM=500\r\n",
             "[LER]\r\nINICIO=-1\r\nFIM=-1\r\n", "[LER]\r\nINICIO=3\r\nFIM=1\r\n", good.substr(0, good.size() - 20),
             std::string("\0\xff\x01[LER]\x00", 9)}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(parse_project_text(bad).error, ProjectReadError::NotAProject);
    }
}

TEST(ProjectFile, OpenLeavesTheCompilationAloneOnFailureAndSavesAtomically)
{
    test::TempFolder folder;
    Compilation c;
    c.append_track("keep", "1", "/keep.mp3");
    const auto junk = folder.path() / "junk.vlm";
    std::ofstream(junk, std::ios::binary) << "not a project";
    const auto big = folder.path() / "big.vlm";
    std::filesystem::resize_file((std::ofstream(big), big), 50u << 20);
    const auto none = folder.path() / "none.vlm";
    EXPECT_EQ(open_project(c, junk).error, ProjectReadError::NotAProject);
    EXPECT_EQ(open_project(c, big).error, ProjectReadError::NotAProject);
    EXPECT_EQ(open_project(c, none).error, ProjectReadError::CannotRead);
    EXPECT_EQ(c.row(0), "001;keep;1;/keep.mp3");
    EXPECT_TRUE(c.project_file().empty());

    TranslationTable texts;
    texts.set_text(222, "no project %1");
    EXPECT_EQ(project_read_message(open_project(c, junk), junk, texts), "no project " + junk.string());

    const auto path = folder.path() / "p.vlm";
    EXPECT_EQ(save_project(c, path), "");
    EXPECT_EQ(c.project_file(), path);
    EXPECT_EQ(slurp(path), project_file_text({c.options(), c.rows()}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3);
    EXPECT_NE(save_project(c, folder.path() / "missing" / "p.vlm"), "");
    EXPECT_EQ(c.project_file(), path);

    Compilation reopened;
    ASSERT_TRUE(open_project(reopened, path).ok());
    EXPECT_EQ(reopened.rows(), c.rows());
    EXPECT_EQ(project_window_title(reopened), "Valmuri MP3 1.0a - p.vlm");
}

TEST(ProjectFile, UnsavedChangesRules)
{
    test::TempFolder folder;
    Compilation c;
    EXPECT_EQ(unsaved_changes(c), UnsavedQuestion::None);
    ProjectOptions titled;
    titled.cd_title = "Outro";
    c.set_options(titled);
    EXPECT_EQ(unsaved_changes(c), UnsavedQuestion::NewProject);
    c.set_options(ProjectOptions{});
    c.append_track("a", "", "/a.mp3");
    EXPECT_EQ(unsaved_changes(c), UnsavedQuestion::NewProject);

    const auto path = folder.path() / "s.vlm";
    ASSERT_EQ(save_project(c, path), "");
    EXPECT_EQ(unsaved_changes(c), UnsavedQuestion::None);
    c.rename(0, "b");
    EXPECT_EQ(unsaved_changes(c), UnsavedQuestion::ProjectFile);
    TranslationTable texts;
    texts.set_text(103, "save %1?");
    EXPECT_EQ(unsaved_question_text(UnsavedQuestion::ProjectFile, c, texts), "save s.vlm?");
    c.rename(0, "a");
    EXPECT_EQ(unsaved_changes(c), UnsavedQuestion::None);
    std::filesystem::remove(path);
    EXPECT_EQ(unsaved_changes(c), UnsavedQuestion::ProjectFile);
}

} // namespace
} // namespace valmuri
