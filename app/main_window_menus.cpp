// Commands, menus and popup menus of the main window.

#include "app/file_browser.h"
#include "app/main_window.h"

#include <QAction>
#include <QDesktopServices>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextEdit>
#include <QUrl>

namespace valmuri {

namespace {

// Every command of the window. Those of features not built yet stay
// disabled until a handler is set.
const char* const kCommandNames[] = {
    "act_novo", "act_abrir", "act_salvar", "act_salvarcomo", "act_limparlista", "act_adicionar",
    "act_gravar01", "act_apagar", "act_criarlista", "act_lercd", "act_acima", "act_abaixo",
    "act_reproduzir", "act_reproduzirlista", "act_substituir", "act_deletar", "act_renomear", "act_buscar",
    "act_moverfaixa", "act_editar_estrutura", "act_super_renomeacao", "act_limpar", "act_exportar",
    "act_selectall", "act_selectalllista",
    // Menu commands that have no action of their own.
    "cmd_salvar", "cmd_sair", "cmd_informacoes", "cmd_opcoes", "cmd_ajuda", "cmd_site", "cmd_sobre",
};

constexpr const char* kMakerSite = "https://valmuri-mp3.example/";

} // namespace

void MainWindow::build_commands()
{
    for (const char* name : kCommandNames) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        action->setEnabled(false);
        commands_.insert(name, Command{action, {}, {}, false});
        connect(action, &QAction::triggered, this, [this, key = QString(name)] {
            auto it = commands_.find(key);
            if (it != commands_.end() && it->handled && it->action->isEnabled() && it->execute)
                it->execute();
        });
    }

    // The save command saves to the current project file when there is one.
    set_command_handler(
        "cmd_salvar",
        [this] {
            QAction* save = command("act_salvar");
            if (save->isEnabled())
                save->trigger();
            else
                command("act_salvarcomo")->trigger();
        },
        [this] { return command("act_salvar")->isEnabled() || command("act_salvarcomo")->isEnabled(); });
    set_command_handler("cmd_sair", [this] { close(); });
    set_command_handler("cmd_opcoes", [this] { open_options_dialog(); });
    set_command_handler("cmd_ajuda", [this] { open_help(); });
    set_command_handler("cmd_site", [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerSite))); });
    set_command_handler(
        "act_selectalllista", [this] { track_list_->selectAll(); },
        [this] { return track_list_->rowCount() > 0 && !drag_mode_; });
    set_command_handler(
        "act_selectall", [this] { file_list()->selectAll(); }, [this] { return file_list()->count() > 0; });
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
    if (it == commands_.end()) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        it = commands_.insert(name, Command{action, {}, {}, false});
        connect(action, &QAction::triggered, this, [this, name] {
            auto found = commands_.find(name);
            if (found != commands_.end() && found->handled && found->action->isEnabled() && found->execute)
                found->execute();
        });
    }
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

QAction* MainWindow::menu_item(QMenu* menu, const char* name, const QString& command_name,
                               const QKeySequence& shortcut)
{
    auto* item = menu->addAction(QString());
    item->setObjectName(name);
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    if (QAction* target = command(command_name)) {
        item->setEnabled(target->isEnabled());
        connect(target, &QAction::changed, item, [item, target] { item->setEnabled(target->isEnabled()); });
        connect(item, &QAction::triggered, target, [target] { target->trigger(); });
    }
    return item;
}

