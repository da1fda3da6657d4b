// The main window's busy window, replace confirmation, drop target, file-pane
// adding, playback and music search.

#include "app/busy_window.h"
#include "app/drop_target.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/replace_dialog.h"
#include "app/file_browser.h"
#include "app/search_window.h"

#include "tests/app_core/app_test_folder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <fstream>

// Records the files the desktop is asked to open instead of opening them.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

namespace valmuri {
namespace {

class TrackWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_notice_handler([](QWidget*, const QString&) {});
        folder_.add_shipped_language("PORTUGUES_BR.INI", "PORTUGUES_BR.INI");
        window_ = std::make_unique<MainWindow>(folder_.paths());
        window_->OnAddFiles = [this](const QStringList& candidates) { added_.append(candidates); };
        window_->show();
    }
    void TearDown() override
    {
        window_.reset();
        set_notice_handler({});
    }
    void add_rows(const QStringList& rows)
    {
        std::vector<std::string> texts;
        for (const QString& row : rows)
            texts.push_back(row.toStdString());
        window_->compilation().set_rows(std::move(texts));
    }
    // An MP3 folder of the test's own with the given files, shown in the file pane.
    QString show_music_folder(std::initializer_list<const char*> names)
    {
        QString music = QString::fromStdString((folder_.folder() / "music").string());
        for (const char* name : names)
            folder_.write(std::string("music/") + name, "ID3");
        window_->file_browser().show_folder(music);
        return music;
    }
    void send_drop(QWidget* target, QMimeData* mime, QObject* source = nullptr)
    {
        (void)source;
        QPoint at(20, 20);
        QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        enter_accepted_ = enter.isAccepted();
        QDropEvent drop(QPointF(at), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
    }

    testing::ProgramFolder folder_;
    std::unique_ptr<MainWindow> window_;
    QStringList added_;
    bool enter_accepted_ = false;
};

TEST_F(TrackWindowsTest, BusyWindowDisablesTheOtherWindowsUntilItCloses)
{
    {
        BusyWindow busy(QStringLiteral("Adicionando"), window_.get());
        EXPECT_EQ(busy.objectName(), "form_progressmp3");
        EXPECT_EQ(busy.size(), QSize(400, 75));
        EXPECT_TRUE(busy.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_TRUE(busy.windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_TRUE(busy.isVisible());
        EXPECT_TRUE(busy.isEnabled());
        EXPECT_FALSE(window_->isEnabled());
        EXPECT_EQ(busy.findChild<QLabel*>("msg")->text(), "Adicionando");
        busy.set_position(40);
        EXPECT_EQ(busy.findChild<QProgressBar*>("progresso_mp3")->value(), 40);
        // A question asked during the work over the busy window can be answered.
        QWidget question(&busy, Qt::Dialog);
        question.show();
        EXPECT_TRUE(question.isEnabled());
    }
    EXPECT_TRUE(window_->isEnabled());
}

TEST_F(TrackWindowsTest, ReplaceConfirmationShowsBothFilesAndGivesEachOfItsFourAnswers)
{
    ReplaceQuestion question{"Song.mp3", "/music/old/", "SONG.mp3", "/music/new/"};
    const std::pair<const char*, ReplaceAnswer> buttons[] = {{"b01", ReplaceAnswer::Yes},
                                                             {"b02", ReplaceAnswer::YesToAll},
                                                             {"b03", ReplaceAnswer::No},
                                                             {"b04", ReplaceAnswer::Cancel}};
    for (const auto& [button, expected] : buttons) {
        QTimer::singleShot(0, [&, button = button] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->objectName(), "form_message");
            EXPECT_EQ(dialog->size(), QSize(404, 196));
            EXPECT_EQ(dialog->findChild<QLabel*>("file1")->text(), "Song.mp3");
            EXPECT_EQ(dialog->findChild<QLabel*>("origem1")->text(), "/music/old/");
            EXPECT_EQ(dialog->findChild<QLabel*>("file2")->text(), "SONG.mp3");
            EXPECT_EQ(dialog->findChild<QLabel*>("origem2")->text(), "/music/new/");
            EXPECT_TRUE(dialog->findChild<QPushButton*>("b01")->isDefault());
            EXPECT_EQ(dialog->windowTitle().toStdString(), window_->texts()[193]);
            dialog->findChild<QPushButton*>(button)->click();
        });
        EXPECT_EQ(ReplaceDialog::ask(window_->texts(), question, window_.get()), expected) << button;
    }
    // Closing the window is a Cancel.
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(ReplaceDialog::ask(window_->texts(), question, window_.get()), ReplaceAnswer::Cancel);
}

TEST_F(TrackWindowsTest, FileManagerDropHandsOverEveryPathInOrderAndFilePaneDragsAddTheSelection)
{
    TExDragDrop& target = window_->drop_target();
    EXPECT_EQ(target.Control(), window_->track_list());
    int fired = 0;
    int count = -1;
    auto forward = target.OnDropped;
    target.OnDropped = [&](TExDragDrop* sender, int items) {
        ++fired;
        count = items;
        forward(sender, items);
    };
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile("/music/rock"), QUrl::fromLocalFile("/music/b.wav"),
                   QUrl::fromLocalFile("/music/a.MP3")});
    send_drop(window_->track_list()->viewport(), mime);
    EXPECT_TRUE(enter_accepted_);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(target.Items(), QStringList({"/music/rock", "/music/b.wav", "/music/a.MP3"}));
    EXPECT_EQ(added_, target.Items()); // choosing the MP3 files is the adding run's business

    // A drag of something else (not files, not from the file pane) is refused.
    added_.clear();
    auto* text = new QMimeData;
    text->setText("hello");
    send_drop(window_->track_list()->viewport(), text);
    EXPECT_FALSE(enter_accepted_);
    EXPECT_TRUE(added_.isEmpty());
    EXPECT_EQ(window_->track_list()->model()->rowCount(), 0);
    delete text;
    delete mime;

    // Detaching stops the drops.
    target.SetControl(nullptr);
    EXPECT_EQ(target.Control(), nullptr);
}

