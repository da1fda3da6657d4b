// The rename, move and auto-rename dialogs, reached through the main
// window's commands with the dialogs answered from a timer.

#include "app/about_dialog.h"
#include "app/auto_rename_dialog.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/move_dialog.h"
#include "app/project_info_dialog.h"
#include "app/rename_dialog.h"
#include "app/structure_dialog.h"

#include "tests/app_core/app_test_folder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QApplication>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace valmuri {
namespace {

class TrackEditingDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_notice_handler([this](QWidget*, const QString& text) { notices_.append(text); });
        folder_.add_shipped_language("PORTUGUES_BR.INI", "PORTUGUES_BR.INI");
        window_ = std::make_unique<MainWindow>(folder_.paths());
        window_->show();
    }
    void TearDown() override
    {
        window_.reset();
        set_notice_handler({});
    }
    Compilation& compilation() { return window_->compilation(); }
    void add_tracks(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            compilation().append_track(name, "1.000", std::string("/music/") + name + ".mp3");
    }
    void select_rows(std::initializer_list<int> rows)
    {
        auto* selection = window_->track_list()->selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->setCurrentIndex(window_->track_model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // Runs the command with answer working on the dialog it opens.
    void run_command(const char* name, std::function<void(QDialog&)> answer)
    {
        bool answered = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            answered = true;
            answer(*dialog);
        });
        window_->update_commands();
        QAction* action = window_->command(name);
        ASSERT_TRUE(action->isEnabled()) << name;
        action->trigger();
        EXPECT_TRUE(answered) << name;
    }
    std::vector<std::string> names()
    {
        std::vector<std::string> result;
        for (int i = 0; i < compilation().row_count(); ++i)
            result.push_back(compilation().track_number(i) + " " + compilation().disc_name(i));
        return result;
    }
    std::string text(int n) { return window_->texts()[n]; }

    testing::ProgramFolder folder_;
    std::unique_ptr<MainWindow> window_;
    QStringList notices_;
};

void rename_to(QDialog& dialog, const QString& name)
{
    auto* field = dialog.findChild<QLineEdit*>("file_renomear");
    ASSERT_NE(field, nullptr);
    field->setText(name);
    dialog.findChild<QPushButton*>("btok")->click();
}

TEST_F(TrackEditingDialogsTest, RenameDialogShowsTheDiscNameAndTakesALetterCaseChange)
{
    add_tracks({"Song", "Other"});
    select_rows({0});
    run_command("act_renomear", [&](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "form_renomear");
        EXPECT_EQ(dialog.size(), QSize(318, 211));
        EXPECT_EQ(dialog.windowTitle(), "Renomear");
        auto* field = dialog.findChild<QLineEdit*>("file_renomear");
        EXPECT_EQ(field->text(), "Song");
        EXPECT_EQ(field->maxLength(), 64);
        EXPECT_EQ(dialog.findChild<QLabel*>("label01")->text().toStdString(), text(42));
        EXPECT_EQ(dialog.findChild<QPushButton*>("btfechar")->text().toStdString(), text(44));
        rename_to(dialog, "  SONG \t");
    });
    EXPECT_EQ(compilation().disc_name(0), "SONG");
    EXPECT_TRUE(notices_.isEmpty());
    EXPECT_EQ(window_->track_list()->currentIndex().row(), 0);
}

TEST_F(TrackEditingDialogsTest, RenameRefusesAnotherRowsNameTheEmptyNameAndASemicolon)
{
    add_tracks({"Song", "Other"});
    const std::pair<const char*, int> refused[] = {{"song", 108}, {"   ", 220}, {"A;B", 250}};
    for (const auto& [name, key] : refused) {
        notices_.clear();
        select_rows({1});
        run_command("act_renomear", [&, name = name](QDialog& dialog) { rename_to(dialog, name); });
        EXPECT_EQ(compilation().disc_name(1), "Other") << name;
        ASSERT_EQ(notices_.size(), 1) << name;
        EXPECT_EQ(notices_[0].toStdString(), text(key));
        EXPECT_FALSE(notices_[0].isEmpty());
    }
}

TEST_F(TrackEditingDialogsTest, RenameCancelledChangesNothing)
{
    add_tracks({"Song"});
    select_rows({0});
    run_command("act_renomear", [](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("file_renomear")->setText("New");
        dialog.findChild<QPushButton*>("btfechar")->click();
    });
    EXPECT_EQ(compilation().disc_name(0), "Song");
}

