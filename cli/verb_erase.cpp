// valmuri-cli erase: blanks a rewritable disc (or formats a DVD+RW/DVD-RAM)
// and shows the erase thread's progress until the drive reports the end.

#include "cli/drive_option.h"
#include "cli/progress_bar.h"
#include "cli/verb.h"
#include "jobs/core/erase_job.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"

#include <cstdio>
#include <iostream>

namespace valmuri::cli {
namespace {

struct EraseArgs {
    bool full = false;
    bool eject = false;
};

std::string parse(const std::vector<std::string>& args, EraseArgs& out)
{
    for (const auto& a : args) {
        if (a == "--full")
            out.full = true;
        else if (a == "--quick")
            out.full = false;
        else if (a == "--eject")
            out.eject = true;
        else
            return a.starts_with("-") ? "unknown option " + a : "unexpected argument '" + a + "'";
    }
    return {};
}

std::string elapsed_text(std::uint64_t ms)
{
    const std::uint64_t seconds = ms / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 3600),
        static_cast<unsigned long long>(seconds / 60 % 60), static_cast<unsigned long long>(seconds % 60));
    return text;
}

// The erase job's questions on the terminal: a freshly loaded disc may first
// report a unit attention or "becoming ready", so a missing disc is looked
// for again three times, a second apart, before the verb gives up.
class EraseTerminal final : public jobs::EraseHandler {
public:
    explicit EraseTerminal(Clock& clock)
        : clock_(clock)
    {
    }
    bool ask_for_disc(const std::string& why) override
    {
        reason = why;
        if (attempts_++ >= 3)
            return false;
        clock_.sleep_ms(1000);
        return true;
    }
    void refused(std::uint8_t disc_type) override { refused_type = disc_type; }
    void show_final_state() override {}
    void finished(bool, const std::string& why) override { reason = why; }

    std::string reason;
    std::uint8_t refused_type = 0;

private:
    Clock& clock_;
    int attempts_ = 0;
};

int run_erase(const std::vector<std::string>& arguments)
{
    std::vector<std::string> args = arguments;
    DriveOptions options;
    std::string error;
    if (!take_drive_options(args, options, error))
        return fail(error);
    EraseArgs erase;
    error = parse(args, erase);
    if (!error.empty())
        return fail(error);

    TSCSIDevice device;
    QueueDispatcher dispatcher; // this thread is the main thread of the erase
    device.set_dispatcher(dispatcher);
    if (!select_drive(device, options, error))
        return fail(error);
    device.SetCloseHandleAfterCommand(true);

    Clock& clock = default_clock();
    EraseTerminal terminal(clock);
    jobs::EraseJob job(device, terminal);
    jobs::EraseRequest request;
    request.quick = !erase.full;
    request.eject_when_done = erase.eject;
    request.open_tray = erase.eject;
    const std::uint64_t start = clock.now_ms();
    const jobs::EraseStart started = job.start(request);
    const auto release = [&device] { device.UnloadASPI(); };
    switch (started) {
    case jobs::EraseStart::Started:
        break;
    case jobs::EraseStart::Cancelled:
        release();
        return fail("no disc in the drive, or it is not ready"
            + (terminal.reason.empty() ? "" : " (" + terminal.reason + ")"));
    case jobs::EraseStart::Refused:
        release();
        return fail("the disc in the drive (" + disc_type_name(terminal.refused_type) + ") cannot be erased");
    case jobs::EraseStart::NotReady:
        release();
        return fail("the drive did not become ready to erase");
    case jobs::EraseStart::Failed:
        release();
        return fail("the drive refused to erase the disc"
            + (terminal.reason.empty() ? "" : " (" + terminal.reason + ")"));
    }

    ProgressBar bar(erase.full ? "Full erase" : "Quick erase");
    while (!job.done()) {
        dispatcher.pump_wait(500);
        bar.update(std::min(device.EraseProgress(), 100), elapsed_text(clock.now_ms() - start));
    }
    bar.update(100, elapsed_text(clock.now_ms() - start));
    bar.finish();
    release();
    if (job.with_error())
        return fail("erasing failed");
    std::cout << "Disc erased.\n";
    return 0;
}

const VerbRegistration registration({
    "erase",
    "erase a rewritable disc (CD-RW, DVD-RW, DVD+RW, DVD-RAM)",
    "Usage: valmuri-cli erase [--drive D] [--full] [--eject] [--library PATH] [--debug]\n\n"
    "Erases the rewritable disc in the drive. A quick erase blanks only the\n"
    "table of contents; --full blanks the whole disc and takes much longer.\n"
    "A DVD+RW is formatted either way.\n\n"
    "Options:\n"
    "  --drive D       the drive: its number in `valmuri-cli drives` or its\n"
    "                  device path (default: the first recorder)\n"
    "  --full          erase the whole disc\n"
    "  --eject         open the tray when done\n"
    "  --library PATH  ASPI library to try before the program folder's\n"
    "  --debug         print the engine's debug lines on stderr\n",
    run_erase,
});

} // namespace
} // namespace valmuri::cli