TEST_F(TrackWindowsTest, DropOfAFolderAWavAndAnMp3AddsOneRowAndShowsItsRoom)
{
    window_->OnAddFiles = [this](const QStringList& candidates) { window_->add_files_to_compilation(candidates); };
    QString music = QString::fromStdString((folder_.folder() / "music").string());
    folder_.write("music/rock/inside.mp3", "ID3");
    folder_.write("music/b.wav", "RIFF");
    folder_.write("music/a.MP3", std::string(5000, 'x'));
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(music + "/rock"), QUrl::fromLocalFile(music + "/b.wav"),
                   QUrl::fromLocalFile(music + "/a.MP3")});
    send_drop(window_->track_list()->viewport(), mime);
    delete mime;
    ASSERT_EQ(window_->compilation().row_count(), 1);
    QAbstractItemModel* model = window_->track_list()->model();
    EXPECT_EQ(model->index(0, 0).data().toString(), "001");
    EXPECT_EQ(model->index(0, 1).data().toString(), "a");
    EXPECT_EQ(model->index(0, 3).data().toString(), music + "/a.MP3");
    EXPECT_EQ(window_->status_panel(2)->text().toStdString(), "1 " + window_->texts()[143]);
    EXPECT_GT(window_->capacity().blocks, 0);
    EXPECT_TRUE(window_->isEnabled()); // the busy window has gone
}

TEST_F(TrackWindowsTest, AddingADuplicateNameAsksAndReplacesTheRowInPlace)
{
    folder_.write("music/one/Song.mp3", "1");
    folder_.write("music/two/SONG.mp3", "22");
    QString music = QString::fromStdString((folder_.folder() / "music").string());
    window_->add_files_to_compilation({music + "/one/Song.mp3"});
    QString asked_file;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), "form_message");
        asked_file = dialog->findChild<QLabel*>("file1")->text();
        dialog->findChild<QPushButton*>("b01")->click();
    });
    window_->add_files_to_compilation({music + "/two/SONG.mp3"});
    EXPECT_EQ(asked_file, "Song.mp3");
    ASSERT_EQ(window_->compilation().row_count(), 1);
    EXPECT_EQ(window_->compilation().row(0), "001;SONG;2;" + (music + "/two/SONG.mp3").toStdString());
}

