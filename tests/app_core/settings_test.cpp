#include "app/core/program_paths.h"
#include "app/core/program_settings.h"

#include "app_test_folder.h"

#include <gtest/gtest.h>

namespace valmuri {
namespace {

TEST(ProgramSettings, DefaultsApplyToMissingKeysAndBadValues)
{
    testing::ProgramFolder folder;
    IniFile options(folder.paths().options_file());
    ProgramSettings missing = read_program_settings(options);
    EXPECT_TRUE(missing.open_cd);
    EXPECT_EQ(missing.buffer, -1);
    EXPECT_TRUE(missing.underrun_protection);
    EXPECT_FALSE(missing.grade_lines);
    EXPECT_TRUE(missing.save_form);
    EXPECT_EQ(missing.command_trace, "");

    folder.write("options.ini", "[OPTIONS]\nopencd=0\nBuffer=lots\nUnderrunProtection=yes\nGradeLines=2\n"
                                "SaveForm=0\nCommandTrace=drive trace.log\n");
    ProgramSettings read = read_program_settings(options);
    EXPECT_FALSE(read.open_cd);
    EXPECT_EQ(read.buffer, -1);
    EXPECT_TRUE(read.underrun_protection);
    EXPECT_TRUE(read.grade_lines);
    EXPECT_FALSE(read.save_form);
    EXPECT_EQ(read.command_trace, "drive trace.log");
}

TEST(OptionsDialogValues, BufferIsShownInWholeMegabytesAndWrittenBack)
{
    testing::ProgramFolder folder;
    IniFile options(folder.paths().options_file());
    // Without options.ini the dialog keeps its own starting values.
    OptionsDialogValues fresh = read_options_dialog_values(options);
    EXPECT_EQ(fresh.cache_megabytes, 8);
    EXPECT_TRUE(fresh.protection && fresh.bandeja && fresh.form);
    EXPECT_FALSE(fresh.grade);

    folder.write("options.ini", "[Options]\nBuffer=3000000\nOpenCD=0\nGradeLines=1\n");
    OptionsDialogValues values = read_options_dialog_values(options);
    EXPECT_EQ(values.cache_megabytes, 2);
    EXPECT_FALSE(values.bandeja);
    EXPECT_TRUE(values.grade);
    EXPECT_TRUE(values.protection);
    ASSERT_TRUE(write_options_dialog_values(options, values));
    EXPECT_EQ(options.read_integer("Options", "Buffer", 0), 2097152);
    EXPECT_EQ(options.read_string("Options", "OpenCD"), "0");
    EXPECT_EQ(options.read_string("Options", "UnderrunProtection"), "1");
    EXPECT_EQ(options.read_string("Options", "SaveForm"), "1");
    EXPECT_EQ(options.read_string("Options", "GradeLines"), "1");
}

TEST(OptionsDialogValues, CacheIsHeldWithinTheTrackBarRange)
{
    testing::ProgramFolder folder;
    IniFile options(folder.paths().options_file());
    folder.write("options.ini", "[Options]\nBuffer=1048575\n");
    EXPECT_EQ(read_options_dialog_values(options).cache_megabytes, 2);
    folder.write("options.ini", "[Options]\nBuffer=2000000000\n");
    EXPECT_EQ(read_options_dialog_values(options).cache_megabytes, 64);
    folder.write("options.ini", "[Options]\nOpenCD=1\n"); // Buffer missing: -1 reads as 0 MB
    EXPECT_EQ(read_options_dialog_values(options).cache_megabytes, 2);
    folder.write("options.ini", "[Options]\nBuffer=67108864\n");
    EXPECT_EQ(read_options_dialog_values(options).cache_megabytes, 64);
}

TEST(ProgramPaths, FilesSitBesideTheExecutable)
{
    ProgramPaths paths("/opt/valmuri/valmuri-mp3", "/home/u/.config", "/opt/share/valmuri-mp3");
    EXPECT_EQ(paths.program_folder(), "/opt/valmuri");
    EXPECT_EQ(paths.language_folders().front(), "/opt/valmuri/idiomas");
    EXPECT_EQ(paths.language_folders().back(), "/opt/share/valmuri-mp3/idiomas");

    testing::ProgramFolder folder;
    ProgramPaths local = folder.paths();
    EXPECT_EQ(local.options_file(), folder.folder() / "options.ini");
    EXPECT_EQ(local.geometry_file(), folder.folder() / "valmuri-mp3.ini");
    EXPECT_EQ(local.help_file(), folder.folder() / "ajuda_valmurimp3.html");
    EXPECT_EQ(ProgramPaths::temp_folder().string().back(), '/');
}

TEST(ProgramPaths, SettingsMoveToTheUserFolderWhenTheProgramFolderIsNotWritable)
{
    testing::ProgramFolder folder;
    // A program folder that cannot be written (here: one that does not exist).
    ProgramPaths installed(folder.folder() / "missing" / "valmuri-mp3", folder.folder() / "config", {});
    EXPECT_EQ(installed.options_file(), folder.folder() / "config" / "valmuri-mp3" / "options.ini");
    EXPECT_TRUE(std::filesystem::is_directory(folder.folder() / "config" / "valmuri-mp3"));
    EXPECT_EQ(installed.geometry_file(), folder.folder() / "config" / "valmuri-mp3" / "valmuri-mp3.ini");
}

} // namespace
} // namespace valmuri
