// valmuri-cli erase: blanks a rewritable disc (or formats a DVD+RW/DVD-RAM)
// and shows the erase thread's progress until the drive reports the end.

#include "cli/drive_option.h"
#include "cli/progress_bar.h"
#include "cli/verb.h"
#include "drive/erase_plan.h"
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

    const auto release = [&device] { device.UnloadASPI(); };
    Clock& clock = default_clock();
    // A freshly loaded disc may first report a unit attention or "becoming ready".
    bool ready = device.TestUnitReady(5000);
    for (int attempt = 0; attempt < 3 && !ready; ++attempt) {
        clock.sleep_ms(1000);
        ready = device.TestUnitReady(5000);
    }
    if (!ready) {
        const std::string reason = device.LastErrorText();
        release();
        return fail("no disc in the drive, or it is not ready" + (reason.empty() ? "" : " (" + reason + ")"));
    }
    // A DVD-RAM the drive does not call erasable can still be formatted.
    const bool erasable = device.IsDiscErasable() || (erase.full && device.GetDiscType() == dtDVDRAM);
    if (!erasable) {
        const std::string type = disc_type_name(device.GetDiscType());
        if (erase.eject)
            device.StartStopUnit(true);
        release();
        return fail("the disc in the drive (" + type + ") cannot be erased");
    }
    device.SetWriteSpeed(device.MaxWriteSpeed());

    bool done = false;
    bool with_error = false;
    device.OnEraseDone = [&](TSCSIDevice*, bool failed) {
        done = true;
        with_error = failed;
    };
    const std::uint64_t start = clock.now_ms();
    if (!device.EraseDisc(erase.full ? kBlankFull : kBlankQuick)) {
        const std::string reason = device.LastErrorText();
        release();
        if (!done)
            return fail("the drive did not become ready to erase");
        return fail("the drive refused to erase the disc" + (reason.empty() ? "" : " (" + reason + ")"));
    }

    ProgressBar bar(erase.full ? "Full erase" : "Quick erase");
    while (!done) {
        dispatcher.pump_wait(500);
        bar.update(std::min(device.EraseProgress(), 100), elapsed_text(clock.now_ms() - start));
    }
    bar.update(100, elapsed_text(clock.now_ms() - start));
    bar.finish();

    if (with_error) {
        release();
        return fail("erasing failed");
    }
    if (erase.eject)
        device.StartStopUnit(true);
    release();
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
