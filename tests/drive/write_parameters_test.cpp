#include "drive/capabilities.h"
#include "drive/disc_type.h"
#include "drive/write_parameters.h"

#include <gtest/gtest.h>

namespace valmuri {
namespace {

// The page as a drive might return it: page code with PS bit, stale values
// in every field the engine rewrites.
WriteParametersPage drive_page()
{
    WriteParametersPage p{};
    p[0] = 0x85;
    p[1] = 0x36;
    p[2] = 0x1F;
    p[3] = 0x3B;
    p[4] = 0x0A;
    p[5] = 7;
    p[6] = p[7] = p[8] = p[9] = 0x55;
    p[13] = 0x99;
    p[15] = 0x01;
    p[20] = 0x77; // untouched beyond the audio pause
    return p;
}

WriteParameterOptions options(std::uint8_t disc_type)
{
    WriteParameterOptions o;
    o.disc_type = disc_type;
    o.underrun_protection = true;
    o.capabilities = capUnderrunProtection | capTestWrite;
    o.capabilities_page_byte4 = 0x80;
    return o;
}

struct PageBytes {
    std::uint8_t b2, b3, b4, b5;
    std::uint32_t packet;
};

void expect_page(const WriteParametersPage& p, PageBytes e)
{
    EXPECT_EQ(p[0], 0x85);
    EXPECT_EQ(p[1], 0x32);
    EXPECT_EQ(p[2], e.b2);
    EXPECT_EQ(p[3], e.b3);
    EXPECT_EQ(p[4], e.b4);
    EXPECT_EQ(p[5], e.b5);
    for (int i = 6; i <= 9; ++i)
        EXPECT_EQ(p[i], 0) << i;
    EXPECT_EQ((p[10] << 24) | (p[11] << 16) | (p[12] << 8) | p[13], static_cast<int>(e.packet));
    EXPECT_EQ(p[14], 0);
    EXPECT_EQ(p[15], 150);
    EXPECT_EQ(p[20], 0x77);
}

TEST(WriteParameters, PageForEachDiscType)
{
    struct Case {
        std::uint8_t type;
        PageBytes bytes;
    };
    const Case cases[] = {
        {dtCDR, {0x41, 0xC4, 8, 0, 0}},             // TAO, mode 1, next session allowed
        {dtCDRW, {0x41, 0xC4, 8, 0, 0}},
        {dtUnknown, {0x41, 0xC4, 8, 0, 0}},
        {dtDVDR, {0x60, 0xE5, 8, 16, 16}},           // incremental, fixed packets of 16
        {dtDVDRWRestricted, {0x60, 0xC5, 8, 16, 0}},
        {dtDVDRWSequential, {0x60, 0xC5, 8, 16, 0}},
        {dtDVDPlusRW, {0x62, 0x04, 8, 16, 0}},
        {dtDVDPlusR, {0x62, 0xC4, 8, 0, 0}},
        {dtDVDPlusRDL, {0x62, 0x04, 8, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(disc_type_name(c.type));
        expect_page(build_write_parameters(drive_page(), options(c.type)), c.bytes);
    }
}

TEST(WriteParameters, SessionLeftOpenOnlyWithoutTestOrFinalize)
{
    auto o = options(dtCDR);
    o.finalize_disc = true;
    EXPECT_EQ(build_write_parameters(drive_page(), o)[3], 0x04);

    o.finalize_disc = false;
    o.test_write = true;
    const auto p = build_write_parameters(drive_page(), o);
    EXPECT_EQ(p[3], 0x04);
    EXPECT_EQ(p[2], 0x51); // test write supported and requested
}

TEST(WriteParameters, TestWriteAndBufeNeedTheCapability)
{
    auto o = options(dtCDRW);
    o.test_write = true;
    o.capabilities = 0;
    o.capabilities_page_byte4 = 0;
    EXPECT_EQ(build_write_parameters(drive_page(), o)[2], 0x01);

    // BUF in the capabilities page alone is enough for BUFE.
    o.capabilities_page_byte4 = 0x80;
    EXPECT_EQ(build_write_parameters(drive_page(), o)[2], 0x41);

    o.underrun_protection = false;
    o.capabilities = capUnderrunProtection;
    EXPECT_EQ(build_write_parameters(drive_page(), o)[2], 0x01);
}

TEST(WriteParameters, DvdRwIsNeverWrittenInTestMode)
{
    auto o = options(dtDVDRWSequential);
    o.test_write = true;
    EXPECT_EQ(build_write_parameters(drive_page(), o)[2] & 0x10, 0);
}

TEST(WriteParameters, DualLayerMultiSessionFlag)
{
    auto o = options(dtDVDPlusRDL);
    o.dual_layer_multisession = true;
    const auto p = build_write_parameters(drive_page(), o);
    EXPECT_EQ(p[2], 0x62);
    EXPECT_EQ(p[3], 0xC4);
}

TEST(WriteParameters, LinkSizeQuirk)
{
    auto o = options(dtCDR);
    o.link_size_quirk = true;
    EXPECT_EQ(build_write_parameters(drive_page(), o)[2], 0x61);
}

TEST(WriteParameters, ModeSelectListIsAZeroHeaderAndFiftyTwoPageBytes)
{
    auto page = build_write_parameters(drive_page(), options(dtCDR));
    page[52] = 0xEE; // beyond what is sent
    const auto list = write_parameters_list(page);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(list[i], 0);
    EXPECT_EQ(list[8], 0x85);
    EXPECT_EQ(list[10], 0x41);
    EXPECT_EQ(list[59], page[51]);
}

TEST(WriteParameters, WriteModeProbes)
{
    auto current = drive_page();
    current[1] = 0x32;
    const auto raw = write_mode_probe(current, wmRAW);
    EXPECT_EQ(raw.length, 0x32 + 10);
    EXPECT_EQ(raw.list[8 + 2], 3);
    EXPECT_EQ(raw.list[8 + 3], 0);
    EXPECT_EQ(raw.list[8 + 4], 1);
    EXPECT_EQ(raw.list[8 + 8], 0);
    EXPECT_EQ(raw.list[8 + 15], 150);
    EXPECT_EQ(write_mode_probe(current, wmSAO).list[8 + 2], 2);
    EXPECT_EQ(write_mode_probe(current, wmTAO).list[8 + 2], 1);
    EXPECT_EQ(write_mode_probe(current, wmTAO).list[8 + 4], 0);

    // A page length past the copied page never sends bytes that are not there.
    current[1] = 0xFF;
    EXPECT_EQ(write_mode_probe(current, wmTAO).length, 62);
}

TEST(Capabilities, PageBitsFeaturesAndPagePosition)
{
    std::uint8_t page[32] = {0x2A, 0x1C, 0x3F, 0x37, 0x80};
    EXPECT_EQ(capabilities_from_page(page),
        std::uint32_t(capReadCDR | capReadCDRW | capMethod2 | capReadDVDROM | capReadDVDR | capReadDVDRW | capReadDVDRAM
            | capWriteCDR | capWriteCDRW | capTestWrite | capWriteDVDR | capWriteDVDRW | capWriteDVDRAM
            | capUnderrunProtection));
    EXPECT_EQ(capabilities_from_feature(kFeatureDVDPlusRW, false), std::uint32_t(capReadDVDPlusRW | capReadDVDPlusR));
    EXPECT_EQ(capabilities_from_feature(kFeatureDVDPlusRW, true),
        std::uint32_t(capReadDVDPlusRW | capReadDVDPlusR | capWriteDVDPlusRW | capWriteDVDPlusR));
    EXPECT_EQ(capabilities_from_feature(kFeatureDVDPlusRDualLayer, true),
        std::uint32_t(capReadDVDPlusRDL | capWriteDVDPlusRDL));
    EXPECT_EQ(capabilities_from_feature(kFeatureDVDRWrite, false), std::uint32_t(capReadDVDR | capReadDVDRW));

}

TEST(ModePageOffset, FollowsTheBlockDescriptorLengthOfTheHeader)
{
    std::uint8_t answer[64] = {};
    answer[8] = 0x2A;
    EXPECT_EQ(mode_page_offset(answer, sizeof answer, 0x2A, 22), 8u);
    // Saved-page bit (PS, bit 7) set: still the page.
    answer[8] = 0xAA;
    EXPECT_EQ(mode_page_offset(answer, sizeof answer, 0x2A, 22), 8u);

    // One 8-byte block descriptor: the page follows it, whatever byte 8 says.
    answer[7] = 8;
    answer[16] = 0x2A;
    EXPECT_EQ(mode_page_offset(answer, sizeof answer, 0x2A, 22), 16u);
    // A page code where the header says no page starts is not the page.
    answer[16] = 0;
    answer[8] = 0x2A;
    EXPECT_EQ(mode_page_offset(answer, sizeof answer, 0x2A, 22), std::nullopt);

    // Descriptors that leave no room for the page, or a short answer.
    answer[6] = 0x01;
    EXPECT_EQ(mode_page_offset(answer, sizeof answer, 0x2A, 22), std::nullopt);
    answer[6] = 0;
    answer[7] = 0;
    EXPECT_EQ(mode_page_offset(answer, 20, 0x2A, 22), std::nullopt);
    EXPECT_EQ(mode_page_offset(answer, 4, 0x2A, 2), std::nullopt);
}

} // namespace
} // namespace valmuri
