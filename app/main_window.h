#pragma once
// The main window (Tform_principal): toolbar, menus, the file browser panes,
// the track list with its free-space bar, and the status bar. It owns the
// translation table and the settings read from options.ini; the commands of
// the other parts of the program plug into its act_* actions.

#include "app/command_table.h"
#include "app/core/capacity.h"
#include "app/core/compilation.h"
#include "app/track_list_model.h"
#include "app/search_window.h"
#include "app/core/language_list.h"
#include "app/core/program_paths.h"
#include "app/core/program_settings.h"
#include "app/core/qt_dispatcher.h"
#include "app/core/translation_table.h"
#include "engine/burner.h"

#include <QCursor>
#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QSplitter;
class QTableView;
class QToolBar;

namespace valmuri {

class FileBrowser;

class BusyWindow;
class SearchWindow;
class TExDragDrop;

class MainWindow : public QMainWindow, public SearchTarget {
    Q_OBJECT
public:
    // Runs the creation sequence: settings, geometry, language, commands.
    explicit MainWindow(ProgramPaths paths, QWidget* parent = nullptr);
    ~MainWindow() override;

    const ProgramPaths& paths() const { return paths_; }

    // The burner component (burn_cd) and the hand-over its threads use to
    // reach this window's thread.
    TVordaCDBurner& burn_cd() { return *burn_cd_; }
    Dispatcher& dispatcher() { return dispatcher_; }

    // Text n (1 ... 210) of the current language.
    QString text(int n) const;
    const TranslationTable& texts() const { return texts_; }

    // Settings from options.ini, re-read after the options dialog.
    bool OpenCD() const { return settings_.open_cd; }
    int cache_size() const { return settings_.buffer; }
    bool underrun_protection() const { return settings_.underrun_protection; }
    bool grid_lines() const;
    void set_grid_lines(bool on);
    // Receives the cache size and the underrun setting whenever they are
    // read (start, after the options dialog), after the burner has them.
    std::function<void(int buffer, bool underrun_protection)> OnBurnerSettings;

    // Project options opcao01 ... opcao05 (title, autorun, finalize, eject,
    // comments), held as texts.
    std::array<QString, 5>& project_options() { return project_options_; }
    void reset_project_options();

    // Commands, one per row of the command table. Every one exists from the
    // start; one without a handler stays disabled. update decides the enabled
    // state whenever the program is idle (no update: always enabled). A name
    // that is not in the table throws std::logic_error.
    QAction* command(const QString& name) const;
    void set_command_handler(const QString& name, std::function<void()> execute,
                             std::function<bool()> update = {});
    void update_commands();

    // Languages.
    void build_language_menu();
    void choose_language(const std::string& previous_file);
    void apply_language(const std::filesystem::path& file);
    void language_clicked(int index);
    const LanguageList& languages() const { return languages_; }
    QMenu* language_menu() const { return language_menu_; }
    // Runs after every language change (windows that re-caption themselves).
    std::function<void()> OnLanguageApplied;
    // Recomputes the capacity display of a non-empty track list.
    std::function<void()> OnRecomputeCapacity;

    // Adding files: the candidate paths of act_adicionar, of a drag from the
    // file pane and of a drop from the file manager, in order.
    std::function<void(const QStringList& candidates)> OnAddFiles;
    // The selected items of the file pane as full paths (folder + name + ".mp3").
    QStringList file_pane_candidates() const;
    TExDragDrop& drop_target() const { return *DragDropFiles_; }

    // Opens a file with the desktop's default application; a failure shows nothing.
    static void open_with_desktop(const QString& path);
    void play_current_track();
    void play_file_pane_entry();

    // The search window, while it is open.
    SearchWindow* search_window() const { return search_window_; }
    void open_search_window();
    int row_count() const override;
    QString row_text(int index) const override;
    void show_result(const QString& row) override;

    // Projects. The unsaved-changes check asks a102 or a103 and runs the save
    // command on Yes; false means Cancel: the caller stops.
    bool confirm_drop_compilation();
    void new_project();
    // Opens a project into the compilation; a file that cannot be read or is
    // no project is reported and leaves the compilation as it was.
    bool open_project_file(const QString& path);
    void save_project_to(const QString& path);
    void save_project_as();
    void open_project_dialog();

