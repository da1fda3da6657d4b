#include "app/main_window.h"
#include "app/message_box.h"
#include "app/core/qt_dispatcher.h"

#include "tests/app_core/app_test_folder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace valmuri {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_notice_handler([this](QWidget*, const QString& text) { notices_.append(text); });
    }
    void TearDown() override { set_notice_handler({}); }

    void add_both_languages() const
    {
        folder_.add_shipped_language("PORTUGUES_BR.INI", "PORTUGUES_BR.INI");
        folder_.add_shipped_language("ENGLISH.INI", "ENGLISH.INI");
    }
    IniFile shipped(const char* name) const
    {
        return IniFile(std::filesystem::path(VALMURI_SOURCE_DIR) / "idiomas" / name);
    }
    static QString menu_title(const MainWindow& window, const char* name)
    {
        return window.findChild<QMenu*>(name)->title();
    }

    testing::ProgramFolder folder_;
    QStringList notices_;
};

TEST_F(MainWindowTest, StartsInPortugueseAppliesEnglishAndStoresSettingsOnClose)
{
    add_both_languages();
    IniFile portuguese = shipped("PORTUGUES_BR.INI");
    IniFile english = shipped("ENGLISH.INI");
    {
        MainWindow window(folder_.paths());
        EXPECT_EQ(window.objectName(), "form_principal");
        EXPECT_EQ(window.windowTitle(), "Valmuri MP3 1.0a");
        EXPECT_EQ(window.status_panel(0)->text(), "Valmuri MP3 1.0a");
        EXPECT_EQ(menu_title(window, "Arquivo1").toStdString(), portuguese.read_string("traducao", "a1"));
        EXPECT_EQ(window.findChild<QToolButton*>("bt_gravar")->text().toStdString(),
                  portuguese.read_string("traducao", "a24"));
        ASSERT_EQ(window.language_menu()->actions().size(), 2);
        EXPECT_TRUE(window.language_menu()->actions()[1]->isChecked());
        EXPECT_TRUE(notices_.isEmpty());

        window.show();
        window.language_clicked(0);
        EXPECT_TRUE(window.language_menu()->actions()[0]->isChecked());
        EXPECT_FALSE(window.language_menu()->actions()[1]->isChecked());
        EXPECT_EQ(menu_title(window, "Arquivo1").toStdString(), english.read_string("traducao", "a1"));
        EXPECT_EQ(window.track_list()->model()->headerData(0, Qt::Horizontal).toString().toStdString(),
                  english.read_string("traducao", "a72"));
        // The empty list shows the empty capacity texts of the new language.
        EXPECT_EQ(window.status_panel(1)->text().toStdString(), english.read_string("traducao", "a142") + " 0 MB");
        EXPECT_EQ(window.capacity_bar()->format().toStdString(),
                  "650,00 " + english.read_string("traducao", "a141") + " / 700,00 "
                      + english.read_string("traducao", "a144"));
        ASSERT_EQ(notices_.size(), 1);
        EXPECT_TRUE(notices_[0].contains(QString::fromStdString(english.read_string("info", "idioma"))));
        EXPECT_TRUE(notices_[0].contains(QString::fromStdString(english.read_string("info", "autor"))));

        // Clicking the checked language again keeps it, reloads it and tells so again.
        window.language_clicked(0);
        EXPECT_TRUE(window.language_menu()->actions()[0]->isChecked());
        EXPECT_EQ(notices_.size(), 2);
        window.resize(800, 560);
        EXPECT_TRUE(window.close());
    }
    IniFile options(folder_.paths().options_file());
    EXPECT_EQ(options.read_integer("options", "idiomasID", -1), 0);
    EXPECT_EQ(options.read_string("idiomas", "ID0"), "ENGLISH.INI");
    EXPECT_EQ(options.read_string("idiomas", "ID1"), "PORTUGUES_BR.INI");
    IniFile geometry(folder_.paths().geometry_file());
    EXPECT_EQ(geometry.read_integer("form_principal", "Width", 0), 800);
    EXPECT_EQ(geometry.read_integer("form_principal", "Height", 0), 560);
    EXPECT_FALSE(geometry.read_bool("form_principal", "Maximezed", true));
    for (const char* control : {"barra_simples", "lista_musicas", "barra_estado", "s1", "s2", "p2", "bt_novo"})
        EXPECT_TRUE(geometry.section_exists(control)) << control;

    // The next start finds English again and restores the size, centred.
    MainWindow again(folder_.paths());
    EXPECT_EQ(menu_title(again, "Arquivo1").toStdString(), english.read_string("traducao", "a1"));
    EXPECT_TRUE(again.language_menu()->actions()[0]->isChecked());
    EXPECT_EQ(again.size(), QSize(800, 560));
}

