#include "app/drop_target.h"

#include <QAbstractScrollArea>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace valmuri {

TExDragDrop::TExDragDrop(QObject* owner) : QObject(owner) {}

TExDragDrop::~TExDragDrop()
{
    detach();
}

QWidget* TExDragDrop::drop_surface(QWidget* control)
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control))
        return area->viewport();
    return control;
}

void TExDragDrop::SetControl(QWidget* control)
{
    if (control == control_)
        return;
    detach();
    if (!control)
        return;
    control_ = control;
    surface_ = drop_surface(control);
    accepted_drops_before_ = control->acceptDrops();
    control->setAcceptDrops(true);
    surface_->setAcceptDrops(true);
    surface_->installEventFilter(this);
}

void TExDragDrop::detach()
{
    if (surface_)
        surface_->removeEventFilter(this);
    if (control_)
        control_->setAcceptDrops(accepted_drops_before_);
    control_ = nullptr;
    surface_ = nullptr;
}

bool TExDragDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != surface_)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!drag->mimeData()->hasUrls())
            return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasUrls())
            return false;
        items_.clear();
        for (const QUrl& url : drop->mimeData()->urls())
            if (url.isLocalFile())
                items_.append(url.toLocalFile());
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (OnDropped)
            OnDropped(this, int(items_.size()));
        return true;
    }
    default:
        return false;
    }
}

} // namespace valmuri
