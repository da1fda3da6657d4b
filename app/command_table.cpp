#include "app/command_table.h"

#include <algorithm>

namespace valmuri {

namespace {

using Line = MenuLine;
using K = MenuLine::Kind;

// act_* are the design's actions; cmd_* are menu commands that have no
// action of their own there.
constexpr CommandEntry kCommands[] = {
    {"act_novo", Qt::CTRL | Qt::Key_N, "Novo1", {}, "bt_novo"},
    {"act_abrir", Qt::CTRL | Qt::Key_A, "Abrir1", {}, "bt_abrir"},
    {"act_salvar", {}, {}, {}, {}},
    {"cmd_salvar", Qt::CTRL | Qt::Key_S, "Salvar1", {}, "bt_salvar"},
    {"act_salvarcomo", {}, "SalvarComo1", {}, {}},
    {"act_limparlista", {}, "LimparLista1", {}, {}},
    {"cmd_sair", {}, "Sair1", {}, {}},
    {"act_reproduzir", Qt::Key_F9, "Reproduzir3", "Reproduzir1", {}, true},
    {"act_substituir", Qt::Key_F7, "subarq1", "subarq2", {}},
    {"act_deletar", Qt::Key_Delete, "Deletar2", "Deletar1", {}},
    {"act_renomear", Qt::Key_F2, "Renomear2", "Renomear1", {}},
    {"act_buscar", {}, "BuscarValor2", "BuscarValor1", {}},
    {"act_moverfaixa", Qt::Key_F3, "MoverParaFaixa2", "MoverParaFaixa1", {}},
    {"act_editar_estrutura", Qt::Key_F4, "EditarEstrutura1", "EditarEstrutura2", {}},
    {"act_super_renomeacao", Qt::Key_F5, "AutoRenomeao1", {}, {}},
    {"cmd_modo_arrastar", Qt::Key_F6, "ModoSeleoArrastarFaixaDesativado1", {}, {}, false, true},
    {"act_limpar", {}, "LimparListadeMsica1", {}, {}},
    {"act_selectall", {}, "ListadeSeleodeMsicas1", "SelecionarTudo1", {}},
    {"act_selectalllista", {}, "ListadeMsicas1", "SelecionarTudo2", {}},
    {"act_acima", {}, {}, {}, "bt_subir"},
    {"act_abaixo", {}, {}, {}, "bt_descer"},
    {"act_adicionar", {}, {}, "AdicionarArquivoAoProjeto1", "bt_adicionar", true},
    {"act_reproduzirlista", {}, {}, "Reproduzir2", {}},
    {"act_gravar01", {}, "GravarCD1", {}, "bt_gravar"},
    {"act_apagar", {}, "ApagarCDCDRW1", {}, "bt_apagar"},
    {"cmd_informacoes", {}, "InformaesdoProjeto1", {}, {}},
    {"act_criarlista", {}, "CriarListaMP31", {}, "bt_lista"},
    {"act_exportar", {}, "ExportarListadeMsicasdaGrvao1", {}, {}},
    {"cmd_opcoes", {}, "OpesdeConfiguraes1", {}, {}},
    {"cmd_ajuda", {}, "AjudadoPrograma1", {}, "bt_ajuda"},
    {"cmd_site", {}, "VisitarSite1", {}, {}},
    {"cmd_sobre", {}, "SobreaVerso1", {}, {}},
};

constexpr Line kArquivo[] = {
    {K::Item, "Novo1"}, {K::Separator, {}}, {K::Item, "Abrir1"}, {K::Submenu, "AbrirArquivosRecentes1"},
    {K::Item, "LimparLista1"}, {K::EndSubmenu, {}}, {K::Separator, {}}, {K::Item, "Salvar1"},
    {K::Item, "SalvarComo1"}, {K::Separator, {}}, {K::Item, "Sair1"},
};
constexpr Line kEdicoes[] = {
    {K::Item, "Reproduzir3"}, {K::Separator, {}}, {K::Item, "subarq1"}, {K::Item, "Deletar2"},
    {K::Item, "Renomear2"}, {K::Item, "BuscarValor2"}, {K::Item, "MoverParaFaixa2"}, {K::Separator, {}},
    {K::Item, "EditarEstrutura1"}, {K::Item, "AutoRenomeao1"}, {K::Separator, {}},
    {K::Item, "ModoSeleoArrastarFaixaDesativado1"}, {K::Item, "LimparListadeMsica1"}, {K::Separator, {}},
    {K::Submenu, "SelecionarTudo3"}, {K::Item, "ListadeSeleodeMsicas1"}, {K::Item, "ListadeMsicas1"},
    {K::EndSubmenu, {}},
};
constexpr Line kCd[] = {
    {K::Item, "GravarCD1"}, {K::Item, "ApagarCDCDRW1"}, {K::Separator, {}}, {K::Item, "InformaesdoProjeto1"},
};
constexpr Line kLista[] = {{K::Item, "CriarListaMP31"}, {K::Item, "ExportarListadeMsicasdaGrvao1"}};
// The language submenu Idiomas1 is filled from the language files.
constexpr Line kOpcoes[] = {{K::Item, "OpesdeConfiguraes1"}, {K::Submenu, "Idiomas1"}, {K::EndSubmenu, {}}};
constexpr Line kAjuda[] = {
    {K::Item, "AjudadoPrograma1"}, {K::Item, "VisitarSite1"}, {K::Separator, {}}, {K::Item, "SobreaVerso1"},
};

constexpr MenuLayout kMenuBar[] = {
    {"Arquivo1", kArquivo}, {"Edies1", kEdicoes}, {"CD1", kCd},
    {"Lista1", kLista},     {"Opes1", kOpcoes},   {"Ajuda1", kAjuda},
};

constexpr Line kTrackPopup[] = {
    {K::Item, "Reproduzir1"}, {K::Separator, {}}, {K::Item, "subarq2"}, {K::Item, "Deletar1"},
    {K::Item, "Renomear1"}, {K::Item, "BuscarValor1"}, {K::Item, "MoverParaFaixa1"}, {K::Separator, {}},
    {K::Item, "EditarEstrutura2"}, {K::Separator, {}}, {K::Item, "SelecionarTudo2"},
};
constexpr Line kFilePopup[] = {
    {K::Item, "Reproduzir2"}, {K::Item, "AdicionarArquivoAoProjeto1"}, {K::Item, "SelecionarTudo1"},
};
constexpr MenuLayout kPopups[] = {{"popmenu01", kTrackPopup}, {"popmenu02", kFilePopup}};

constexpr ToolbarButton kToolbar[] = {
    {"bt_novo", ToolbarPicture::New, "&Novo"},
    {"bt_salvar", ToolbarPicture::Save, "&Salvar"},
    {"bt_abrir", ToolbarPicture::Open, "&Abrir"},
    {"bt_adicionar", ToolbarPicture::Add, "Adicionar"},
    {"bt_gravar", ToolbarPicture::Burn, "Gravar CD"},
    {"bt_apagar", ToolbarPicture::Erase, "Apagar"},
    {"bt_lista", ToolbarPicture::List, "Lista MP3"},
    {"bt_subir", ToolbarPicture::Up, "Subir"},
    {"bt_descer", ToolbarPicture::Down, "Descer"},
    {"bt_ajuda", ToolbarPicture::Help, "&Ajuda"},
};

} // namespace

std::span<const CommandEntry> command_entries()
{
    return kCommands;
}

const CommandEntry* find_command_spec(std::string_view name)
{
    auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                           [name](const CommandEntry& entry) { return entry.name == name; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

const CommandEntry* find_command_for_item(std::string_view item)
{
    if (item.empty())
        return nullptr;
    auto it = std::find_if(std::begin(kCommands), std::end(kCommands), [item](const CommandEntry& entry) {
        return entry.menu_item == item || entry.popup_item == item || entry.toolbar_button == item;
    });
    return it == std::end(kCommands) ? nullptr : &*it;
}

std::span<const MenuLayout> menu_bar_layout()
{
    return kMenuBar;
}

std::span<const MenuLayout> popup_layouts()
{
    return kPopups;
}

std::span<const ToolbarButton> toolbar_layout()
{
    return kToolbar;
}

} // namespace valmuri
