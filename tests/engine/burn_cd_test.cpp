#include "engine/burner.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace valmuri {
namespace {

// Without a drive every query fails at once; the virtual clock makes the
// ready waits instant.
class BurnCdTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        burner_.set_clock(clock_);
        burner_.OnWriteDone = [this](TVordaCDBurner*, const std::string& error) {
            done_thread_ = std::this_thread::get_id();
            errors_.push_back(error);
        };
    }
    test::TempFolder folder_;
    VirtualClock clock_;
    TVordaCDBurner burner_;
    std::vector<std::string> errors_;
    std::thread::id done_thread_;
};

TEST_F(BurnCdTest, UnreadableFirstSourceIsReportedBeforeBurnCdReturns)
{
    const std::string first = folder_.file("first.mp3", 5000);
    ASSERT_EQ(burner_.InsertFile("\\", first, false), 1);
    ASSERT_EQ(burner_.InsertFile("\\", folder_.file("second.mp3", 100), false), 1);
    std::filesystem::remove(first);

    EXPECT_FALSE(burner_.BurnCD());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "CAN'T OPEN FILE \"" + first + "\" OR FILE IS IN USES BY OTHER SOFTWARE");
    EXPECT_EQ(done_thread_, std::this_thread::get_id());
    EXPECT_EQ(burner_.FailedFile(), first);
    EXPECT_EQ(burner_.LastWriteResult(), errors_[0]);
    EXPECT_FALSE(burner_.BurnInProgress());
    EXPECT_EQ(burner_.CacheFillPercent(), 0);
}

TEST_F(BurnCdTest, OutsideABurnTheProgressValuesAreZero)
{
    EXPECT_EQ(burner_.CacheFillPercent(), 0);
    EXPECT_EQ(burner_.BytesWritten(), 0);
    EXPECT_FALSE(burner_.BurnInProgress());
    burner_.Abort();
}

} // namespace
} // namespace valmuri
