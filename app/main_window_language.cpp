// The languages menu and the captions a language gives the main window.

#include "app/core/builtin_language.h"
#include "app/core/capacity_texts.h"
#include "app/main_window.h"
#include "app/search_window.h"
#include "app/message_box.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTableView>

namespace valmuri {

namespace {

// Component names and the text each takes, in the order they are captioned.
struct Caption {
    const char* name;
    int text;
};
const Caption kCaptions[] = {
    {"Arquivo1", 1}, {"Edies1", 2}, {"CD1", 3}, {"Lista1", 4}, {"Opes1", 5}, {"Ajuda1", 6}, {"bt_ajuda", 6},
    {"Novo1", 7}, {"bt_novo", 7}, {"Abrir1", 8}, {"bt_abrir", 8}, {"AbrirArquivosRecentes1", 9},
    {"Salvar1", 10}, {"bt_salvar", 10}, {"SalvarComo1", 11},
    {"Reproduzir1", 12}, {"Reproduzir2", 12}, {"Reproduzir3", 12}, {"Deletar1", 13}, {"Deletar2", 13},
    {"Renomear1", 14}, {"Renomear2", 14}, {"MoverParaFaixa1", 15}, {"MoverParaFaixa2", 15},
    {"AutoRenomeao1", 16},
    {"LimparListadeMsica1", 19}, {"ExportarListadeMsicasdaGrvao1", 20}, {"SelecionarTudo1", 21},
    {"SelecionarTudo2", 21}, {"SelecionarTudo3", 21}, {"select_all", 21}, {"ListadeSeleodeMsicas1", 22},
    {"ListadeMsicas1", 23},
    {"GravarCD1", 24}, {"bt_gravar", 24}, {"ApagarCDCDRW1", 25}, {"InformaesdoProjeto1", 26},
    {"CriarListaMP31", 27}, {"OpesdeConfiguraes1", 28}, {"Idiomas1", 29}, {"AjudadoPrograma1", 30},
    {"VisitarSite1", 31}, {"SobreaVerso1", 33},
    {"bt_adicionar", 34}, {"bt_lista", 35}, {"bt_subir", 36}, {"bt_descer", 37}, {"EditarEstrutura1", 38},
    {"EditarEstrutura2", 38}, {"AdicionarArquivoAoProjeto1", 39}, {"BuscarValor1", 40}, {"BuscarValor2", 40},
    {"Sair1", 156}, {"msg", 196},
    {"undo_edit", 201}, {"cut_edit", 202}, {"copy_edit", 203}, {"paste_edit", 204}, {"delete_edit", 205},
    {"subarq1", 208}, {"subarq2", 208},
};

} // namespace

void MainWindow::set_caption(const QString& object_name, int n)
{
    QString caption = text(n);
    if (auto* menu = findChild<QMenu*>(object_name)) {
        menu->setTitle(caption);
        return;
    }
    if (auto* action = findChild<QAction*>(object_name)) {
        action->setText(caption);
        return;
    }
    if (auto* button = findChild<QAbstractButton*>(object_name)) {
        button->setText(caption);
        return;
    }
    if (auto* label = findChild<QLabel*>(object_name))
        label->setText(caption);
}

void MainWindow::apply_captions()
{
    for (const Caption& caption : kCaptions)
        set_caption(QString::fromLatin1(caption.name), caption.text);
    if (auto* drag_mode = findChild<QAction*>("ModoSeleoArrastarFaixaDesativado1"))
        drag_mode->setText(text(drag_mode_ ? 18 : 17));
    track_model_->set_headers({text(72), text(73), text(74), text(75)});
}

void MainWindow::build_language_menu()
{
    language_menu_->clear();
    delete language_group_;
    language_group_ = new QActionGroup(this);
    language_group_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);

    languages_ = LanguageList::scan(paths_.language_folders());
    IniFile options(paths_.options_file());
    if (!languages_.write_ids(options))
        qWarning("%s", options.last_error().c_str());
    for (std::size_t i = 0; i < languages_.entries().size(); ++i) {
        QAction* item = language_menu_->addAction(QString::fromStdString(languages_.entries()[i].language));
        item->setObjectName(QStringLiteral("idioma%1").arg(i));
        item->setCheckable(true);
        language_group_->addAction(item);
        connect(item, &QAction::triggered, this, [this, index = int(i)] { language_clicked(index); });
    }
}

void MainWindow::choose_language(const std::string& previous_file)
{
    IniFile options(paths_.options_file());
    int index = languages_.choose(options, previous_file);
    const QList<QAction*> items = language_menu_->actions();
    for (int i = 0; i < items.size(); ++i)
        items[i]->setChecked(i == index);
    store_language_index(options, index);
    auto file = languages_.file_for_index(options, index);
    apply_language(file.value_or(std::filesystem::path()));
}

void MainWindow::language_clicked(int index)
{
    const QList<QAction*> items = language_menu_->actions();
    for (int i = 0; i < items.size(); ++i)
        items[i]->setChecked(i == index);
    IniFile options(paths_.options_file());
    store_language_index(options, index);
    auto file = languages_.file_for_index(options, index);
    apply_language(file.value_or(std::filesystem::path()));

    std::string language;
    std::string author;
    if (file) {
        IniFile chosen(*file);
        language = chosen.read_string("info", "idioma");
        author = chosen.read_string("info", "autor");
    }
    show_notice(this, QString::fromStdString(language_notice_text(texts_, language, author)));
}

void MainWindow::apply_language(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!file.empty() && std::filesystem::is_regular_file(file, ec)) {
        texts_.load(IniFile(file), file);
    } else {
        // Without any language file the built-in Portuguese texts stand in,
        // so the window is never left without captions.
        texts_.load(builtin_language(), {});
        show_language_notice_once();
    }
    apply_captions();

    if (compilation_.empty())
        show_empty_capacity();
    else if (OnRecomputeCapacity)
        OnRecomputeCapacity();
    if (search_window_)
        search_window_->apply_texts(texts_);
    if (OnLanguageApplied)
        OnLanguageApplied();
}

void MainWindow::show_empty_capacity()
{
    CapacityTexts empty = empty_capacity_texts(texts_);
    status_panels_[1]->setText(QString::fromStdString(empty.project_total));
    status_panels_[2]->setText(QString::fromStdString(empty.file_count));
    capacity_bar_->setFormat(QString::fromStdString(empty.bar_caption));
}

void MainWindow::show_language_notice_once()
{
    if (missing_language_noticed_)
        return;
    missing_language_noticed_ = true;
    QString folder = QString::fromStdString((paths_.program_folder() / "idiomas").string());
    show_notice(this, QString::fromUtf8("Nenhum arquivo de idioma foi encontrado em %1.\n"
                                        "O programa usará os textos internos em português.")
                          .arg(folder));
}

} // namespace valmuri
