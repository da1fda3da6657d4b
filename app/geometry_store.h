#pragma once
// The main window's geometry file: one section per named component (the
// window first, then every visual control in creation order) with Top,
// Left, Width and Height, and form_principal/Maximezed.

#include "platform/ini_file.h"

class QMainWindow;

namespace valmuri {

// Writes the geometry of the window and its named controls; false when the
// file could not be written.
bool save_window_geometry(const QMainWindow& window, IniFile& file);
// Restores the window's bounds and returns whether it was maximized (the
// caller maximizes it once it has placed it). The controls sit in layouts,
// so what survives of them is the share each splitter gives its panes,
// taken from their stored width or height.
bool restore_window_geometry(QMainWindow& window, const IniFile& file);

} // namespace valmuri
