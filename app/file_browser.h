#pragma once
// The upper panes of the main window: the drive selector and folder tree on
// the left (p2), the MP3 files of the chosen folder on the right (p3), with
// the notice msg over an empty pane.

#include <QObject>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QSplitter;
class QTreeView;

namespace valmuri {

class FileBrowser : public QObject {
    Q_OBJECT
public:
    explicit FileBrowser(QWidget* parent);

    QSplitter* splitter() const { return splitter_; }
    QListWidget* file_list() const { return files_; }
    QLabel* notice() const { return notice_; }
    // The folder shown by the folder tree.
    QString current_folder() const { return folder_; }
    void show_folder(const QString& folder);
    // Refills the file pane from the current folder.
    void refill();

private:
    void drive_chosen(int index);

    QSplitter* splitter_;
    QComboBox* drives_;
    QTreeView* folders_;
    QFileSystemModel* model_;
    QListWidget* files_;
    QLabel* notice_;
    QString folder_;
    QString drive_;
};

} // namespace valmuri
