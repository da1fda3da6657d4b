#include "app/core/mp3_folder.h"

#include "app_test_folder.h"

#include <gtest/gtest.h>

namespace valmuri {
namespace {

TEST(Mp3Folder, ListsMp3FilesOfAnyCaseSortedWithoutExtension)
{
    testing::ProgramFolder folder;
    for (const char* name : {"b.txt", "a.MP3", "Zeta.mp3", "beta.Mp3", "live.1999.mp3", "sub.mp3/x"})
        folder.write(std::string("music/") + name, "x");
    EXPECT_EQ(list_mp3_names(folder.folder() / "music"),
              (std::vector<std::string>{"a", "beta", "live.1999", "Zeta"}));
    EXPECT_TRUE(list_mp3_names(folder.folder() / "nowhere").empty());
}

TEST(Mp3Folder, MountedFoldersStartAtRootAndSkipKernelFileSystems)
{
    testing::ProgramFolder folder;
    folder.write("mounts", "/dev/sda1 / ext4 rw 0 0\nproc /proc proc rw 0 0\n"
                           "/dev/sdb1 /media/u/My\\040Disc vfat rw 0 0\ntmpfs /run tmpfs rw 0 0\n"
                           "/dev/sr0 /media/cdrom iso9660 ro 0 0\n");
    EXPECT_EQ(list_mounted_folders((folder.folder() / "mounts").string()),
              (std::vector<std::string>{"/", "/media/u/My Disc", "/media/cdrom"}));
}

} // namespace
} // namespace valmuri