TEST_F(TrackEditingDialogsTest, RenameAndMoveNeedExactlyOneSelectedRow)
{
    add_tracks({"a", "b", "c"});
    select_rows({0, 2});
    window_->update_commands();
    EXPECT_FALSE(window_->command("act_renomear")->isEnabled());
    EXPECT_FALSE(window_->command("act_moverfaixa")->isEnabled());
    EXPECT_TRUE(window_->command("act_super_renomeacao")->isEnabled());
    select_rows({});
    window_->update_commands();
    EXPECT_FALSE(window_->command("act_super_renomeacao")->isEnabled());
}

TEST_F(TrackEditingDialogsTest, MoveTrackFiveOfEightToTwo)
{
    add_tracks({"t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8"});
    select_rows({4});
    run_command("act_moverfaixa", [&](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "form_mover");
        EXPECT_EQ(dialog.windowTitle(), "Mover Para Faixa");
        auto* number = dialog.findChild<QSpinBox*>("faixa_mp3");
        ASSERT_NE(number, nullptr);
        EXPECT_EQ(number->minimum(), 1);
        EXPECT_EQ(number->maximum(), 8);
        EXPECT_EQ(number->value(), 5);
        // Typed values are kept within the list.
        number->setValue(20);
        EXPECT_EQ(number->value(), 8);
        number->setValue(2);
        dialog.findChild<QPushButton*>("btok")->click();
    });
    EXPECT_EQ(names(), (std::vector<std::string>{"001 t1", "002 t5", "003 t2", "004 t3", "005 t4", "006 t6",
                                                 "007 t7", "008 t8"}));
    EXPECT_EQ(window_->track_list()->currentIndex().row(), 1);
}

TEST_F(TrackEditingDialogsTest, AutoRenameRemoveListRefusesAFoldedDuplicateAndDoubleClickTakesOut)
{
    AutoRenameDialog dialog(window_->texts(), window_.get());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.size(), QSize(407, 391));
    auto* entry = dialog.findChild<QLineEdit*>("caractere");
    auto* add = dialog.findChild<QPushButton*>("b01");
    auto* list = dialog.findChild<QListWidget*>("lista_caractere");
    ASSERT_TRUE(entry && add && list);
    EXPECT_NE(dialog.findChild<QGroupBox*>("g01"), nullptr);
    EXPECT_FALSE(add->isEnabled());
    EXPECT_TRUE(dialog.findChild<QLabel*>("msg")->text().contains('\n'));
    EXPECT_FALSE(dialog.findChild<QLabel*>("msg")->text().contains('%'));
    entry->setText("feat");
    EXPECT_TRUE(add->isEnabled());
    add->click();
    EXPECT_TRUE(entry->text().isEmpty());
    EXPECT_FALSE(add->isEnabled());
    entry->setText("FEAT");
    add->click();
    entry->setText("_");
    add->click();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "feat");
    QRect first = list->visualItemRect(list->item(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first.center());
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "_");
}

TEST_F(TrackEditingDialogsTest, AutoRenameRemovesEveryZeroAndUnderscoreOfTheSelectedRows)
{
    add_tracks({"076_Artista - Musica", "0_keep", "10_x"});
    select_rows({0, 2});
    run_command("act_super_renomeacao", [](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "form_superrenomeacao");
        for (const char* part : {"0", "_"}) {
            dialog.findChild<QLineEdit*>("caractere")->setText(part);
            dialog.findChild<QPushButton*>("b01")->click();
        }
        dialog.findChild<QPushButton*>("btok")->click();
    });
    EXPECT_EQ(compilation().disc_name(0), "76Artista - Musica");
    EXPECT_EQ(compilation().disc_name(1), "0_keep");
    EXPECT_EQ(compilation().disc_name(2), "1x");
}

