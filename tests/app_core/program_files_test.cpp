#include "app/core/program_temp_folder.h"
#include "app/core/recent_files.h"

#include "tests/engine/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace valmuri {
namespace {

TEST(RecentFiles, KeepsTwentyFiveMostRecentFirst)
{
    test::TempFolder folder;
    const auto file = folder.path() / "config" / "valmuri-mp3" / "recent.ini";
    {
        RecentFiles recent(file);
        for (int i = 1; i <= 26; ++i)
            recent.add("/p/" + std::to_string(i) + ".vlm");
        EXPECT_EQ(recent.entries().size(), 25u);
        EXPECT_EQ(recent.entries().front(), "/p/26.vlm");
        EXPECT_EQ(recent.entries().back(), "/p/2.vlm");
        recent.add("/p/10.vlm");
        EXPECT_EQ(recent.entries().front(), "/p/10.vlm");
        EXPECT_EQ(recent.entries().size(), 25u);
        recent.remove("/p/26.vlm");
    }
    RecentFiles again(file);
    EXPECT_EQ(again.entries().size(), 24u);
    EXPECT_EQ(again.entries()[0], "/p/10.vlm");
    EXPECT_EQ(again.entries()[1], "/p/25.vlm");
    again.clear();
    EXPECT_TRUE(RecentFiles(file).entries().empty());
}

TEST(ProgramTempFolder, PrivateAndRemoved)
{
    test::TempFolder base;
    std::filesystem::path made;
    {
        ProgramTempFolder folder(base.path());
        ASSERT_TRUE(folder.valid());
        made = folder.path();
        struct stat info {};
        ASSERT_EQ(::stat(made.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        std::ofstream(folder.file("drag_mouse.cur")) << "x";
        ProgramTempFolder second(base.path());
        EXPECT_NE(second.path(), made);
    }
    EXPECT_FALSE(std::filesystem::exists(made));
    EXPECT_TRUE(program_temp_folder().valid());
}

} // namespace
} // namespace valmuri
