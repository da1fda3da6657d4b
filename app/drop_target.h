#pragma once
// TExDragDrop: lets one control take files dropped from the desktop's file
// manager (text/uri-list drags). Items holds the local paths of the last
// drop in the order the drag lists them; OnDropped fires after each drop.

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QWidget;

namespace valmuri {

class TExDragDrop : public QObject {
    Q_OBJECT
public:
    explicit TExDragDrop(QObject* owner = nullptr);
    ~TExDragDrop() override;

    const QStringList& Items() const { return items_; }
    QWidget* Control() const { return control_; }
    // Attaches to the control (nullptr detaches); the attached one again does nothing.
    void SetControl(QWidget* control);

    using TDroppedEvent = std::function<void(TExDragDrop* sender, int items_count)>;
    TDroppedEvent OnDropped;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The widget that receives the drag events: a scroll area's viewport.
    static QWidget* drop_surface(QWidget* control);
    void detach();

    QStringList items_;
    QPointer<QWidget> control_;
    QPointer<QWidget> surface_;
    bool accepted_drops_before_ = false;
};

} // namespace valmuri