TEST_F(TrackEditingDialogsTest, AutoRenameAddsAtTheStartOrTheEndWithoutAnyCheck)
{
    add_tracks({"Musica", "Artista - Musica"});
    select_rows({0});
    run_command("act_super_renomeacao", [](QDialog& dialog) {
        dialog.findChild<QTabWidget*>("page")->setCurrentIndex(1);
        EXPECT_TRUE(dialog.findChildren<QRadioButton*>()[0]->isChecked());
        dialog.findChild<QLineEdit*>("text_add")->setText("Artista - ");
        dialog.findChild<QPushButton*>("btok")->click();
    });
    // The duplicate is left for the burn to refuse.
    EXPECT_EQ(compilation().disc_name(0), "Artista - Musica");
    select_rows({1});
    run_command("act_super_renomeacao", [](QDialog& dialog) {
        dialog.findChild<QTabWidget*>("page")->setCurrentIndex(1);
        dialog.findChildren<QRadioButton*>()[1]->setChecked(true);
        dialog.findChild<QLineEdit*>("text_add")->setText(" (ao vivo)");
        dialog.findChild<QPushButton*>("btok")->click();
    });
    EXPECT_EQ(compilation().disc_name(1), "Artista - Musica (ao vivo)");
}

TEST_F(TrackEditingDialogsTest, AutoRenameWithNothingOnTheActiveTabChangesNothing)
{
    add_tracks({"Musica"});
    select_rows({0});
    run_command("act_super_renomeacao", [](QDialog& dialog) {
        // Text on the other tab does not count.
        dialog.findChild<QLineEdit*>("text_add")->setText("x");
        dialog.findChild<QPushButton*>("btok")->click();
    });
    EXPECT_EQ(compilation().disc_name(0), "Musica");
}

