// Eject and load: the tray, medium removal and the next blank disc.

#include "recorder_fixture.h"

#include <iterator>

namespace valmuri::vrecorder::test {
namespace {

constexpr std::uint8_t eject = 2;
constexpr std::uint8_t load = 3;

class TrayTest : public RecorderTest {
protected:
    // Writes a single-session disc and closes it, as a finished burn leaves it.
    void burn_and_close(std::uint32_t blocks)
    {
        ASSERT_TRUE(write(0, blocks).good());
        ASSERT_TRUE(synchronize_cache().good());
        ASSERT_TRUE(set_write_parameters(0).good());
        ASSERT_TRUE(close(2, 0).good());
    }
};

TEST_F(TrayTest, EjectWithNextImageGivesTheNextBlankDisc)
{
    configure("[r]\nmedium=cd-r\nimage=disc.iso\nnext_image=disc-%d.iso\n");
    burn_and_close(10);
    ASSERT_TRUE(start_stop(eject).good());
    // The tray closes by itself at the next command that needs a disc.
    EXPECT_TRUE(test_unit_ready().good());
    EXPECT_EQ(disc_status(disc_information()), 0);
    burn_and_close(20);
    ASSERT_TRUE(start_stop(eject).good());
    ASSERT_TRUE(start_stop(load).good());
    burn_and_close(30);

    EXPECT_EQ(fs::file_size(folder() / "disc.iso"), 10u * 2048);
    EXPECT_EQ(fs::file_size(folder() / "disc-1.iso"), 20u * 2048);
    EXPECT_EQ(fs::file_size(folder() / "disc-2.iso"), 30u * 2048);
}

TEST_F(TrayTest, AfterAnEjectTheFirstQuestionAboutTheDiscSeesTheNextOne)
{
    // The engine tells disc kinds by GET CONFIGURATION first; an empty
    // drive there would make it guess from the disc information.
    configure("[r]\nmedium=dvd+r\nnext_image=dvd-%d.iso\n");
    ASSERT_TRUE(start_stop(eject).good());
    EXPECT_EQ(current_profile(), 0x1B);
    EXPECT_TRUE(test_unit_ready().good());
}

TEST_F(TrayTest, NextImageSkipsImagesThatAlreadyHoldADisc)
{
    std::ofstream(folder() / "copy-1.iso") << "taken";
    configure("[r]\nmedium=cd-r\nimage=copy-0.iso\nnext_image=copy-%d.iso\n");
    ASSERT_TRUE(start_stop(eject).good());
    ASSERT_TRUE(start_stop(load).good());
    ASSERT_TRUE(write(0, 3).good());
    ASSERT_TRUE(synchronize_cache().good());
    EXPECT_EQ(fs::file_size(folder() / "copy-2.iso"), 3u * 2048);
}

TEST_F(TrayTest, WithoutNextImageTheSameDiscComesBack)
{
    configure("[r]\nmedium=cd-r\nimage=disc.iso\n");
    ASSERT_TRUE(write(0, 5).good());
    ASSERT_TRUE(start_stop(eject).good());
    EXPECT_EQ(nwa(track_information(1)), 5u);
}

TEST_F(TrayTest, ATrayThatDoesNotCloseByItselfWaitsForLoad)
{
    configure("[r]\nmedium=cd-r\nauto_load=0\n");
    ASSERT_TRUE(start_stop(eject).good());
    Reply open = test_unit_ready();
    EXPECT_EQ(open.key(), 0x2);
    EXPECT_EQ(open.asc(), 0x3A);
    EXPECT_EQ(open.ascq(), 0x02);
    EXPECT_EQ(current_profile(), 0x0000) << "no disc, no current profile";
    ASSERT_TRUE(start_stop(load).good());
    EXPECT_TRUE(test_unit_ready().good());
}

TEST_F(TrayTest, TheTrayLogFollowsTheTray)
{
    configure("[r]\nmedium=cd-r\ntray_log=tray.log\n");
    ASSERT_TRUE(start_stop(load).good());
    EXPECT_FALSE(fs::exists(folder() / "tray.log")) << "a closed tray does not move on load";
    ASSERT_TRUE(start_stop(eject).good());
    ASSERT_TRUE(start_stop(eject).good());
    ASSERT_TRUE(test_unit_ready().good()); // closes by itself
    ASSERT_TRUE(start_stop(eject).good());
    std::ifstream log(folder() / "tray.log");
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "open\nclosed\nopen\n");
}

TEST_F(TrayTest, PreventedRemovalKeepsTheDiscIn)
{
    configure("[r]\nmedium=cd-r\n");
    ASSERT_TRUE(none({0x1E, 0, 0, 0, 1, 0}).good());
    Reply refused = start_stop(eject);
    EXPECT_EQ(refused.key(), 0x5);
    EXPECT_EQ(refused.asc(), 0x53);
    EXPECT_EQ(refused.ascq(), 0x02);
    ASSERT_TRUE(none({0x1E, 0, 0, 0, 0, 0}).good());
    EXPECT_TRUE(start_stop(eject).good());
}

TEST_F(TrayTest, AnEmptyDriveReportsNoMedium)
{
    configure("[r]\nmedium=none\n");
    Reply empty = test_unit_ready();
    EXPECT_EQ(empty.key(), 0x2);
    EXPECT_EQ(empty.asc(), 0x3A);
    std::vector<std::uint8_t> sense(18);
    ASSERT_TRUE(in({0x03, 0, 0, 0, 18, 0}, sense).good());
    EXPECT_EQ(sense[12], 0x3A);
}

} // namespace
} // namespace valmuri::vrecorder::test
