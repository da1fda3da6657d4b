#include "app/core/program_settings.h"

#include <algorithm>

namespace valmuri {

namespace {
constexpr const char* kSection = "Options";
constexpr std::int64_t kMegabyte = 1048576;
} // namespace

ProgramSettings read_program_settings(const IniFile& options)
{
    ProgramSettings settings;
    settings.open_cd = options.read_bool(kSection, "OpenCD", true);
    settings.buffer = options.read_integer(kSection, "Buffer", -1);
    settings.underrun_protection = options.read_bool(kSection, "UnderrunProtection", true);
    settings.grade_lines = options.read_bool(kSection, "GradeLines", false);
    settings.save_form = options.read_bool(kSection, "SaveForm", true);
    settings.command_trace = options.read_string(kSection, "CommandTrace");
    return settings;
}

OptionsDialogValues read_options_dialog_values(const IniFile& options)
{
    OptionsDialogValues values;
    if (!options.exists())
        return values;
    ProgramSettings settings = read_program_settings(options);
    values.cache_megabytes = std::clamp(static_cast<int>(settings.buffer / kMegabyte), kCacheMinMegabytes,
                                        kCacheMaxMegabytes);
    values.protection = settings.underrun_protection;
    values.bandeja = settings.open_cd;
    values.form = settings.save_form;
    values.grade = settings.grade_lines;
    return values;
}

bool write_options_dialog_values(IniFile& options, const OptionsDialogValues& values)
{
    options.hold_writes();
    options.write_integer(kSection, "Buffer", std::int64_t(values.cache_megabytes) * kMegabyte);
    options.write_bool(kSection, "OpenCD", values.bandeja);
    options.write_bool(kSection, "UnderrunProtection", values.protection);
    options.write_bool(kSection, "SaveForm", values.form);
    options.write_bool(kSection, "GradeLines", values.grade);
    return options.release_writes();
}

} // namespace valmuri
