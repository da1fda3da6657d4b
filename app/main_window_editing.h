#pragma once
// The track-editing commands of the main window: rename, move to track,
// auto-rename, the structure editor, project information, export and About.

namespace valmuri {

class Compilation;
class MainWindow;

// Installs the handlers of those commands on window, acting on compilation
// (the one the window's track list shows).
// act_exportar: asks for a text file with the save dialog and writes the
// list there; a failure to write is reported.
void export_track_list(MainWindow& window, const Compilation& compilation);

void install_editing_commands(MainWindow& window, Compilation& compilation);

} // namespace valmuri