// Row centres of a structure list's viewport, for synthesised mouse events.
QPoint row_point(QTableWidget* list, int row)
{
    return list->visualRect(list->model()->index(row, 1)).center();
}
QPoint below_rows(QTableWidget* list)
{
    return QPoint(40, list->viewport()->height() - 4);
}
std::vector<std::string> disc_names(const std::vector<std::string>& rows)
{
    std::vector<std::string> names;
    for (const std::string& row : rows)
        names.push_back(row.substr(0, row.find(';', 4)));
    return names;
}
// Presses on row of from, moves through the points of to in steps, releases
// at the last one.
void drag(QTableWidget* from, int row, QTableWidget* to, std::vector<QPoint> points)
{
    QPoint start = row_point(from, row);
    QTest::mousePress(from->viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(from->viewport(), start + QPoint(0, 2));
    QTest::mouseMove(from->viewport(), start + QPoint(12, 2));
    for (const QPoint& point : points)
        QTest::mouseMove(to->viewport(), point);
    QTest::mouseRelease(to->viewport(), Qt::LeftButton, {}, points.back());
}

class StructureDialogTest : public TrackEditingDialogsTest {
protected:
    void SetUp() override
    {
        TrackEditingDialogsTest::SetUp();
        add_tracks({"t1", "t2", "t3", "t4"});
        dialog_ = std::make_unique<StructureDialog>(window_->texts(), compilation(), window_.get());
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
        music_01_ = dialog_->findChild<QTableWidget*>("music_01");
        music_02_ = dialog_->findChild<QTableWidget*>("music_02");
        ASSERT_TRUE(music_01_ && music_02_);
    }
    void TearDown() override
    {
        dialog_.reset();
        TrackEditingDialogsTest::TearDown();
    }
    void select_current(std::initializer_list<int> rows)
    {
        music_01_->clearSelection();
        for (int row : rows)
            music_01_->selectionModel()->select(music_01_->model()->index(row, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::vector<std::string> current() { return disc_names(dialog_->editor().current_rows()); }
    std::vector<std::string> fresh() { return disc_names(dialog_->editor().new_rows()); }
    void move_all_to_new()
    {
        select_current({0, 1, 2, 3});
        drag(music_01_, 0, music_02_, {below_rows(music_02_)});
        ASSERT_EQ(music_02_->rowCount(), 4);
    }

    std::unique_ptr<StructureDialog> dialog_;
    QTableWidget* music_01_ = nullptr;
    QTableWidget* music_02_ = nullptr;
};

TEST_F(StructureDialogTest, ListsStartAsACopyOfTheTrackListAndAnEmptyNewOne)
{
    EXPECT_EQ(dialog_->size(), QSize(671, 539));
    EXPECT_EQ(music_01_->rowCount(), 4);
    EXPECT_EQ(music_02_->rowCount(), 0);
    EXPECT_EQ(music_01_->palette().color(QPalette::Base), QColor(235, 255, 215));
    EXPECT_EQ(music_02_->palette().color(QPalette::Base), QColor(221, 244, 255));
    EXPECT_EQ(music_01_->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(music_02_->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(music_01_->horizontalHeaderItem(0)->text().toStdString(), text(72));
    EXPECT_EQ(dialog_->findChild<QLabel*>("n01")->text(), "Estrutura Atual");
    EXPECT_EQ(dialog_->findChild<QLabel*>("n02")->text(), "Nova Estrutura");
    EXPECT_EQ(dialog_->findChild<QPushButton*>("btok")->text(), "Aplicar");
    EXPECT_TRUE(dialog_->findChild<QPushButton*>("btok")->isDefault());
}

TEST_F(StructureDialogTest, RowsThreeAndOneDraggedTogetherArriveInListOrder)
{
    select_current({2, 0});
    drag(music_01_, 2, music_02_, {row_point(music_02_, 0), below_rows(music_02_)});
    EXPECT_EQ(fresh(), (std::vector<std::string>{"001;t1", "002;t3"}));
    // The rows left keep their numbers.
    EXPECT_EQ(current(), (std::vector<std::string>{"002;t2", "004;t4"}));
    EXPECT_EQ(music_02_->item(1, 1)->text(), "t3");
    EXPECT_EQ(music_01_->rowCount(), 2);
}

TEST_F(StructureDialogTest, ASlowDragFromOneToFourExchangesAsItPasses)
{
    move_all_to_new();
    drag(music_02_, 0, music_02_, {row_point(music_02_, 1), row_point(music_02_, 2), row_point(music_02_, 3)});
    EXPECT_EQ(fresh(), (std::vector<std::string>{"001;t2", "002;t3", "003;t4", "004;t1"}));
    EXPECT_EQ(music_02_->item(3, 1)->text(), "t1");
    EXPECT_EQ(music_02_->item(3, 0)->text(), "004");
}

TEST_F(StructureDialogTest, DropBelowTheLastRowMovesToTheEnd)
{
    move_all_to_new();
    // Moving on the first row only, then dropping below the rows.
    QPoint start = row_point(music_02_, 1);
    QTest::mousePress(music_02_->viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(music_02_->viewport(), start + QPoint(15, 0));
    QTest::mouseRelease(music_02_->viewport(), Qt::LeftButton, {}, below_rows(music_02_));
    EXPECT_EQ(fresh(), (std::vector<std::string>{"001;t1", "002;t3", "003;t4", "004;t2"}));
}

TEST_F(StructureDialogTest, ARowDraggedBackGoesToTheEndAndBothListsRenumber)
{
    select_current({0, 1});
    drag(music_01_, 0, music_02_, {below_rows(music_02_)});
    drag(music_02_, 0, music_01_, {row_point(music_01_, 0)});
    EXPECT_EQ(current(), (std::vector<std::string>{"001;t3", "002;t4", "003;t1"}));
    EXPECT_EQ(fresh(), (std::vector<std::string>{"001;t2"}));
}

TEST_F(StructureDialogTest, AClickWithoutMovingIsNoDrag)
{
    QTest::mouseClick(music_01_->viewport(), Qt::LeftButton, {}, row_point(music_01_, 1));
    EXPECT_EQ(music_02_->rowCount(), 0);
    EXPECT_EQ(music_01_->rowCount(), 4);
}

TEST_F(TrackEditingDialogsTest, AplicarWithEveryRowMovedAsksNothing)
{
    add_tracks({"t1", "t2"});
    bool asked = false;
    run_command("act_editar_estrutura", [&](QDialog& dialog) {
        auto& structure = static_cast<StructureDialog&>(dialog);
        structure.OnConfirmDrop = [&] { return asked = true; };
        auto* music_01 = structure.current_list();
        music_01->selectRow(1);
        drag(music_01, 1, structure.new_list(), {below_rows(structure.new_list())});
        music_01->selectRow(0);
        drag(music_01, 0, structure.new_list(), {below_rows(structure.new_list())});
        structure.findChild<QPushButton*>("btok")->click();
    });
    EXPECT_FALSE(asked);
    EXPECT_EQ(names(), (std::vector<std::string>{"001 t2", "002 t1"}));
}

TEST_F(TrackEditingDialogsTest, AplicarWithMissingRowsGoesOnOnlyOnYes)
{
    add_tracks({"t1", "t2", "t3"});
    auto apply_with_one_row = [&](bool yes) {
        run_command("act_editar_estrutura", [&](QDialog& dialog) {
            auto& structure = static_cast<StructureDialog&>(dialog);
            structure.OnConfirmDrop = [yes] { return yes; };
            structure.current_list()->selectRow(2);
            drag(structure.current_list(), 2, structure.new_list(), {below_rows(structure.new_list())});
            structure.findChild<QPushButton*>("btok")->click();
        });
    };
    apply_with_one_row(false);
    EXPECT_EQ(compilation().row_count(), 3);
    apply_with_one_row(true);
    EXPECT_EQ(names(), (std::vector<std::string>{"001 t3"}));
}

TEST_F(TrackEditingDialogsTest, AplicarWithAnEmptyNewListEmptiesTheCompilation)
{
    add_tracks({"t1", "t2"});
    window_->capacity_bar()->setValue(30);
    run_command("act_editar_estrutura", [&](QDialog& dialog) {
        auto& structure = static_cast<StructureDialog&>(dialog);
        structure.OnConfirmDrop = [] { return true; };
        structure.findChild<QPushButton*>("btok")->click();
    });
    EXPECT_TRUE(compilation().empty());
    EXPECT_EQ(window_->capacity_bar()->value(), 0);
}

TEST_F(TrackEditingDialogsTest, ExportWritesTheChosenTextFileWithOneLinePerTrack)
{
    add_tracks({"Abertura", "Meio", "Fim"});
    std::string file = (folder_.folder() / "lista").string();
    run_command("act_exportar", [&](QDialog& dialog) {
        auto& save = dynamic_cast<QFileDialog&>(dialog);
        EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(save.defaultSuffix(), "txt");
        save.selectFile(QString::fromStdString(file));
        static_cast<QDialog&>(save).accept();
    });
    std::ifstream in(file + ".txt", std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "001. Abertura\r\n002. Meio\r\n003. Fim\r\n");
    EXPECT_TRUE(notices_.isEmpty());
}

TEST_F(TrackEditingDialogsTest, ExportToAnUnwritablePlaceIsReported)
{
    add_tracks({"Abertura"});
    std::string file = (folder_.folder() / "no-such-folder" / "lista.txt").string();
    run_command("act_exportar", [&](QDialog& dialog) {
        auto& save = dynamic_cast<QFileDialog&>(dialog);
        save.selectFile(QString::fromStdString(file));
        static_cast<QDialog&>(save).accept();
    });
    ASSERT_EQ(notices_.size(), 1);
    EXPECT_TRUE(notices_[0].contains(QString::fromStdString(file)));
}

TEST_F(TrackEditingDialogsTest, ProjectInformationOfAnEmptyListNamesBothDiscsAndKeepsTheGaugesAtZero)
{
    run_command("cmd_informacoes", [&](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "form_info");
        EXPECT_EQ(dialog.size(), QSize(413, 395));
        EXPECT_EQ(dialog.findChild<PieGauge*>("progress_650")->value(), 0);
        EXPECT_EQ(dialog.findChild<PieGauge*>("progress_700")->value(), 0);
        QString g01 = dialog.findChild<QLabel*>("g01")->text();
        EXPECT_TRUE(g01.contains("650")) << g01.toStdString();
        EXPECT_TRUE(dialog.findChild<QLabel*>("g02")->text().contains("700"));
        EXPECT_TRUE(dialog.findChild<QLabel*>("m03")->text().contains(g01));
        EXPECT_EQ(dialog.findChild<QLabel*>("m02")->text(), window_->status_panel(1)->text());
        dialog.findChild<QPushButton*>("BitBtn1")->click();
    });
}

TEST_F(TrackEditingDialogsTest, ProjectInformationCutsTheTitleAndJoinsCommentLinesWithHash)
{
    run_command("cmd_informacoes", [&](QDialog& dialog) {
        auto* title = dialog.findChild<QLineEdit*>("titulo_cd");
        EXPECT_EQ(title->text(), "Valmuri MP3");
        QTest::keyClicks(title, "ABCDEFGHIJKLMNOPQRST");
        EXPECT_EQ(title->text().size(), 16);
        dialog.findChild<QPlainTextEdit*>("comentarios")->setPlainText("first\nsecond # third");
        dialog.findChild<QPushButton*>("btok")->click();
    });
    EXPECT_EQ(compilation().options().cd_title.size(), 16u);
    EXPECT_EQ(compilation().options().comments, "first#second # third");
    // The "#" inside a line comes back as a line break.
    run_command("cmd_informacoes", [&](QDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QPlainTextEdit*>("comentarios")->toPlainText(), "first\nsecond \n third");
        dialog.findChild<QLineEdit*>("titulo_cd")->setText("changed");
        dialog.findChild<QPushButton*>("BitBtn1")->click();
    });
    EXPECT_EQ(compilation().options().cd_title.size(), 16u);
}

TEST_F(TrackEditingDialogsTest, AboutBoxOpensAndClosesWithoutASoundDeviceAndRemovesItsSound)
{
    AboutDialog about(window_->texts(), folder_.folder(), window_.get());
    EXPECT_EQ(about.objectName(), "form_sobre");
    EXPECT_EQ(about.size(), QSize(429, 318));
    EXPECT_EQ(about.windowTitle().toStdString(), text(175));
    EXPECT_EQ(about.findChild<QLabel*>("a03")->text().toStdString(), text(169));
    EXPECT_TRUE(about.findChild<QLabel*>("a10")->text().contains("mailto:" + QString::fromStdString(text(253))));
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    EXPECT_TRUE(std::filesystem::exists(about.sound_file()));
    about.findChild<QPushButton*>("btok")->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(std::filesystem::exists(about.sound_file()));
}

TEST_F(TrackEditingDialogsTest, ReplaceWithAFileOfTheSameNameInAnotherCaseKeepsTheNumber)
{
    add_tracks({"Intro", "Song"});
    folder_.write("new/SONG.mp3", "ID3-data");
    std::string file = (folder_.folder() / "new" / "SONG.mp3").string();
    select_rows({1});
    run_command("act_substituir", [&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), text(209));
        auto& open = dynamic_cast<QFileDialog&>(dialog);
        open.selectFile(QString::fromStdString(file));
        static_cast<QDialog&>(open).accept();
    });
    EXPECT_EQ(compilation().track_number(1), "002");
    EXPECT_EQ(compilation().disc_name(1), "SONG");
    EXPECT_EQ(compilation().source_path(1), file);
    EXPECT_TRUE(notices_.isEmpty());
    // Another row's name is refused with a210.
    folder_.write("new/intro.mp3", "ID3");
    run_command("act_substituir", [&](QDialog& dialog) {
        auto& open = dynamic_cast<QFileDialog&>(dialog);
        open.selectFile(QString::fromStdString((folder_.folder() / "new" / "intro.mp3").string()));
        static_cast<QDialog&>(open).accept();
    });
    EXPECT_EQ(compilation().disc_name(1), "SONG");
    ASSERT_EQ(notices_.size(), 1);
    EXPECT_EQ(notices_[0].toStdString(), text(210));
}

// With VALMURI_SHOT_FOLDER set, writes pictures of the editing dialogs for a
// person to look at; without it there is nothing to do.
TEST_F(TrackEditingDialogsTest, PicturesOfTheDialogsForReview)
{
    QString shots = qEnvironmentVariable("VALMURI_SHOT_FOLDER");
    if (shots.isEmpty())
        GTEST_SKIP() << "VALMURI_SHOT_FOLDER not set";
    add_tracks({"Artista - Musica", "Intro", "Faixa 03", "Faixa 04"});
    auto save = [&](QWidget& dialog, const char* name) {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QCoreApplication::processEvents();
        dialog.grab().save(shots + "/editing-" + name + ".png");
    };
    RenameDialog rename(window_->texts(), "Artista - Musica", window_.get());
    save(rename, "rename");
    MoveDialog move(window_->texts(), 2, 4, window_.get());
    save(move, "move");
    AutoRenameDialog auto_rename(window_->texts(), window_.get());
    auto_rename.findChild<QLineEdit*>("caractere")->setText("_");
    auto_rename.add_text_to_list();
    save(auto_rename, "auto-rename-remove");
    auto_rename.findChild<QTabWidget*>("page")->setCurrentIndex(1);
    save(auto_rename, "auto-rename-add");
    StructureDialog structure(window_->texts(), compilation(), window_.get());
    structure.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&structure));
    structure.current_list()->selectRow(2);
    drag(structure.current_list(), 2, structure.new_list(), {below_rows(structure.new_list())});
    save(structure, "structure");
    ProjectInformation info = project_information(compilation(), window_->capacity(),
                                                  window_->status_panel(1)->text().toStdString(), window_->texts());
    info.percent_650 = 40;
    info.percent_700 = 37;
    ProjectInfoDialog information(window_->texts(), info, compilation().options(), window_.get());
    save(information, "project-information");
    AboutDialog about(window_->texts(), folder_.folder(), window_.get());
    save(about, "about");
}

} // namespace
} // namespace valmuri