TEST_F(MainWindowTest, GeometryIsWrittenButNotReadWhenSaveFormIsOff)
{
    add_both_languages();
    folder_.write("options.ini", "[Options]\nSaveForm=0\n");
    folder_.write("valmuri-mp3.ini", "[form_principal]\nTop=0\nLeft=0\nWidth=900\nHeight=650\nMaximezed=1\n");
    MainWindow window(folder_.paths());
    EXPECT_EQ(window.size(), QSize(701, 492));
    EXPECT_FALSE(window.windowState() & Qt::WindowMaximized);
    window.close();
    IniFile geometry(folder_.paths().geometry_file());
    EXPECT_EQ(geometry.read_integer("form_principal", "Width", 0), 701);
    EXPECT_FALSE(geometry.read_bool("form_principal", "Maximezed", true));
}

TEST_F(MainWindowTest, RestoredWindowKeepsSizeAndMaximizedStateButIsCentredAgain)
{
    add_both_languages();
    folder_.write("valmuri-mp3.ini", "[FORM_PRINCIPAL]\nTop=3\nLeft=5\nWidth=640\nHeight=480\nMaximezed=1\n");
    MainWindow window(folder_.paths());
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
    window.setWindowState(Qt::WindowNoState); // back to the bounds it restores to
    EXPECT_EQ(window.size(), QSize(640, 480));
    // Centred on the screen; the window frame may shift it by its border.
    QPoint offset = window.geometry().center() - window.screen()->geometry().center();
    EXPECT_LE(offset.manhattanLength(), 8) << offset.x() << "," << offset.y();
}

TEST_F(MainWindowTest, DamagedGeometryFileNeitherOversizesNorBreaksTheWindow)
{
    add_both_languages();
    folder_.write("valmuri-mp3.ini", "[form_principal]\nWidth=100000\nHeight=-5\nTop=x\n[s2]\nWidth=abc\n");
    MainWindow window(folder_.paths());
    EXPECT_LE(window.width(), window.screen()->availableGeometry().width());
    EXPECT_EQ(window.height(), 492);
}

