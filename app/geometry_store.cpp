#include "app/geometry_store.h"

#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QSplitter>

namespace valmuri {

namespace {

// The visual controls of the window that carry a component name, in
// creation order.
QList<QWidget*> named_controls(const QMainWindow& window)
{
    QList<QWidget*> controls;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || widget->isWindow()
            || qobject_cast<QMenu*>(widget))
            continue;
        controls.append(widget);
    }
    return controls;
}

QRect read_rect(const IniFile& file, const std::string& section, const QRect& current)
{
    return QRect(file.read_integer(section, "Left", current.x()), file.read_integer(section, "Top", current.y()),
                 file.read_integer(section, "Width", current.width()),
                 file.read_integer(section, "Height", current.height()));
}

void write_rect(IniFile& file, const std::string& section, const QRect& rect)
{
    file.write_integer(section, "Top", rect.y());
    file.write_integer(section, "Left", rect.x());
    file.write_integer(section, "Width", rect.width());
    file.write_integer(section, "Height", rect.height());
}

} // namespace

bool save_window_geometry(const QMainWindow& window, IniFile& file)
{
    file.hold_writes();
    const std::string form = window.objectName().toStdString();
    // A maximized window keeps the bounds it returns to.
    write_rect(file, form, window.isMaximized() ? window.normalGeometry() : window.geometry());
    file.write_bool(form, "Maximezed", window.isMaximized());
    for (QWidget* control : named_controls(window))
        write_rect(file, control->objectName().toStdString(), control->geometry());
    return file.release_writes();
}

bool restore_window_geometry(QMainWindow& window, const IniFile& file)
{
    const std::string form = window.objectName().toStdString();
    QRect bounds = read_rect(file, form, window.geometry());
    // A damaged file must not make the window larger than the screen.
    if (QScreen* screen = window.screen())
        bounds.setSize(bounds.size().boundedTo(screen->availableGeometry().size()));
    if (bounds.width() > 0 && bounds.height() > 0)
        window.setGeometry(bounds);
    bool maximized = file.read_bool(form, "Maximezed", false);

    for (QSplitter* splitter : window.findChildren<QSplitter*>()) {
        QList<int> sizes;
        bool stored = false;
        for (int i = 0; i < splitter->count(); ++i) {
            QWidget* pane = splitter->widget(i);
            std::string section = pane->objectName().toStdString();
            QRect rect = read_rect(file, section, pane->geometry());
            stored = stored || file.section_exists(section);
            sizes.append(std::max(0, splitter->orientation() == Qt::Horizontal ? rect.width() : rect.height()));
        }
        if (stored)
            splitter->setSizes(sizes);
    }
    return maximized;
}

} // namespace valmuri
