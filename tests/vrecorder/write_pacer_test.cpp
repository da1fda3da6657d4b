// The recorder's buffer: writes wait only when it is full, and it drains at
// the write speed.

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "vrecorder/write_pacer.h"

namespace valmuri::vrecorder {
namespace {

constexpr std::uint32_t buffer = 1'000'000;

TEST(WritePacer, UnlimitedSpeedNeverWaits)
{
    VirtualClock clock;
    WritePacer pacer(clock, buffer);
    for (int i = 0; i < 100; ++i)
        pacer.accept(65536);
    pacer.drain();
    EXPECT_EQ(clock.slept_ms(), 0u);
    EXPECT_EQ(pacer.free_bytes(), buffer);
}

TEST(WritePacer, AFullBufferMakesWritesKeepToTheSpeed)
{
    VirtualClock clock;
    WritePacer pacer(clock, buffer);
    pacer.set_speed(1000); // 1,000,000 bytes a second
    pacer.accept(buffer);
    EXPECT_EQ(clock.slept_ms(), 0u) << "the buffer takes its size at once";
    EXPECT_EQ(pacer.free_bytes(), 0u);
    pacer.accept(500'000);
    EXPECT_EQ(clock.slept_ms(), 500u);
    clock.advance_ms(250);
    EXPECT_EQ(pacer.free_bytes(), 250'000u);
    pacer.drain();
    EXPECT_EQ(clock.slept_ms(), 500u + 750u);
    EXPECT_EQ(pacer.free_bytes(), buffer);
}

TEST(WritePacer, TenMegabytesAtTenMegabytesASecondTakeAboutOneSecond)
{
    VirtualClock clock;
    WritePacer pacer(clock, buffer);
    pacer.set_speed(10'000);
    for (int i = 0; i < 160; ++i)
        pacer.accept(65536);
    pacer.drain();
    EXPECT_NEAR(static_cast<double>(clock.slept_ms()), 1049.0, 5.0);
}

} // namespace
} // namespace valmuri::vrecorder
