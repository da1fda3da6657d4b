#pragma once
// The splash window (Tform_splash): a borderless picture shown while the
// main window is created.

#include <QWidget>

namespace valmuri {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace valmuri
