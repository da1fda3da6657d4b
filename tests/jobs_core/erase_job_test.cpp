// The erase job against the virtual recorder, with a handler that records
// what the window would show.

#include "jobs/core/erase_job.h"
#include "mp3_fixture.h"
#include "platform/dispatcher.h"
#include "tests/engine/recorder_library.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace valmuri;
using namespace valmuri::jobs;

struct RecordingHandler final : EraseHandler {
    bool ask_for_disc(const std::string&) override
    {
        events += "ask;";
        return answers-- > 0;
    }
    void refused(std::uint8_t type) override { events += "refused " + std::to_string(type) + ";"; }
    void show_final_state() override { events += "final state;"; }
    void finished(bool with_error, const std::string& reason) override
    {
        events += with_error ? "failed " + reason + ";" : "erased;";
    }
    int answers = 0;
    std::string events;
};

class EraseJobTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        device_.UnloadASPI();
        test::release_recorders(folder_.path());
    }

    void recorder(const std::string& ini)
    {
        const auto path = folder_.write("vrecorder.ini", ini);
        ::setenv("VALMURI_VRECORDER", path.c_str(), 1);
        device_.set_dispatcher(dispatcher_);
        ASSERT_TRUE(device_.InitializeASPI(false, test::kRecorderLibrary));
        ASSERT_FALSE(device_.Devices().empty());
        device_.SelectDevice(device_.Devices()[0]);
        device_.SetCloseHandleAfterCommand(true);
    }

    EraseStart erase(EraseRequest request)
    {
        EraseJob job(device_, handler_);
        const EraseStart started = job.start(request);
        for (int i = 0; started == EraseStart::Started && !job.done() && i < 600; ++i)
            dispatcher_.pump_wait(100);
        return started;
    }

    std::string tray() { return test::read_text(folder_.path() / "tray.log"); }
    std::string ini_tail() { return "\nimage=" + (folder_.path() / "disc.iso").string() + "\ntray_log=" + (folder_.path() / "tray.log").string() + "\n"; }

    test::ScratchFolder folder_;
    QueueDispatcher dispatcher_;
    TSCSIDevice device_;
    RecordingHandler handler_;
};

TEST_F(EraseJobTest, CdRwErasedThenEjectedWithTheFinalState)
{
    recorder("[rw]\nmedium=cd-rw" + ini_tail());
    EraseRequest request;
    request.eject_when_done = true;
    EXPECT_EQ(erase(request), EraseStart::Started);
    EXPECT_EQ(handler_.events, "final state;erased;");
    EXPECT_EQ(tray(), "open\n");
}

TEST_F(EraseJobTest, CdRIsRefusedAndTheTrayOpensOnlyWithOpenCd)
{
    recorder("[r]\nmedium=cd-r" + ini_tail());
    EXPECT_EQ(erase({}), EraseStart::Refused);
    EXPECT_EQ(handler_.events, "refused 2;");
    EXPECT_EQ(tray(), "");
    EraseRequest open;
    open.open_tray = true;
    EXPECT_EQ(erase(open), EraseStart::Refused);
    EXPECT_EQ(tray(), "open\n");
}

TEST_F(EraseJobTest, MissingDiscIsAskedForUntilCancelled)
{
    recorder("[empty]\nmedium=none" + ini_tail());
    handler_.answers = 2;
    EXPECT_EQ(erase({}), EraseStart::Cancelled);
    EXPECT_EQ(handler_.events, "ask;ask;ask;");
}

TEST_F(EraseJobTest, RejectedBlankIsAFailureWithoutEjectOrFinalState)
{
    recorder("[rw]\nmedium=cd-rw\nreject_blank=1" + ini_tail());
    EraseRequest request;
    request.eject_when_done = true;
    const EraseStart started = erase(request);
    EXPECT_TRUE(started == EraseStart::Failed || started == EraseStart::Started);
    EXPECT_EQ(handler_.events.rfind("failed ", 0), 0u) << handler_.events;
    EXPECT_EQ(handler_.events.find("final state"), std::string::npos);
    EXPECT_EQ(tray(), "");
}

TEST_F(EraseJobTest, DvdRamIsFormattedInFullEvenWhenNotReportedErasable)
{
    recorder("[ram]\nmedium=dvd-ram" + ini_tail());
    const bool erasable = device_.IsDiscErasable();
    EraseRequest quick;
    EXPECT_EQ(erase(quick), erasable ? EraseStart::Started : EraseStart::Refused);
    handler_.events.clear();
    EraseRequest full;
    full.quick = false;
    EXPECT_EQ(erase(full), EraseStart::Started);
    EXPECT_EQ(handler_.events, "final state;erased;");
}

} // namespace
