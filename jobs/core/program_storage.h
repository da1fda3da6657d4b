#pragma once
// The program's stored items, compiled into it at the best compression level.

#include "jobs/core/stored_item.h"

namespace valmuri::jobs {

// Positions of the items in the program's storage.
enum class ProgramItem : std::size_t {
    RockWav = 0,      // Rock.wav, played by the About box as rock.wav
    DragCursor = 1,   // mouse2.ico, written as drag_mouse.cur for the drag cursor
    AutorunInf = 2,   // autorun.inf, copied onto discs burnt with autorun
    BulletsGlyph = 3, // bullets24_h.bmp, the song list's read button for the compilation
    CdGlyph = 4,      // cd24_h.bmp, the same button for a disc
};

// A fresh storage with the program's five items (a copy, so a caller that
// changes an item's compression changes only its own).
TmxStorage program_storage();

} // namespace valmuri::jobs
