// Project files through the main window: the command line, the unsaved-changes
// question on close, save and reopen, and a damaged file.

#include "app/main_window.h"
#include "app/message_box.h"

#include "tests/app_core/app_test_folder.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QLabel>
#include <QMenu>
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

// The Abrir Arquivos Recentes submenu: its entries before the clear item.
QStringList recent_item_texts(MainWindow& window)
{
    QStringList texts;
    auto* menu = window.findChild<QMenu*>("AbrirArquivosRecentes1");
    for (QAction* item : menu->actions())
        if (item->objectName().startsWith("recent_"))
            texts.append(item->text());
    return texts;
}

TEST_F(MainWindowProjectTest, RecentFilesKeepTwentyFiveAndAnEntryOpensAfterTheQuestion)
{
    std::string empty = "[Projeto]\r\nopcao01=Valmuri MP3\r\nopcao02=true\r\nopcao03=false\r\nopcao04=true\r\n"
                        "opcao05=\r\n[LER]\r\nINICIO=10\r\nFIM=9\r\n\r\n";
    {
        MainWindow window(folder_.paths());
        window.show();
        EXPECT_FALSE(window.command("act_limparlista")->isEnabled());
        EXPECT_EQ(window.findChild<QAction*>("LimparLista1")->text(), "&Limpar Lista");
        for (int i = 1; i <= 26; ++i) {
            std::string name = "p" + std::to_string(i) + ".vlm";
            folder_.write(name, empty);
            ASSERT_TRUE(window.open_project_file(path(name)));
            window.recent_files().add(path(name).toStdString());
        }
        window.rebuild_recent_menu();
        QStringList items = recent_item_texts(window);
        ASSERT_EQ(items.size(), 25);
        EXPECT_EQ(items.first(), "&1 p26.vlm");
        EXPECT_EQ(items.last(), "25 p2.vlm");
    }
    // The list survives the window; reopening an entry moves it to the top.
    folder_.write("music/a.mp3", "abc");
    MainWindow window(folder_.paths());
    window.show();
    ASSERT_EQ(window.recent_files().entries().size(), 25u);
    window.add_files_to_compilation({path("music/a.mp3")});
    auto* entry = window.findChild<QAction*>("recent_3"); // p24.vlm
    ASSERT_NE(entry, nullptr);
    answer_ = QuestionAnswer::Cancel;
    entry->trigger();
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_EQ(questions_[0].toStdString(), window.texts()[102]);
    EXPECT_EQ(window.compilation().row_count(), 1); // Cancel: nothing opened
    answer_ = QuestionAnswer::No;
    window.findChild<QAction*>("recent_3")->trigger();
    EXPECT_EQ(questions_.size(), 2);
    EXPECT_TRUE(window.compilation().empty());
    EXPECT_EQ(window.windowTitle(), "Valmuri MP3 1.0a - p24.vlm");
    EXPECT_EQ(recent_item_texts(window).first(), "&1 p24.vlm");

    // A file that is gone: a116, and the entry leaves the list.
    std::filesystem::remove(folder_.folder() / "p26.vlm");
    window.findChild<QAction*>("recent_2")->trigger();
    ASSERT_EQ(notices_.size(), 1);
    EXPECT_EQ(notices_[0].toStdString(), window.texts()[116]);
    EXPECT_EQ(window.recent_files().entries().size(), 24u);
    EXPECT_FALSE(recent_item_texts(window).join(' ').contains("p26.vlm"));
    EXPECT_EQ(window.windowTitle(), "Valmuri MP3 1.0a - p24.vlm");

    // Yes saves the changed project first (which rebuilds the list under the
    // clicked entry), then opens the entry.
    window.add_files_to_compilation({path("music/a.mp3")});
    answer_ = QuestionAnswer::Yes;
    window.findChild<QAction*>("recent_2")->trigger(); // p25.vlm
    EXPECT_EQ(window.windowTitle(), "Valmuri MP3 1.0a - p25.vlm");
    EXPECT_EQ(recent_item_texts(window).first(), "&1 p25.vlm");
    EXPECT_EQ(window.recent_files().entries()[1], path("p24.vlm").toStdString());
    EXPECT_TRUE(window.open_project_file(path("p24.vlm")));
    EXPECT_EQ(window.compilation().row_count(), 1);

    // Saving puts the current file on top; the clear item empties the stored list.
    window.save_current_project();
    EXPECT_EQ(window.recent_files().entries().front(), path("p24.vlm").toStdString());
    EXPECT_EQ(recent_item_texts(window).first(), "&1 p24.vlm");
    window.update_commands();
    ASSERT_TRUE(window.command("act_limparlista")->isEnabled());
    window.command("act_limparlista")->trigger();
    EXPECT_TRUE(recent_item_texts(window).isEmpty());
    EXPECT_TRUE(RecentFiles(folder_.paths().recent_files_file()).entries().empty());
}

TEST_F(MainWindowProjectTest, TheCommandLineProjectGoesOnTopOfTheRecentFiles)
{
    folder_.write("p.vlm", "[Projeto]\r\nopcao01=Valmuri MP3\r\n[LER]\r\nINICIO=4\r\nFIM=3\r\n\r\n");
    MainWindow window(folder_.paths());
    window.set_startup_project(path("p.vlm"));
    window.show();
    ASSERT_EQ(window.recent_files().entries().size(), 1u);
    EXPECT_EQ(window.recent_files().entries().front(), path("p.vlm").toStdString());
    EXPECT_EQ(recent_item_texts(window), QStringList{"&1 p.vlm"});
}

} // namespace
} // namespace valmuri
