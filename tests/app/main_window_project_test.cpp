// Project files through the main window: the command line, the unsaved-changes
// question on close, save and reopen, and a damaged file.

#include "app/main_window.h"
#include "app/message_box.h"

#include "tests/app_core/app_test_folder.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QLabel>
#include <QTableView>

namespace valmuri {
namespace {

class MainWindowProjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_.add_shipped_language("PORTUGUES_BR.INI", "PORTUGUES_BR.INI");
        set_notice_handler([this](QWidget*, const QString& text) { notices_.append(text); });
        set_question_handler([this](QWidget*, const QString& text) {
            questions_.append(text);
            return answer_;
        });
    }
    void TearDown() override
    {
        set_notice_handler({});
        set_question_handler({});
    }
    QString path(const std::string& relative) const
    {
        return QString::fromStdString((folder_.folder() / relative).string());
    }

    testing::ProgramFolder folder_;
    QStringList notices_;
    QStringList questions_;
    QuestionAnswer answer_ = QuestionAnswer::Cancel;
};

TEST_F(MainWindowProjectTest, ProjectOnTheCommandLineOpensWhenTheWindowIsFirstShown)
{
    folder_.write("music/a.mp3", "abc");
    folder_.write("p.vlm", "[Projeto]\r\nopcao01=Meu CD\r\nopcao02=true\r\nopcao03=false\r\nopcao04=true\r\n"
                           "opcao05=\r\n[LER]\r\nINICIO=10\r\nFIM=11\r\n\r\n003;Tres;3;"
                               + path("music/a.mp3").toStdString() + "\r\n001;Um;;/gone/Um.mp3\r\n");
    MainWindow window(folder_.paths());
    window.set_startup_project(path("p.vlm"));
    window.show();
    ASSERT_EQ(window.compilation().row_count(), 2);
    // Rows come back exactly as stored, numbers included.
    EXPECT_EQ(window.track_list()->model()->index(0, 0).data().toString(), "003");
    EXPECT_EQ(window.track_list()->model()->index(1, 1).data().toString(), "Um");
    EXPECT_EQ(window.windowTitle(), "Valmuri MP3 1.0a - p.vlm");
    EXPECT_EQ(window.status_panel(2)->text().toStdString(), "2 " + window.texts()[143]);
    // Nothing changed since: closing asks nothing.
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(questions_.isEmpty());
}

TEST_F(MainWindowProjectTest, ClosingAChangedNewProjectAsksAndCancelKeepsTheWindowOpen)
{
    MainWindow window(folder_.paths());
    window.show();
    EXPECT_TRUE(window.confirm_drop_compilation()); // an empty new project asks nothing
    EXPECT_TRUE(questions_.isEmpty());
    folder_.write("music/a.mp3", "abc");
    window.add_files_to_compilation({path("music/a.mp3")});
    answer_ = QuestionAnswer::Cancel;
    EXPECT_FALSE(window.close());
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_EQ(questions_[0].toStdString(), window.texts()[102]);
    EXPECT_TRUE(window.isVisible());
    answer_ = QuestionAnswer::No;
    EXPECT_TRUE(window.close());
}

TEST_F(MainWindowProjectTest, SavedProjectReopensUnchangedAndADamagedFileLeavesTheListAlone)
{
    folder_.write("music/a.mp3", "abc");
    MainWindow window(folder_.paths());
    window.show();
    window.add_files_to_compilation({path("music/a.mp3")});
    window.save_project_to(path("saved.vlm"));
    EXPECT_EQ(window.windowTitle(), "Valmuri MP3 1.0a - saved.vlm");
    EXPECT_TRUE(window.confirm_drop_compilation());
    EXPECT_TRUE(questions_.isEmpty());

    folder_.write("broken.vlm", "[Projeto]\r\nopcao01=x\r\n");
    EXPECT_FALSE(window.open_project_file(path("broken.vlm")));
    EXPECT_EQ(notices_.size(), 1);
    EXPECT_TRUE(notices_[0].contains("broken.vlm"));
    EXPECT_EQ(window.compilation().row_count(), 1);
    EXPECT_EQ(window.windowTitle(), "Valmuri MP3 1.0a - saved.vlm");

    // A change to the saved project asks a103 naming the file; No drops it.
    window.compilation().delete_rows({0});
    answer_ = QuestionAnswer::No;
    window.new_project();
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_TRUE(questions_[0].contains("saved.vlm"));
    EXPECT_EQ(window.windowTitle(), "Valmuri MP3 1.0a");
    EXPECT_TRUE(window.compilation().empty());
    EXPECT_TRUE(window.open_project_file(path("saved.vlm")));
    EXPECT_EQ(window.compilation().row_count(), 1);
}

} // namespace
} // namespace valmuri
