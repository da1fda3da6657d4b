// Drive control through a simulated recorder: what goes over the wire and
// what the operations make of the answers.

#include "tests/drive/sim_drive.h"

#include <gtest/gtest.h>

namespace valmuri::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST_F(SimDriveTest, CapabilitiesFromBothPagesAndFeatures)
{
    sim.default_pages[0x2A] = SimDrive::capabilities_page(0x3B, 0x37, 0x80, 7056, 8467, 0);
    sim.current_pages[0x2A] = SimDrive::capabilities_page(0x3B, 0x37, 0x80, 7056, 7056, 2822);
    sim.features[0x2A] = 1;
    sim.features[0x2F] = 0;

    ASSERT_TRUE(device.GetCapabilities());
    const std::uint32_t caps = device.DeviceCapabilities();
    EXPECT_TRUE(caps & capWriteCDRW);
    EXPECT_TRUE(caps & capTestWrite);
    EXPECT_TRUE(caps & capUnderrunProtection);
    EXPECT_TRUE(caps & capWriteDVDPlusRW);
    EXPECT_TRUE(caps & capReadDVDR);
    EXPECT_FALSE(caps & capWriteDVDPlusRDL);
    EXPECT_EQ(device.DeviceMaxWriteSpeed(), 8467); // the larger of both pages
    EXPECT_EQ(device.CurrentWriteSpeed(), 2822);
    EXPECT_EQ(device.CapabilitiesPage()[0], 0x2A);

    const auto senses = sim.sent(0x5A);
    ASSERT_GE(senses.size(), 3u);
    EXPECT_EQ(senses[0], (Bytes{0x5A, 0, 0xAA, 0, 0, 0, 0, 0, 255, 0}));
    EXPECT_EQ(senses[1], (Bytes{0x5A, 0, 0x30, 0, 0, 0, 0, 0, 128, 0}));
    EXPECT_EQ(senses[2], (Bytes{0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 128, 0}));
    const auto configurations = sim.sent(0x46);
    ASSERT_GE(configurations.size(), 3u); // CurrentWriteSpeed reads them again
    EXPECT_EQ(configurations[0], (Bytes{0x46, 2, 0, 0x2A, 0, 0, 0, 0, 114, 0}));
    EXPECT_EQ(configurations[1][3], 0x3B);
    EXPECT_EQ(configurations[2][3], 0x2F);
}

TEST_F(SimDriveTest, DriveWithoutDefaultValuesStillGetsItsSpeeds)
{
    sim.current_pages[0x2A] = SimDrive::capabilities_page(0x3B, 0x37, 0x80, 7056, 0, 0);
    ASSERT_TRUE(device.GetCapabilities());
    EXPECT_EQ(device.DeviceCapabilities(), 0u);
    EXPECT_EQ(device.DeviceMaxWriteSpeed(), 1385); // a reported 0 reads as DVD 1X
    EXPECT_EQ(device.CurrentWriteSpeed(), 1385);
    EXPECT_EQ(device.MaxReadSpeed(), 7056);

    sim.current_pages.erase(0x2A);
    EXPECT_FALSE(device.GetCapabilities());
    EXPECT_EQ(device.MaxWriteSpeed(), 0);
}

TEST_F(SimDriveTest, DiscTypeFromProfileAtipOrDiscInformation)
{
    sim.profile = 0x1A;
    EXPECT_EQ(device.GetDiscType(), dtDVDPlusRW);
    sim.profile = 0x13;
    EXPECT_EQ(device.GetDiscType(), dtDVDRWRestricted);

    sim.profile = 0;
    sim.atip.assign(26, 0);
    sim.atip[6] = 0xC0;
    EXPECT_EQ(device.GetDiscType(), dtCDRW);
    sim.atip[6] = 0x80;
    EXPECT_EQ(device.GetDiscType(), dtCDR);
    sim.atip[6] = 0x00;
    EXPECT_EQ(device.GetDiscType(), dtCDROM);
    EXPECT_EQ(sim.sent(0x43).back(), (Bytes{0x43, 2, 4, 0, 0, 0, 0, 0, 26, 0}));

    sim.atip.clear();
    sim.set_disc(1, 1, 2, true);
    EXPECT_EQ(device.GetDiscType(), dtCDRW);
    sim.set_disc(1, 1, 2, false);
    EXPECT_EQ(device.GetDiscType(), dtCDR);

    sim.rejected.insert(0x51);
    EXPECT_EQ(device.GetDiscType(), dtCDROM);
    sim.disc_present = false;
    EXPECT_EQ(device.GetDiscType(), dtUnknown);
}

