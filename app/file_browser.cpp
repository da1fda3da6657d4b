#include "app/file_browser.h"

#include "app/core/mp3_folder.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

namespace valmuri {

FileBrowser::FileBrowser(QWidget* parent) : QObject(parent)
{
    splitter_ = new QSplitter(Qt::Horizontal, parent);
    splitter_->setObjectName("s2");
    splitter_->setChildrenCollapsible(false);

    auto* left = new QWidget(splitter_);
    left->setObjectName("p2");
    auto* left_layout = new QVBoxLayout(left);
    left_layout->setContentsMargins(0, 0, 0, 0);
    left_layout->setSpacing(2);
    drives_ = new QComboBox(left);
    drives_->setObjectName("jvdrive");
    drives_->setStyleSheet(QStringLiteral("QComboBox#jvdrive { background: rgb(236,255,241); }"));
    QIcon drive_icon = left->style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const std::string& folder : list_mounted_folders())
        drives_->addItem(drive_icon, QString::fromStdString(folder));
    left_layout->addWidget(drives_);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setRootPath(QStringLiteral("/"));
    folders_ = new QTreeView(left);
    folders_->setObjectName("jvdiretorios");
    folders_->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column)
        folders_->hideColumn(column);
    folders_->setHeaderHidden(true);
    folders_->setSortingEnabled(true);
    folders_->sortByColumn(0, Qt::AscendingOrder);
    folders_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    folders_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    folders_->header()->setStretchLastSection(false);
    folders_->setStyleSheet(QStringLiteral("QTreeView#jvdiretorios { background: rgb(215,242,255); }"));
    left_layout->addWidget(folders_, 1);

    auto* right = new QWidget(splitter_);
    right->setObjectName("p3");
    auto* right_layout = new QGridLayout(right);
    right_layout->setContentsMargins(0, 0, 0, 0);
    files_ = new QListWidget(right);
    files_->setObjectName("jvlista");
    files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    files_->setViewMode(QListView::ListMode);
    files_->setDragEnabled(true);
    QPalette palette = files_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
    files_->setPalette(palette);
    right_layout->addWidget(files_, 0, 0);
    notice_ = new QLabel(right);
    notice_->setObjectName("msg");
    notice_->setAlignment(Qt::AlignCenter);
    notice_->setWordWrap(true);
    notice_->setAttribute(Qt::WA_TransparentForMouseEvents);
    notice_->setStyleSheet(QStringLiteral("QLabel#msg { color: red; font-family: Arial; font-weight: bold;"
                                          " font-size: 19px; background: transparent; }"));
    right_layout->addWidget(notice_, 0, 0);

    splitter_->addWidget(left);
    splitter_->addWidget(right);
    splitter_->setSizes({198, 503});
    splitter_->setStretchFactor(1, 1);

    connect(drives_, &QComboBox::activated, this, &FileBrowser::drive_chosen);
    connect(folders_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && model_->filePath(current) != folder_) {
                    folder_ = model_->filePath(current);
                    refill();
                }
            });
    // The model reads folders in the background: bring the current one into
    // view once its parent has been read.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this] {
        if (folders_->currentIndex().isValid())
            folders_->scrollTo(folders_->currentIndex());
    });
    drive_ = drives_->currentText();
    show_folder(QDir::homePath());
}

void FileBrowser::drive_chosen(int index)
{
    QString drive = drives_->itemText(index);
    QDir dir(drive);
    if (!dir.exists() || !dir.isReadable()) {
        // A drive that cannot be read: back to the drive of the folder tree.
        drives_->setCurrentText(drive_);
        return;
    }
    drive_ = drive;
    show_folder(drive);
}

void FileBrowser::show_folder(const QString& folder)
{
    QModelIndex root = model_->index(drive_);
    folders_->setRootIndex(root);
    QModelIndex index = model_->index(folder);
    if (index.isValid()) {
        folders_->setCurrentIndex(index);
        folders_->scrollTo(index);
        folders_->expand(index);
    }
    folder_ = folder;
    refill();
}

void FileBrowser::refill()
{
    notice_->hide();
    files_->clear();
    QIcon picture = files_->style()->standardIcon(QStyle::SP_MediaVolume);
    for (const std::string& name : list_mp3_names(folder_.toStdString()))
        files_->addItem(new QListWidgetItem(picture, QString::fromStdString(name)));
    if (files_->count() == 0)
        notice_->show();
}

} // namespace valmuri