TEST_F(MainWindowTest, EditPopupAndDragModeTakeTheirTextsFromTheLanguage)
{
    add_both_languages();
    IniFile portuguese = shipped("PORTUGUES_BR.INI");
    MainWindow window(folder_.paths());
    const std::pair<const char*, const char*> items[] = {
        {"undo_edit", "a201"}, {"cut_edit", "a202"}, {"copy_edit", "a203"}, {"paste_edit", "a204"},
        {"delete_edit", "a205"}, {"select_all", "a21"}, {"subarq1", "a208"}, {"Sair1", "a156"}};
    for (const auto& [name, key] : items)
        EXPECT_EQ(window.findChild<QAction*>(name)->text().toStdString(), portuguese.read_string("traducao", key))
            << name;
    EXPECT_EQ(window.edit_popup()->objectName(), "PopEdit");

    QAction* drag_mode = window.findChild<QAction*>("ModoSeleoArrastarFaixaDesativado1");
    EXPECT_EQ(drag_mode->text().toStdString(), portuguese.read_string("traducao", "a17"));
    EXPECT_EQ(drag_mode->shortcut(), QKeySequence(Qt::Key_F6));
    drag_mode->trigger();
    EXPECT_TRUE(drag_mode->isChecked());
    EXPECT_EQ(drag_mode->text().toStdString(), portuguese.read_string("traducao", "a18"));
    EXPECT_EQ(window.track_list()->selectionMode(), QAbstractItemView::SingleSelection);
    window.language_clicked(0); // re-captioning keeps the mode's text
    EXPECT_EQ(drag_mode->text().toStdString(), shipped("ENGLISH.INI").read_string("traducao", "a18"));
    drag_mode->trigger();
    EXPECT_FALSE(drag_mode->isChecked());
    EXPECT_EQ(window.track_list()->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(MainWindowTest, WithoutLanguageFilesTheBuiltInTextsAreUsedAndTheUserToldOnce)
{
    MainWindow window(folder_.paths());
    EXPECT_EQ(menu_title(window, "Arquivo1"), "&Arquivo");
    EXPECT_EQ(window.findChild<QAction*>("Sair1")->text(), "&Sair");
    EXPECT_TRUE(window.language_menu()->actions().isEmpty());
    ASSERT_EQ(notices_.size(), 1);
    EXPECT_TRUE(notices_[0].contains("idiomas"));
    window.apply_language({});
    EXPECT_EQ(notices_.size(), 1);
}

TEST_F(MainWindowTest, CommandsOfMissingFeaturesAreDisabledAndHandlersEnableThem)
{
    add_both_languages();
    MainWindow window(folder_.paths());
    for (const char* name : {"act_gravar01", "act_apagar", "act_adicionar", "act_buscar"})
        EXPECT_FALSE(window.command(name)->isEnabled()) << name;
    EXPECT_TRUE(window.command("act_novo")->isEnabled());
    EXPECT_FALSE(window.findChild<QToolButton*>("bt_gravar")->isEnabled());
    EXPECT_FALSE(window.findChild<QAction*>("GravarCD1")->isEnabled());
    EXPECT_TRUE(window.findChild<QAction*>("OpesdeConfiguraes1")->isEnabled());
    EXPECT_TRUE(window.findChild<QToolButton*>("bt_ajuda")->isEnabled());
    EXPECT_EQ(window.findChild<QAction*>("Novo1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(window.findChild<QAction*>("Abrir1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_EQ(window.findChild<QAction*>("Deletar2")->shortcut(), QKeySequence(Qt::Key_Delete));

    int runs = 0;
    bool allowed = true;
    window.set_command_handler("act_gravar01", [&] { ++runs; }, [&] { return allowed; });
    window.update_commands();
    EXPECT_TRUE(window.findChild<QToolButton*>("bt_gravar")->isEnabled());
    window.findChild<QAction*>("GravarCD1")->trigger();
    window.findChild<QToolButton*>("bt_gravar")->click();
    EXPECT_EQ(runs, 2);
    allowed = false;
    window.update_commands();
    EXPECT_FALSE(window.findChild<QAction*>("GravarCD1")->isEnabled());
    window.command("act_gravar01")->trigger();
    EXPECT_EQ(runs, 2);
}

TEST_F(MainWindowTest, CommandTableFeedsMenusPopupsAndToolbarAndRefusesUnknownNames)
{
    MainWindow window(folder_.paths());
    // Every item of the table exists once, with the table's shortcut.
    for (const CommandEntry& entry : command_entries()) {
        ASSERT_NE(window.command(QString::fromUtf8(entry.name.data(), qsizetype(entry.name.size()))), nullptr);
        for (std::string_view item : {entry.menu_item, entry.popup_item}) {
            if (item.empty())
                continue;
            auto* action = window.findChild<QAction*>(QString::fromUtf8(item.data(), qsizetype(item.size())));
            ASSERT_NE(action, nullptr) << item;
            if (entry.shortcut.key() != Qt::Key_unknown) {
                EXPECT_EQ(action->shortcut(), QKeySequence(entry.shortcut)) << item;
            }
        }
        if (!entry.toolbar_button.empty()) {
            EXPECT_NE(window.findChild<QToolButton*>(QString::fromUtf8(entry.toolbar_button.data(),
                                                                        qsizetype(entry.toolbar_button.size()))),
                      nullptr);
        }
    }
    EXPECT_EQ(window.findChild<QAction*>("Reproduzir1")->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_TRUE(window.findChild<QAction*>("AdicionarArquivoAoProjeto1")->font().bold());
    EXPECT_EQ(window.findChild<QMenu*>("popmenu02")->actions().size(), 3);
    // A handler for a command that does not exist is a programming error.
    EXPECT_THROW(window.set_command_handler("act_gravar02", [] {}), std::logic_error);
    EXPECT_EQ(window.command("act_gravar02"), nullptr);
    EXPECT_EQ(find_command_for_item("bt_salvar")->name, "cmd_salvar");
}

TEST_F(MainWindowTest, OptionsDialogStoresOnOkAndRereadsTheFileOnCancel)
{
    add_both_languages();
    folder_.write("options.ini", "[Options]\nBuffer=3000000\nGradeLines=0\n");
    MainWindow window(folder_.paths());
    EXPECT_EQ(window.burn_cd().CacheSize(), 2998272); // 3000000 rounded down to whole sectors
    std::vector<std::pair<int, bool>> burner;
    window.OnBurnerSettings = [&](int buffer, bool underrun) { burner.emplace_back(buffer, underrun); };

    int shown_cache = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), "form_opcao");
        shown_cache = dialog->findChild<QSlider*>("cache")->value();
        EXPECT_EQ(dialog->findChild<QLabel*>("cache_size")->text(), "2 MB");
        dialog->findChild<QCheckBox*>("c_grade")->setChecked(true);
        dialog->findChild<QPushButton*>("btok")->click();
    });
    window.open_options_dialog();
    EXPECT_EQ(shown_cache, 2);
    IniFile options(folder_.paths().options_file());
    EXPECT_EQ(options.read_integer("Options", "Buffer", 0), 2097152);
    EXPECT_TRUE(window.grid_lines());
    ASSERT_EQ(burner.size(), 1u);
    EXPECT_EQ(burner.back(), std::make_pair(2097152, true));

    // Cancel changes nothing in the file but still re-reads it.
    options.write_integer("Options", "Buffer", 8388608);
    options.write_bool("Options", "OpenCD", false);
    options.write_bool("Options", "UnderrunProtection", false);
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QSlider*>("cache")->setValue(40);
        dialog->findChild<QPushButton*>("btfechar")->click();
    });
    window.open_options_dialog();
    EXPECT_EQ(options.read_integer("Options", "Buffer", 0), 8388608);
    EXPECT_FALSE(window.OpenCD());
    EXPECT_EQ(window.cache_size(), 8388608);
    EXPECT_FALSE(window.underrun_protection());
    EXPECT_EQ(burner.back(), std::make_pair(8388608, false));
    EXPECT_EQ(window.burn_cd().CacheSize(), 8388608);
    EXPECT_FALSE(window.burn_cd().UnderrunProtection());
}

TEST(QtDispatcher, RunsWorkerTasksOnTheGuiThreadAndWaitsForThem)
{
    QtDispatcher dispatcher;
    std::atomic<bool> on_gui_thread{false};
    std::atomic<bool> returned{false};
    int value = 0;
    std::thread worker([&] {
        dispatcher.run_on_main([&] {
            on_gui_thread = QThread::currentThread() == QCoreApplication::instance()->thread();
            value = 42;
        });
        returned = value == 42;
    });
    while (!returned)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_TRUE(on_gui_thread);
    int inline_runs = 0;
    dispatcher.run_on_main([&] { ++inline_runs; });
    EXPECT_EQ(inline_runs, 1);
}

} // namespace
} // namespace valmuri