TEST_F(SimDriveTest, DiscStatusSessionsAndErasable)
{
    sim.set_disc(1, 3, 4, true, 0);
    EXPECT_EQ(device.GetDiscStatus(), kDiscAppendable);
    EXPECT_EQ(device.GetSessionCount(), 2);
    EXPECT_TRUE(device.IsDiscErasable());
    sim.set_disc(2, 3, 3, false, 3);
    EXPECT_EQ(device.GetSessionCount(), 3);
    EXPECT_FALSE(device.IsDiscErasable());
    EXPECT_EQ(sim.sent(0x51).back(), (Bytes{0x51, 0, 0, 0, 0, 0, 0, 0, 56, 0}));

    // Without disc information, the disc type decides (and is remembered).
    sim.rejected.insert(0x51);
    sim.profile = 0x12;
    EXPECT_EQ(device.GetDiscStatus(), kDiscStatusUnknown);
    EXPECT_TRUE(device.IsDiscErasable());
    EXPECT_EQ(TSCSIDevice::CurrentDiscType(), dtDVDRAM);
    sim.profile = 0x11;
    EXPECT_FALSE(device.IsDiscErasable());
}

TEST_F(SimDriveTest, FreeBlocksOfBlankAppendableAndClosedCds)
{
    sim.profile = 0x09;
    sim.set_disc(0, 1, 1, false);
    sim.set_track(1, 0, 0, 359846, 359846);
    TSCSIDevice::SetCurrentDiscType(dtDVDR); // left from an earlier disc
    EXPECT_EQ(device.GetDiscFreeBlocks(), 359846u);
    // The page sent is the one for the disc now in the drive, track at once.
    EXPECT_EQ(sim.payload_of_last(0x55)[8 + 2] & 0x0F, 1);
    EXPECT_EQ(sim.sent(0x52).back(), (Bytes{0x52, 1, 0, 0, 0, 1, 0, 0, 40, 0}));

    sim.set_disc(1, 2, 3, false, 0);
    sim.set_track(3, 120000, 120000, 239846, 239846);
    EXPECT_EQ(device.GetDiscFreeBlocks(), 239846u);

    sim.set_disc(2, 2, 2, false, 3);
    EXPECT_EQ(device.GetDiscFreeBlocks(), 0u);

    // The write parameters sent for the check close the disc, whatever FinalizeDisc says.
    const auto page = sim.payload_of_last(0x55);
    ASSERT_EQ(page.size(), 60u);
    EXPECT_EQ(page[8 + 3], 0x04);
    EXPECT_FALSE(device.FinalizeDisc());
}

TEST_F(SimDriveTest, FreeBlocksOfDvds)
{
    sim.profile = 0x11; // DVD-R, blank
    sim.set_disc(0, 1, 1, false);
    sim.set_track(1, 0, 0, 2298496, 2298496, 0);
    EXPECT_EQ(device.GetDiscFreeBlocks(), 2298496u);
    sim.set_track(1, 0, 5000, 2293496, 2298496, 4999);
    EXPECT_EQ(device.GetDiscFreeBlocks(), 2293496u);
    sim.set_track(1, 0, 0, 0, 0xFFFFFFFF, 0);
    EXPECT_EQ(device.GetDiscFreeBlocks(), 0u);

    // DVD+RW: the room after the file system already on it.
    sim.profile = 0x1A;
    sim.set_track(1, 0, 0, 2295104, 2295104, 0);
    std::vector<std::uint8_t> descriptor(2048, 0);
    descriptor[0] = 1;
    std::memcpy(&descriptor[1], "CD001", 5);
    put_le32(&descriptor[80], 100000);
    sim.blocks[16] = descriptor;
    EXPECT_EQ(device.GetDiscFreeBlocks(), 2195104u);
    EXPECT_EQ(sim.sent(0x28).back(), (Bytes{0x28, 0, 0, 0, 0, 16, 0, 0, 1, 0}));

    // A file system claiming more than the disc holds leaves no room, not 4 billion blocks.
    put_le32(&descriptor[80], 3000000);
    sim.blocks[16] = descriptor;
    EXPECT_EQ(device.GetDiscFreeBlocks(), 0u);

    // DVD-RW restricted overwrite, formatted: capacity minus what is written.
    sim.profile = 0x13;
    sim.set_track(1, 0, 0, 1000, 2000, 0);
    sim.format_capacities.assign(248, 0);
    put_be32(&sim.format_capacities[4], 2295104);
    put_be32(&sim.format_capacities[8], 0x00000800);
    EXPECT_EQ(device.GetDiscFreeBlocks(), 2293104u);
}

TEST_F(SimDriveTest, WaitForReadyGivesUpWhenTheBudgetIsSpent)
{
    sim.forever_not_ready = true;
    EXPECT_FALSE(device.WaitForReady(10000, 500));
    EXPECT_GE(clock.slept_ms(), 10000u);
    EXPECT_LE(clock.slept_ms(), 11000u);
}

TEST_F(SimDriveTest, WaitForReadyReturnsOnceTheDriveIsReady)
{
    sim.not_ready = 4;
    EXPECT_TRUE(device.WaitForReady(30000, 1000));
    EXPECT_EQ(clock.slept_ms(), 5000u);

    sim.not_ready = 0;
    TSCSIDevice::SetCurrentDiscType(dtDVDRAM); // DVD-RAM always goes through the sense poll
    EXPECT_TRUE(device.WaitForReady(30000, 1000));
    EXPECT_EQ(sim.count(0x03), 1);
}

