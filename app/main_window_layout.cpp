// The widgets of the main window: toolbar, panes, track list, status bar.

#include "app/command_table.h"
#include "app/file_browser.h"
#include "app/main_window.h"
#include "app/program_icons.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace valmuri {

void MainWindow::build_toolbar()
{
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName("barra_simples");
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(22, 22));
    toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, toolbar_);

    for (const ToolbarButton& b : toolbar_layout()) {
        const CommandEntry* entry = find_command_for_item(b.name);
        if (!entry)
            throw std::logic_error("toolbar button without a command: " + std::string(b.name));
        auto* button = new QToolButton(toolbar_);
        button->setObjectName(QString::fromUtf8(b.name.data(), qsizetype(b.name.size())));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIcon(toolbar_icon(b.picture));
        button->setText(QString::fromUtf8(b.caption));
        button->setAutoRaise(true);
        button->setIconSize(QSize(22, 22));
        button->setMinimumSize(63, 44);
        button->setFocusPolicy(Qt::NoFocus);
        toolbar_->addWidget(button);
        QAction* target = command(QString::fromUtf8(entry->name.data(), qsizetype(entry->name.size())));
        button->setEnabled(target->isEnabled());
        connect(target, &QAction::changed, button, [button, target] { button->setEnabled(target->isEnabled()); });
        connect(button, &QToolButton::clicked, target, [target] { target->trigger(); });
    }
}

void MainWindow::build_panes()
{
    auto* s1 = new QSplitter(Qt::Vertical, this);
    s1->setObjectName("s1");
    s1->setChildrenCollapsible(false);

    file_browser_ = new FileBrowser(s1);
    s1->addWidget(file_browser_->splitter());

    auto* lower = new QWidget(s1);
    lower->setObjectName("p1");
    auto* lower_layout = new QVBoxLayout(lower);
    lower_layout->setContentsMargins(0, 0, 0, 0);
    lower_layout->setSpacing(2);

    track_model_ = new TrackListModel(compilation_, this);
    track_list_ = new QTableView(lower);
    track_list_->setModel(track_model_);
    track_list_->setObjectName("lista_musicas");
    track_list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    track_list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    track_list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    track_list_->setWordWrap(false);
    track_list_->setTextElideMode(Qt::ElideRight);
    track_list_->verticalHeader()->hide();
    track_list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    track_list_->verticalHeader()->setDefaultSectionSize(std::max(16, fontMetrics().height() + 2));
    track_list_->horizontalHeader()->setHighlightSections(false);
    track_list_->horizontalHeader()->setStretchLastSection(false);
    // The name column takes the spare width, at least 415 pixels.
    track_list_->horizontalHeader()->setMinimumSectionSize(20);
    const int widths[] = {50, 415, 70, 1500};
    for (int column = 0; column < 4; ++column)
        track_list_->setColumnWidth(column, widths[column]);
    track_list_->setStyleSheet(QStringLiteral(
        "QTableView#lista_musicas { background-color: rgb(235,255,215); gridline-color: rgb(190,210,170); }"
        "QTableView#lista_musicas::item:selected { background-color: black; color: yellow; }"));
    lower_layout->addWidget(track_list_, 1);

    capacity_bar_ = new QProgressBar(lower);
    capacity_bar_->setObjectName("progresso_cd");
    capacity_bar_->setRange(0, 100);
    capacity_bar_->setValue(0);
    capacity_bar_->setTextVisible(true);
    capacity_bar_->setAlignment(Qt::AlignCenter);
    capacity_bar_->setFormat(QString::fromUtf8(" 650,00 MB Livres no CD 650 MB  /  700,00 MB Livres no CD 700 MB"));
    capacity_bar_->setStyleSheet(QStringLiteral(
        "QProgressBar#progresso_cd { background: white; border: 1px solid rgb(160,160,160); border-radius: 2px;"
        " text-align: center; min-height: 18px; }"
        "QProgressBar#progresso_cd::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0,"
        " stop:0 white, stop:1 rgb(255,128,0)); }"));
    lower_layout->addWidget(capacity_bar_);

    s1->addWidget(lower);
    s1->setStretchFactor(0, 1);
    s1->setStretchFactor(1, 1);
    setCentralWidget(s1);
}

void MainWindow::build_status_bar()
{
    auto* bar = new QStatusBar(this);
    bar->setObjectName("barra_estado");
    bar->setSizeGripEnabled(true);
    const int widths[] = {170, 145, 125, 50};
    for (std::size_t i = 0; i < status_panels_.size(); ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("barra_estado_painel%1").arg(i));
        panel->setFixedWidth(widths[i]);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i < 3)
            panel->setAlignment(Qt::AlignCenter);
        bar->addWidget(panel);
        status_panels_[i] = panel;
    }
    setStatusBar(bar);
}

} // namespace valmuri
