#pragma once
// The busy window (Tform_progressmp3): a borderless window that stays on
// top, centred on the main window, with one line of text and a 0 ... 100 bar.
// While it exists every other window of the program is disabled; destroying
// it enables them again. It has no parent so that it stays enabled itself;
// a question asked during the work should use it as its parent.

#include <QPointer>
#include <QWidget>

#include <vector>

class QLabel;
class QProgressBar;

namespace valmuri {

class BusyWindow : public QWidget {
    Q_OBJECT
public:
    BusyWindow(const QString& text, QWidget* main_window);
    ~BusyWindow() override;
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

    // Moves the bar and paints at once, so the program's windows keep
    // painting while the work runs on the user-interface thread.
    void set_position(int percent);
    int position() const;
    QString text() const;

private:
    QLabel* msg_ = nullptr;
    QProgressBar* bar_ = nullptr;
    std::vector<QPointer<QWidget>> disabled_;
};

} // namespace valmuri
