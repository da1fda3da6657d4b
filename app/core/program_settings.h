#pragma once
// The program settings kept in options.ini, and the values the options
// dialog shows and stores.

#include "platform/ini_file.h"

#include <string>

namespace valmuri {

struct ProgramSettings {
    bool open_cd = true;             // Options/OpenCD: open the tray when a disc is needed
    int buffer = -1;                 // Options/Buffer: cache size in bytes for the burner
    bool underrun_protection = true; // Options/UnderrunProtection
    bool grade_lines = false;        // Options/GradeLines: grid lines in the track list
    bool save_form = true;           // Options/SaveForm: restore the window geometry at start
    std::string command_trace;       // Options/CommandTrace: file that drive commands are traced into
};

ProgramSettings read_program_settings(const IniFile& options);

// What the options dialog edits: the cache in whole MiB (2 ... 64) and the
// four check boxes.
struct OptionsDialogValues {
    int cache_megabytes = 8;
    bool protection = true; // c_protection
    bool bandeja = true;    // c_bandeja
    bool form = true;       // c_form
    bool grade = false;     // c_grade
};

inline constexpr int kCacheMinMegabytes = 2;
inline constexpr int kCacheMaxMegabytes = 64;

// The dialog's starting values: the controls' own when options.ini does not
// exist, else the file's values (Buffer truncated to whole MiB and held
// within 2 ... 64).
OptionsDialogValues read_options_dialog_values(const IniFile& options);
// Stores the dialog's values; false when options.ini could not be written.
bool write_options_dialog_values(IniFile& options, const OptionsDialogValues& values);

} // namespace valmuri