TEST_F(SimDriveTest, WriteParametersAreSentOnTopOfTheDrivePage)
{
    sim.current_pages[0x05][20] = 0x5A;
    sim.default_pages[0x2A] = SimDrive::capabilities_page(0, 0x07, 0x80, 0, 0, 0);
    sim.current_pages[0x2A] = SimDrive::capabilities_page(0, 0x07, 0x80, 0, 0, 0);
    ASSERT_TRUE(device.GetCapabilities());
    device.SetFinalizeDisc(false);
    ASSERT_TRUE(device.SetWriteParameters(true, true, false, dtCDR));

    const auto select = sim.sent(0x55).back();
    EXPECT_EQ(select, (Bytes{0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0}));
    const auto list = sim.payload_of_last(0x55);
    ASSERT_EQ(list.size(), 60u);
    EXPECT_EQ(list[8 + 2], 0x51); // BUFE, test write, track at once
    EXPECT_EQ(list[8 + 3], 0x04); // no next session in a test write
    EXPECT_EQ(list[8 + 4], 8);
    EXPECT_EQ(list[8 + 15], 150);
    EXPECT_EQ(list[8 + 20], 0x5A);

    const auto count = sim.count(0x55);
    EXPECT_TRUE(device.SetWriteParameters(false, false, false, dtDVDRAM));
    EXPECT_EQ(sim.count(0x55), count); // nothing sent for DVD-RAM

    sim.current_pages.erase(0x05);
    EXPECT_FALSE(device.SetWriteParameters(false, false, false, dtCDR));
    EXPECT_EQ(sim.count(0x55), count);
}

TEST_F(SimDriveTest, ProbeWriteModesKeepsTheAcceptedTypes)
{
    sim.rejected_write_types = {3};
    device.ProbeWriteModes();
    EXPECT_EQ(device.WriteModes(), wmSAO | wmTAO);
    const auto selects = sim.sent(0x55);
    ASSERT_EQ(selects.size(), 3u);
    EXPECT_EQ(selects[0][8], 0x32 + 10);
}

TEST_F(SimDriveTest, FailedCommandLeavesTextSenseAndOneLogLine)
{
    sim.rejected.insert(0x2A);
    std::vector<std::uint8_t> data(2048, 0);
    EXPECT_FALSE(device.Write10(0, 1, 2048, data.data()));
    EXPECT_EQ(device.LastErrorText(), "ILLEGAL REQUEST (INVALID COMMAND OPERATION CODE)");
    EXPECT_EQ(device.LastSense()[12], 0x20);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 30), "0 <<< WRITE (10)             (");

    // SET CD SPEED failures are routine and never logged.
    sim.rejected.insert(0xBB);
    EXPECT_FALSE(device.SetCDSpeed(0, 706));
    EXPECT_EQ(lines.size(), 1u);

    // A success clears what the failure left.
    EXPECT_TRUE(device.TestUnitReady(5000));
    EXPECT_EQ(device.LastErrorText(), "");
    EXPECT_EQ(device.LastSense()[12], 0);

    device.SetFailureLogLatch();
    EXPECT_FALSE(device.Write10(0, 1, 2048, data.data()));
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(SimDriveTest, SpeedTrayAndBufferCommands)
{
    device.SetReadSpeed(0);
    device.SetWriteSpeed(706);
    EXPECT_EQ(device.WriteSpeed(), 706);
    EXPECT_EQ(sim.sent(0xBB).back(), (Bytes{0xBB, 0, 0xFF, 0xFF, 0x02, 0xC2, 0, 0, 0, 0, 0, 0}));

    const int opens = system.successful_opens;
    set_close_handle_after_command(false);
    EXPECT_TRUE(device.StartStopUnit(true));
    EXPECT_TRUE(device.TestUnitReady(5000));
    EXPECT_TRUE(device.TestUnitReady(5000));
    // The eject closed the drive; the commands after it share one open.
    EXPECT_EQ(system.successful_opens - opens, 2);
    EXPECT_EQ(sim.sent(0x1B).back(), (Bytes{0x1B, 0, 0, 0, 2, 0}));

    EXPECT_FALSE(device.ReadTOC(0, nullptr, 0, false, 0, 256));
    EXPECT_EQ(sim.count(0x43), 0);
}

TEST_F(SimDriveTest, TrayCommandsPutTheCloseAfterCommandSettingBack)
{
    // As during a burn or an erase: the handle is closed after every command.
    set_close_handle_after_command(true);
    EXPECT_TRUE(device.StartStopUnit(false));
    EXPECT_TRUE(close_handle_after_command());
    EXPECT_TRUE(device.PreventAllowMediumRemoval(true));
    EXPECT_TRUE(close_handle_after_command());
    EXPECT_TRUE(device.PreventAllowMediumRemoval(false));
    EXPECT_TRUE(close_handle_after_command());
    const int opens = system.successful_opens;
    EXPECT_TRUE(device.TestUnitReady(5000));
    EXPECT_TRUE(device.TestUnitReady(5000));
    EXPECT_EQ(system.successful_opens - opens, 2);

    set_close_handle_after_command(false);
    EXPECT_TRUE(device.PreventAllowMediumRemoval(true));
    EXPECT_FALSE(close_handle_after_command());
}

} // namespace
} // namespace valmuri::test
