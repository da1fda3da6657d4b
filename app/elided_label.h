#pragma once
// A one-line label that draws its text cut with an ellipsis when it does not
// fit; text() keeps the whole text.

#include <QLabel>

namespace valmuri {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace valmuri
