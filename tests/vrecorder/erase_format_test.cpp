// BLANK and FORMAT UNIT on the media that take them, refused on the others.

#include "recorder_fixture.h"

namespace valmuri::vrecorder::test {
namespace {

using EraseFormatTest = RecorderTest;

TEST_F(EraseFormatTest, QuickAndFullBlankOfACdRwLeaveABlankDisc)
{
    configure("[quick]\nmedium=cd-rw\nimage=quick.iso\n[full]\nmedium=cd-rw\nimage=full.iso\n");
    for (std::uint8_t target = 0; target < 2; ++target) {
        ASSERT_TRUE(write(0, 20, 0x44, target).good());
        ASSERT_TRUE(synchronize_cache(target).good());
        ASSERT_TRUE(set_write_parameters(3, false, target).good());
        ASSERT_TRUE(close(2, 0, target).good());
        ASSERT_EQ(disc_status(disc_information(target)), 1);
    }
    EXPECT_TRUE(none({0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0).good()); // quick, immediate
    EXPECT_TRUE(none({0xA1, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1).good()); // full, immediate
    for (std::uint8_t target = 0; target < 2; ++target) {
        EXPECT_TRUE(test_unit_ready(target).good());
        EXPECT_EQ(disc_status(disc_information(target)), 0);
        EXPECT_EQ(nwa(track_information(1, target)), 0u);
    }
    EXPECT_FALSE(fs::exists(folder() / "quick.iso")) << "a blank disc has no image";
    EXPECT_FALSE(fs::exists(folder() / "full.iso.state"));
    std::vector<std::uint8_t> data;
    EXPECT_EQ(read(0, 1, data, 0).asc(), 0x21);
    EXPECT_TRUE(write(0, 1, 0, 0).good());

    Reply other_type = none({0xA1, 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1);
    EXPECT_EQ(other_type.asc(), 0x24);
}

TEST_F(EraseFormatTest, WriteOnceAndFormattableMediaRejectBlank)
{
    configure("[cdr]\nmedium=cd-r\n[dvdr]\nmedium=dvd+r\n[plusrw]\nmedium=dvd+rw\n");
    for (std::uint8_t target = 0; target < 3; ++target) {
        Reply reply = none({0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, target);
        EXPECT_EQ(reply.status, SS_ERR) << int(target);
        EXPECT_EQ(reply.key(), 0x5);
        EXPECT_EQ(reply.asc(), 0x30);
    }
}

TEST_F(EraseFormatTest, DvdPlusRwMustBeFormattedBeforeItTakesData)
{
    configure("[r]\nmedium=dvd+rw\nimage=plus.iso\n");
    Reply unformatted = write(0, 32);
    EXPECT_EQ(unformatted.asc(), 0x30) << "the writer formats when it sees this code";
    EXPECT_EQ(unformatted.ascq(), 0x10);

    std::vector<std::uint8_t> list{0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98, 0x00, 0x00, 0x00};
    ASSERT_TRUE(out({0x04, 0x11, 0, 0, 0, 0}, list).good());
    std::vector<std::uint8_t> info = disc_information();
    EXPECT_EQ(disc_status(info), 2);
    EXPECT_EQ(info[7] & 0x03, 0x03); // background format complete

    // Written in place: any block, any order, again and again.
    ASSERT_TRUE(write(1000, 32, 0x01).good());
    ASSERT_TRUE(write(0, 32, 0x02).good());
    ASSERT_TRUE(write(0, 32, 0x03).good());
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(read(0, 1, data).good());
    EXPECT_EQ(data[0], 0x03);
    ASSERT_TRUE(read(500, 1, data).good());
    EXPECT_EQ(data[0], 0x00) << "unwritten blocks of a formatted disc read as zeros";
    EXPECT_EQ(nwa(track_information(1)), 1032u);
    EXPECT_EQ(write(2295104 - 16, 32).asc(), 0x21);

    // Reformatting erases.
    ASSERT_TRUE(out({0x04, 0x11, 0, 0, 0, 0}, list).good());
    EXPECT_EQ(nwa(track_information(1)), 0u);
    EXPECT_FALSE(fs::exists(folder() / "plus.iso"));
}

TEST_F(EraseFormatTest, FormatListsAreChecked)
{
    configure("[plus]\nmedium=dvd+rw\n[cd]\nmedium=cd-rw\n[ram]\nmedium=dvd-ram\n");
    std::vector<std::uint8_t> list{0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98, 0x00, 0x00, 0x00};
    EXPECT_EQ(out({0x04, 0x11, 0, 0, 0, 0}, list, 1).ascq(), 0x06) << "CD-RW is blanked, not formatted";
    EXPECT_EQ(out({0x04, 0x11, 0, 0, 0, 0}, list, 2).asc(), 0x26) << "format type 26h is for DVD+RW";
    std::vector<std::uint8_t> ram{0x00, 0x82, 0x00, 0x08, 0x00, 0x22, 0x21, 0x20, 0x00, 0x00, 0x08, 0x00};
    EXPECT_TRUE(out({0x04, 0x11, 0, 0, 0, 0}, ram, 2).good());
    // A list header that counts fewer bytes than the request carries.
    list[3] = 0x04;
    EXPECT_EQ(out({0x04, 0x11, 0, 0, 0, 0}, list, 0).host_status, 0x12);
    list.resize(8);
    EXPECT_EQ(out({0x04, 0x11, 0, 0, 0, 0}, list, 0).asc(), 0x1A);
    // A header alone, counting no descriptor.
    std::vector<std::uint8_t> short_list(4, 0);
    EXPECT_EQ(out({0x04, 0x11, 0, 0, 0, 0}, short_list, 0).asc(), 0x1A);
    std::vector<std::uint8_t> no_header(2, 0);
    EXPECT_EQ(out({0x04, 0x11, 0, 0, 0, 0}, no_header, 0).host_status, 0x12);
}

TEST_F(EraseFormatTest, DvdRwSwitchesBetweenSequentialAndRestrictedOverwrite)
{
    configure("[r]\nmedium=dvd-rw\nimage=rw.iso\n");
    EXPECT_EQ(current_profile(), 0x14);
    std::vector<std::uint8_t> quick{0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x12, 0x80, 0x54, 0x00, 0x00, 0x10};
    ASSERT_TRUE(out({0x04, 0x11, 0, 0, 0, 0}, quick).good());
    EXPECT_EQ(current_profile(), 0x13);
    ASSERT_TRUE(write(64, 32).good());
    EXPECT_EQ(nwa(track_information(1)), 96u);

    restart();
    EXPECT_EQ(current_profile(), 0x13) << "the recording mode belongs to the disc";
    ASSERT_TRUE(none({0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).good());
    EXPECT_EQ(current_profile(), 0x14);
    EXPECT_EQ(write(64, 32).asc(), 0x21);
}

} // namespace
} // namespace valmuri::vrecorder::test
