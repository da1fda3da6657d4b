// Commands, menus and popup menus of the main window.

#include "app/command_table.h"
#include "app/file_browser.h"
#include "app/main_window.h"

#include <QAction>
#include <QDesktopServices>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextEdit>
#include <QUrl>

#include <stdexcept>

namespace valmuri {

namespace {

constexpr const char* kMakerSite = "https://valmuri-mp3.example/";

QString qname(std::string_view name)
{
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

} // namespace

void MainWindow::build_commands()
{
    for (const CommandEntry& entry : command_entries()) {
        auto* action = new QAction(this);
        QString name = qname(entry.name);
        action->setObjectName(name);
        action->setEnabled(false);
        commands_.insert(name, Command{action, {}, {}, false});
        connect(action, &QAction::triggered, this, [this, name] {
            auto it = commands_.find(name);
            if (it != commands_.end() && it->handled && it->action->isEnabled() && it->execute)
                it->execute();
        });
    }

    // The save command saves to the current project file when there is one,
    // else it asks for a name; so it is always available.
    set_command_handler("cmd_salvar", [this] {
        QAction* save = command("act_salvar");
        if (save->isEnabled())
            save->trigger();
        else
            command("act_salvarcomo")->trigger();
    });
    set_command_handler("cmd_sair", [this] { close(); });
    set_command_handler("cmd_opcoes", [this] { open_options_dialog(); });
    set_command_handler("cmd_ajuda", [this] { open_help(); });
    set_command_handler("cmd_site", [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerSite))); });
    set_command_handler("cmd_modo_arrastar", [this] { set_drag_mode(!drag_mode_); });
    set_command_handler(
        "act_selectalllista", [this] { track_list_->selectAll(); },
        [this] { return !compilation_.empty() && !drag_mode_; });
    set_command_handler(
        "act_selectall", [this] { file_list()->selectAll(); }, [this] { return file_list()->count() > 0; });
}