TEST_F(TrackWindowsTest, DragReorderMovesThePressedRowToTheReleaseRowAndClearEmptiesTheList)
{
    add_rows({"001;A;1;/a.mp3", "002;B;1;/b.mp3", "003;C;1;/c.mp3", "004;D;1;/d.mp3", "005;E;1;/e.mp3"});
    QTableView* list = window_->track_list();
    QWidget* viewport = list->viewport();
    auto centre = [&](int row) { return list->visualRect(list->model()->index(row, 1)).center(); };
    // Off: nothing moves.
    QTest::mousePress(viewport, Qt::LeftButton, {}, centre(1));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre(4));
    EXPECT_EQ(window_->compilation().disc_name(1), "B");

    window_->findChild<QAction*>("ModoSeleoArrastarFaixaDesativado1")->trigger();
    QTest::mousePress(viewport, Qt::LeftButton, {}, centre(1));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre(4));
    std::vector<std::string> names;
    for (int i = 0; i < 5; ++i)
        names.push_back(window_->compilation().track_number(i) + window_->compilation().disc_name(i));
    EXPECT_EQ(names, (std::vector<std::string>{"001A", "002C", "003D", "004E", "005B"}));
    EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 4);
    // Releasing over the pressed row changes nothing.
    QTest::mousePress(viewport, Qt::LeftButton, {}, centre(2));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre(2));
    EXPECT_EQ(window_->compilation().disc_name(2), "D");

    // Up, down and delete act on the selection.
    window_->findChild<QAction*>("ModoSeleoArrastarFaixaDesativado1")->trigger();
    list->setCurrentIndex(list->model()->index(0, 0));
    list->selectRow(0);
    window_->update_commands();
    EXPECT_FALSE(window_->command("act_acima")->isEnabled());
    ASSERT_TRUE(window_->command("act_abaixo")->isEnabled());
    window_->command("act_abaixo")->trigger();
    EXPECT_EQ(window_->compilation().row(1), "002;A;1;/a.mp3");
    EXPECT_EQ(list->currentIndex().row(), 1);
    list->selectionModel()->select(list->model()->index(3, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    window_->update_commands();
    EXPECT_FALSE(window_->command("act_abaixo")->isEnabled()); // two rows selected
    window_->findChild<QAction*>("Deletar2")->trigger();
    ASSERT_EQ(window_->compilation().row_count(), 3);
    EXPECT_EQ(window_->compilation().row(1), "002;D;1;/d.mp3");

    window_->update_commands();
    window_->findChild<QAction*>("LimparListadeMsica1")->trigger();
    EXPECT_TRUE(window_->compilation().empty());
    EXPECT_EQ(window_->capacity_bar()->value(), 0);
    EXPECT_EQ(window_->status_panel(2)->text().toStdString(), "0 " + window_->texts()[143]);
    EXPECT_EQ(window_->capacity_bar()->format().toStdString(),
              "650,00 " + window_->texts()[141] + "  /  700,00 " + window_->texts()[144]);
}

TEST_F(TrackWindowsTest, AddingFromTheFilePaneTakesTheSelectedEntriesAsFullPaths)
{
    QString music = show_music_folder({"b.mp3", "a.MP3", "notes.txt"});
    auto* pane = window_->findChild<QListWidget*>("jvlista");
    ASSERT_EQ(pane->count(), 2);
    EXPECT_EQ(pane->item(0)->text(), "a");
    window_->update_commands();
    EXPECT_FALSE(window_->command("act_adicionar")->isEnabled());
    pane->item(0)->setSelected(true);
    pane->item(1)->setSelected(true);
    window_->update_commands();
    ASSERT_TRUE(window_->command("act_adicionar")->isEnabled());
    window_->findChild<QAction*>("AdicionarArquivoAoProjeto1")->trigger();
    EXPECT_EQ(added_, QStringList({music + "/a.mp3", music + "/b.mp3"}));
}

TEST_F(TrackWindowsTest, PlaybackOpensTheTrackOrTheFilePaneEntryWithTheDesktop)
{
    OpenedUrls opened;
    add_rows({"001;One;1;/music/One.mp3", "002;Two;2;/music/Two.mp3"});
    window_->update_commands();
    EXPECT_FALSE(window_->command("act_reproduzir")->isEnabled());
    window_->track_list()->selectRow(1);
    window_->update_commands();
    window_->findChild<QAction*>("Reproduzir3")->trigger();
    QString music = show_music_folder({"c.mp3"});
    auto* pane = window_->findChild<QListWidget*>("jvlista");
    pane->setCurrentRow(0);
    window_->update_commands();
    window_->findChild<QAction*>("Reproduzir2")->trigger();
    ASSERT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(opened.urls[0].toLocalFile(), "/music/Two.mp3");
    EXPECT_EQ(opened.urls[1].toLocalFile(), music + "/c.mp3");
}

TEST_F(TrackWindowsTest, SearchWindowFindsRowsAndPointsTheTrackListAtAResult)
{
    add_rows({"001;Intro;1.000;/m/Intro.mp3", "002;Canção;2.000;/m/Canção.mp3", "003;Outro;3.000;/m/Outro.mp3"});
    window_->update_commands();
    window_->findChild<QAction*>("BuscarValor2")->trigger();
    SearchWindow* search = window_->search_window();
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->objectName(), "form_buscar");
    EXPECT_FALSE(search->isModal());
    window_->command("act_buscar")->trigger(); // one window at a time
    EXPECT_EQ(window_->findChildren<SearchWindow*>().size(), 1);

    auto* name = search->findChild<QLineEdit*>("nome_musica");
    auto* button = search->findChild<QPushButton*>("bt_buscar");
    EXPECT_FALSE(button->isEnabled());
    name->setText("mp3");
    EXPECT_TRUE(button->isEnabled());
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(search->result_count(), 3);
    EXPECT_EQ(search->findChild<QProgressBar*>("progresso_busca")->value(), 100);
    EXPECT_TRUE(search->findChild<QLabel*>("total_arquivos")->text().contains("3"));

    name->setText("CANÇÃO"); // accented letters fold too
    button->click();
    ASSERT_EQ(search->result_count(), 1);
    auto* results = search->findChild<QTreeWidget*>("lista_busca");
    QTreeWidgetItem* result = results->topLevelItem(0);
    EXPECT_EQ(result->text(0), "002");
    results->setCurrentItem(result);
    emit results->itemClicked(result, 0);
    ASSERT_EQ(window_->track_list()->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(window_->track_list()->selectionModel()->selectedRows()[0].row(), 1);

    // A result whose track has gone does nothing.
    window_->track_list()->clearSelection();
    window_->compilation().delete_rows({1, 2});
    emit results->itemClicked(result, 0);
    EXPECT_TRUE(window_->track_list()->selectionModel()->selectedRows().isEmpty());

    name->setText("00");
    button->click();
    EXPECT_EQ(search->result_count(), 1);
    search->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window_->search_window(), nullptr);
}