void MainWindow::build_menus()
{
    QMenuBar* bar = menuBar();
    auto add_menu = [&](const char* name) {
        QMenu* menu = bar->addMenu(QString());
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(QString(name) + "_item");
        return menu;
    };

    QMenu* arquivo = add_menu("Arquivo1");
    menu_item(arquivo, "Novo1", "act_novo", QKeySequence(Qt::CTRL | Qt::Key_N));
    arquivo->addSeparator();
    menu_item(arquivo, "Abrir1", "act_abrir", QKeySequence(Qt::CTRL | Qt::Key_A));
    QMenu* recent = arquivo->addMenu(QString());
    recent->setObjectName("AbrirArquivosRecentes1");
    menu_item(recent, "LimparLista1", "act_limparlista");
    arquivo->addSeparator();
    menu_item(arquivo, "Salvar1", "cmd_salvar", QKeySequence(Qt::CTRL | Qt::Key_S));
    menu_item(arquivo, "SalvarComo1", "act_salvarcomo");
    arquivo->addSeparator();
    menu_item(arquivo, "Sair1", "cmd_sair");

    QMenu* edicoes = add_menu("Edies1");
    QAction* play = menu_item(edicoes, "Reproduzir3", "act_reproduzir", QKeySequence(Qt::Key_F9));
    QFont bold = play->font();
    bold.setBold(true);
    play->setFont(bold); // the default item
    edicoes->addSeparator();
    menu_item(edicoes, "subarq1", "act_substituir", QKeySequence(Qt::Key_F7));
    menu_item(edicoes, "Deletar2", "act_deletar", QKeySequence(Qt::Key_Delete));
    menu_item(edicoes, "Renomear2", "act_renomear", QKeySequence(Qt::Key_F2));
    menu_item(edicoes, "BuscarValor2", "act_buscar");
    menu_item(edicoes, "MoverParaFaixa2", "act_moverfaixa", QKeySequence(Qt::Key_F3));
    edicoes->addSeparator();
    menu_item(edicoes, "EditarEstrutura1", "act_editar_estrutura", QKeySequence(Qt::Key_F4));
    menu_item(edicoes, "AutoRenomeao1", "act_super_renomeacao", QKeySequence(Qt::Key_F5));
    edicoes->addSeparator();
    QAction* drag_mode = edicoes->addAction(QString());
    drag_mode->setObjectName("ModoSeleoArrastarFaixaDesativado1");
    drag_mode->setShortcut(QKeySequence(Qt::Key_F6));
    drag_mode->setCheckable(true);
    connect(drag_mode, &QAction::triggered, this, [this, drag_mode] {
        drag_mode_ = !drag_mode_;
        drag_mode->setChecked(drag_mode_);
        drag_mode->setText(text(drag_mode_ ? 18 : 17));
        track_list_->setSelectionMode(drag_mode_ ? QAbstractItemView::SingleSelection
                                                 : QAbstractItemView::ExtendedSelection);
        if (drag_mode_ && drag_cursor_)
            track_list_->viewport()->setCursor(*drag_cursor_);
        else
            track_list_->viewport()->unsetCursor();
    });
    menu_item(edicoes, "LimparListadeMsica1", "act_limpar");
    edicoes->addSeparator();
    QMenu* select_all = edicoes->addMenu(QString());
    select_all->setObjectName("SelecionarTudo3");
    menu_item(select_all, "ListadeSeleodeMsicas1", "act_selectall");
    menu_item(select_all, "ListadeMsicas1", "act_selectalllista");

    QMenu* cd = add_menu("CD1");
    menu_item(cd, "GravarCD1", "act_gravar01");
    menu_item(cd, "ApagarCDCDRW1", "act_apagar");
    cd->addSeparator();
    menu_item(cd, "InformaesdoProjeto1", "cmd_informacoes");

    QMenu* lista = add_menu("Lista1");
    menu_item(lista, "CriarListaMP31", "act_criarlista");
    menu_item(lista, "ExportarListadeMsicasdaGrvao1", "act_exportar");

    QMenu* opcoes = add_menu("Opes1");
    menu_item(opcoes, "OpesdeConfiguraes1", "cmd_opcoes");
    language_menu_ = opcoes->addMenu(QString());
    language_menu_->setObjectName("Idiomas1");

    QMenu* ajuda = add_menu("Ajuda1");
    menu_item(ajuda, "AjudadoPrograma1", "cmd_ajuda");
    menu_item(ajuda, "VisitarSite1", "cmd_site");
    ajuda->addSeparator();
    menu_item(ajuda, "SobreaVerso1", "cmd_sobre");
}

void MainWindow::build_popups()
{
    track_popup_ = new QMenu(this);
    track_popup_->setObjectName("popmenu01");
    QAction* play = menu_item(track_popup_, "Reproduzir1", "act_reproduzir", QKeySequence(Qt::Key_F9));
    QFont bold = play->font();
    bold.setBold(true);
    play->setFont(bold);
    track_popup_->addSeparator();
    menu_item(track_popup_, "subarq2", "act_substituir", QKeySequence(Qt::Key_F7));
    menu_item(track_popup_, "Deletar1", "act_deletar", QKeySequence(Qt::Key_Delete));
    menu_item(track_popup_, "Renomear1", "act_renomear", QKeySequence(Qt::Key_F2));
    menu_item(track_popup_, "BuscarValor1", "act_buscar");
    menu_item(track_popup_, "MoverParaFaixa1", "act_moverfaixa", QKeySequence(Qt::Key_F3));
    track_popup_->addSeparator();
    menu_item(track_popup_, "EditarEstrutura2", "act_editar_estrutura", QKeySequence(Qt::Key_F4));
    track_popup_->addSeparator();
    menu_item(track_popup_, "SelecionarTudo2", "act_selectalllista");
    track_list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(track_list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { track_popup_->popup(track_list_->viewport()->mapToGlobal(at)); });

    file_popup_ = new QMenu(this);
    file_popup_->setObjectName("popmenu02");
    menu_item(file_popup_, "Reproduzir2", "act_reproduzirlista");
    QAction* add = menu_item(file_popup_, "AdicionarArquivoAoProjeto1", "act_adicionar");
    bold = add->font();
    bold.setBold(true);
    add->setFont(bold);
    menu_item(file_popup_, "SelecionarTudo1", "act_selectall");
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