void MainWindow::set_drag_mode(bool on)
{
    drag_mode_ = on;
    auto* item = findChild<QAction*>("ModoSeleoArrastarFaixaDesativado1");
    item->setChecked(on);
    item->setText(text(on ? 18 : 17));
    track_list_->setSelectionMode(on ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    if (on && drag_cursor_)
        track_list_->viewport()->setCursor(*drag_cursor_);
    else
        track_list_->viewport()->unsetCursor();
}

QAction* MainWindow::command(const QString& name) const
{
    auto it = commands_.find(name);
    return it == commands_.end() ? nullptr : it->action;
}

void MainWindow::set_command_handler(const QString& name, std::function<void()> execute,
                                     std::function<bool()> update)
{
    auto it = commands_.find(name);
    if (it == commands_.end())
        throw std::logic_error("no command named " + name.toStdString());
    it->execute = std::move(execute);
    it->update = std::move(update);
    it->handled = true;
    // The enabled state follows at the next update_commands() (the window
    // runs it whenever the program goes idle).
}

void MainWindow::update_commands()
{
    for (auto it = commands_.begin(); it != commands_.end(); ++it) {
        bool enabled = it->handled && (!it->update || it->update());
        if (it->action->isEnabled() != enabled)
            it->action->setEnabled(enabled);
    }
}

QAction* MainWindow::command_item(QMenu* menu, std::string_view item_name)
{
    const CommandEntry* entry = find_command_for_item(item_name);
    if (!entry)
        throw std::logic_error("menu item without a command: " + std::string(item_name));
    auto* item = menu->addAction(QString());
    item->setObjectName(qname(item_name));
    if (entry->shortcut.key() != Qt::Key_unknown)
        item->setShortcut(QKeySequence(entry->shortcut));
    item->setCheckable(entry->checkable);
    if (entry->default_item) {
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
    }
    QAction* target = command(qname(entry->name));
    item->setEnabled(target->isEnabled());
    connect(target, &QAction::changed, item, [item, target] { item->setEnabled(target->isEnabled()); });
    connect(item, &QAction::triggered, target, [target] { target->trigger(); });
    return item;
}

void MainWindow::fill_menu(QMenu* menu, std::span<const MenuLine> lines)
{
    std::vector<QMenu*> open{menu};
    for (const MenuLine& line : lines) {
        switch (line.kind) {
        case MenuLine::Kind::Item:
            command_item(open.back(), line.name);
            break;
        case MenuLine::Kind::Separator:
            open.back()->addSeparator();
            break;
        case MenuLine::Kind::Submenu: {
            QMenu* sub = open.back()->addMenu(QString());
            sub->setObjectName(qname(line.name));
            open.push_back(sub);
            break;
        }
        case MenuLine::Kind::EndSubmenu:
            open.pop_back();
            break;
        }
    }
}

void MainWindow::build_menus()
{
    QMenuBar* bar = menuBar();
    for (const MenuLayout& layout : menu_bar_layout()) {
        QMenu* menu = bar->addMenu(QString());
        menu->setObjectName(qname(layout.name));
        menu->menuAction()->setObjectName(qname(layout.name) + "_item");
        fill_menu(menu, layout.lines);
    }
    language_menu_ = bar->findChild<QMenu*>("Idiomas1");
    recent_menu_ = bar->findChild<QMenu*>("AbrirArquivosRecentes1");
}

void MainWindow::build_popups()
{
    for (const MenuLayout& layout : popup_layouts()) {
        auto* popup = new QMenu(this);
        popup->setObjectName(qname(layout.name));
        fill_menu(popup, layout.lines);
    }
    track_popup_ = findChild<QMenu*>("popmenu01");
    file_popup_ = findChild<QMenu*>("popmenu02");
    track_list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(track_list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { track_popup_->popup(track_list_->viewport()->mapToGlobal(at)); });
    QListWidget* files = file_list();
    files->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(files, &QWidget::customContextMenuRequested, this,
            [this, files](const QPoint& at) { file_popup_->popup(files->viewport()->mapToGlobal(at)); });

    // The edit popup acts on the text field it was opened over.
    edit_popup_ = new QMenu(this);
    edit_popup_->setObjectName("PopEdit");
    auto edit_item = [this](const char* name, const QKeySequence& keys, auto line_op, auto text_op) {
        QAction* item = edit_popup_->addAction(QString());
        item->setObjectName(name);
        item->setShortcut(keys);
        connect(item, &QAction::triggered, this, [this, line_op, text_op] {
            if (auto* line = qobject_cast<QLineEdit*>(edit_target_))
                line_op(line);
            else if (auto* plain = qobject_cast<QPlainTextEdit*>(edit_target_))
                text_op(plain);
        });
        return item;
    };
    edit_item("undo_edit", QKeySequence::Undo, [](QLineEdit* e) { e->undo(); }, [](QPlainTextEdit* e) { e->undo(); });
    edit_popup_->addSeparator();
    edit_item("cut_edit", QKeySequence::Cut, [](QLineEdit* e) { e->cut(); }, [](QPlainTextEdit* e) { e->cut(); });
    edit_item("copy_edit", QKeySequence::Copy, [](QLineEdit* e) { e->copy(); }, [](QPlainTextEdit* e) { e->copy(); });
    edit_item("paste_edit", QKeySequence::Paste, [](QLineEdit* e) { e->paste(); },
              [](QPlainTextEdit* e) { e->paste(); });
    edit_item("delete_edit", QKeySequence(Qt::Key_Delete), [](QLineEdit* e) { e->del(); },
              [](QPlainTextEdit* e) { e->textCursor().removeSelectedText(); });
    edit_popup_->addSeparator();
    edit_item("select_all", QKeySequence::SelectAll, [](QLineEdit* e) { e->selectAll(); },
              [](QPlainTextEdit* e) { e->selectAll(); });
}

void MainWindow::attach_edit_popup(QWidget* root)
{
    QList<QWidget*> fields = root->findChildren<QWidget*>();
    fields.prepend(root);
    for (QWidget* field : fields) {
        if (!qobject_cast<QLineEdit*>(field) && !qobject_cast<QPlainTextEdit*>(field))
            continue;
        field->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(field, &QWidget::customContextMenuRequested, this, [this, field](const QPoint& at) {
            edit_target_ = field;
            edit_popup_->exec(field->mapToGlobal(at));
            edit_target_ = nullptr;
        });
    }
}

} // namespace valmuri