// With VALMURI_SHOT_FOLDER set, writes pictures of the windows for a person
// to look at; without it there is nothing to do.
TEST_F(TrackWindowsTest, PicturesOfTheWindowsForReview)
{
    QString shots = qEnvironmentVariable("VALMURI_SHOT_FOLDER");
    if (shots.isEmpty())
        GTEST_SKIP() << "VALMURI_SHOT_FOLDER not set";
    add_rows({"001;Artista - Musica;4.567.890;/mp3/Artista - Musica.mp3", "002;Intro;1.024;/mp3/Intro.mp3"});
    show_music_folder({"Faixa 01.mp3", "Faixa 02.mp3"});
    window_->recompute_capacity_display();
    window_->update_commands();
    window_->resize(900, 600);
    QCoreApplication::processEvents();
    window_->grab().save(shots + "/main_window.png");
    {
        BusyWindow busy(QString::fromStdString(window_->texts()[122]), window_.get());
        busy.set_position(60);
        busy.grab().save(shots + "/busy_window.png");
    }
    ReplaceDialog replace(window_->texts(),
                          {"Intro.mp3", "/mp3/", "INTRO.mp3", "/home/user/Music/a very long folder name/"
                                                              "that does not fit/"},
                          window_.get());
    replace.show();
    QCoreApplication::processEvents();
    replace.grab().save(shots + "/replace_confirmation.png");
    replace.close();
    window_->update_commands();
    window_->open_search_window();
    window_->search_window()->findChild<QLineEdit*>("nome_musica")->setText("mp3");
    window_->search_window()->search();
    QCoreApplication::processEvents();
    window_->search_window()->grab().save(shots + "/search_window.png");
}

} // namespace
} // namespace valmuri

#include "track_windows_test.moc"