    // Closing: OnCloseQuery runs the unsaved-changes check; false keeps the
    // window open.
    std::function<bool()> OnCloseQuery;
    // Opens the project named on the command line when the window is first shown.
    std::function<void(const QString& path)> OnOpenProject;
    void set_startup_project(const QString& path) { startup_project_ = path; }

    // Named parts of the window.
    QTableView* track_list() const { return track_list_; }
    TrackListModel* track_model() const { return track_model_; }
    // The compilation the track list shows.
    Compilation& compilation() { return compilation_; }
    const CapacityFigures& capacity() const { return capacity_; }
    // Runs the adding procedure on the candidates with the busy window, the
    // replace confirmation and the report of cut names, then recomputes.
    void add_files_to_compilation(const QStringList& candidates);
    void recompute_capacity_display();
    // act_limpar: empties the list; the project options and file stay.
    void clear_track_list();
    // The list became empty (new project, last rows deleted): the burner's
    // tree is reset and the empty room shown with the bar at 0.
    void show_emptied_capacity();
    // act_acima / act_abaixo: the current row one place up (-1) or down (+1).
    void move_current_row(int step);
    // act_deletar: the selected rows, or the current one in drag-reorder mode.
    void delete_chosen_rows();
    QProgressBar* capacity_bar() const { return capacity_bar_; }
    QLabel* status_panel(int index) const;
    QListWidget* file_list() const;
    FileBrowser& file_browser() const { return *file_browser_; }
    // The edit popup (PopEdit) shown over a dialog's text field.
    QMenu* edit_popup() const { return edit_popup_; }
    void attach_edit_popup(QWidget* field);

    void show_empty_capacity();
    void save_geometry();
    // Restores the stored geometry; true when the window was maximized.
    bool restore_geometry();
    void centre_on_screen();

    void open_options_dialog();
    void open_help();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void build_commands();
    void build_menus();
    void build_popups();
    void build_toolbar();
    void build_panes();
    void build_status_bar();
    // An item showing the command the table gives for that item name.
    QAction* command_item(QMenu* menu, std::string_view item_name);
    void fill_menu(QMenu* menu, std::span<const MenuLine> lines);
    void set_drag_mode(bool on);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void build_track_list_drops();
    void build_project_commands();
    void show_project_title();
    // Rows the track-list commands act on: the current one, and the number selected.
    int current_row() const;
    int selected_row_count() const;
    void set_caption(const QString& object_name, int n);
    void apply_captions();
    void read_settings();
    void load_drag_cursor();
    void show_language_notice_once();

    Compilation compilation_;
    CapacityFigures capacity_;
    ProgramPaths paths_;
    QtDispatcher dispatcher_;
    std::unique_ptr<TVordaCDBurner> burn_cd_;
    ProgramSettings settings_;
    TranslationTable texts_;
    LanguageList languages_;
    std::array<QString, 5> project_options_;
    QString startup_project_;
    bool shown_before_ = false;
    bool drag_mode_ = false;
    int drag_from_row_ = -1;
    // Cursor number 1: shown over the track list in drag-reorder mode.
    std::optional<QCursor> drag_cursor_;
    bool missing_language_noticed_ = false;

    struct Command {
        QAction* action = nullptr;
        std::function<void()> execute;
        std::function<bool()> update;
        bool handled = false;
    };
    QHash<QString, Command> commands_;

    QToolBar* toolbar_ = nullptr;
    QMenu* language_menu_ = nullptr;
    QMenu* recent_menu_ = nullptr;
    QActionGroup* language_group_ = nullptr;
    QMenu* edit_popup_ = nullptr;
    QMenu* track_popup_ = nullptr;
    QMenu* file_popup_ = nullptr;
    QWidget* edit_target_ = nullptr;
    QTableView* track_list_ = nullptr;
    TrackListModel* track_model_ = nullptr;
    QProgressBar* capacity_bar_ = nullptr;
    std::array<QLabel*, 4> status_panels_{};
    FileBrowser* file_browser_ = nullptr;
    TExDragDrop* DragDropFiles_ = nullptr;
    QPointer<SearchWindow> search_window_;
};

} // namespace valmuri
