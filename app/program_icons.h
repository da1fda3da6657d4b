#pragma once
// The program's pictures, drawn in code: the program icon, the toolbar
// pictures and the splash picture.

#include <QIcon>
#include <QPixmap>

namespace valmuri {

enum class ToolbarPicture { New, Save, Open, Add, Burn, Erase, List, Up, Down, Help };

QIcon program_icon();
QIcon toolbar_icon(ToolbarPicture picture);
QPixmap splash_picture(const QSize& size);

} // namespace valmuri
