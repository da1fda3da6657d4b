#pragma once
// The Portuguese language file built into the program, used when the
// idiomas folder holds no language file.

#include "platform/ini_file.h"

namespace valmuri {

const IniFile& builtin_language();

} // namespace valmuri
