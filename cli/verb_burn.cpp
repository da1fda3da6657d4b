// valmuri-cli burn: writes files to a disc as an ISO 9660 + Joliet data
// session, showing the writer's progress until the drive has closed it.

#include "cli/drive_option.h"
#include "cli/progress_bar.h"
#include "cli/project_source.h"
#include "cli/verb.h"
#include "drive/disc_information.h"
#include "engine/burn_log_header.h"
#include "engine/burner.h"
#include "engine/device_disc_queries.h"
#include "engine/writer_plan.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/number_format.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

namespace valmuri::cli {
namespace {

struct BurnArgs {
    std::string speed;
    std::string volume = "Valmuri MP3";
    bool finalize = false;
    bool test_write = false;
    bool eject = false;
    bool append = false;
    bool volume_given = false;
    std::vector<std::string> files;
    DiscFiles disc_files;
};

std::string parse(const std::vector<std::string>& args, BurnArgs& out)
{
    bool only_files = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (only_files || a.empty() || a[0] != '-') {
            out.files.push_back(a);
        } else if (a == "--") {
            only_files = true;
        } else if (a == "--speed" || a == "--volume") {
            if (i + 1 >= args.size())
                return a + " needs a value";
            out.volume_given = out.volume_given || a == "--volume";
            (a == "--speed" ? out.speed : out.volume) = args[++i];
        } else if (a.starts_with("--speed=")) {
            out.speed = a.substr(8);
        } else if (a.starts_with("--volume=")) {
            out.volume = a.substr(9);
            out.volume_given = true;
        } else if (a == "--finalize") {
            out.finalize = true;
        } else if (a == "--test-write") {
            out.test_write = true;
        } else if (a == "--eject") {
            out.eject = true;
        } else if (a == "--append") {
            out.append = true;
        } else {
            return "unknown option " + a;
        }
    }
    if (out.files.empty())
        return "no files to burn";
    return disc_files(out.files, out.disc_files, out.volume, out.volume_given);
}

// "max" (or nothing) is the drive's fastest; "8x" a multiple of 1X for the
// disc in the drive; a plain number KB/s. -1 when the text is none of these.
int parse_speed(const std::string& text, std::uint8_t disc_type)
{
    if (text.empty() || text == "max")
        return 0;
    try {
        std::size_t used = 0;
        const double value = std::stod(text, &used);
        const std::string rest = text.substr(used);
        if (value < 0)
            return -1;
        if (rest.empty())
            return value > 65535 ? -1 : static_cast<int>(value);
        if (rest != "x" && rest != "X")
            return -1;
        const double kbps = value * (is_cd(disc_type) ? 176.4 : 1385.0);
        return kbps > 65535 ? -1 : static_cast<int>(kbps + 0.5);
    } catch (...) {
        return -1;
    }
}

std::atomic<bool> interrupted{false};

extern "C" void on_interrupt(int)
{
    interrupted = true;
}

std::string progress_detail(const TVordaCDBurner& burner, double kbps)
{
    const NumberFormat format = current_number_format();
    std::string detail = format_float("#,##0.0", static_cast<double>(burner.BytesWritten()) / 1048576.0, format) + " MB";
    const std::uint32_t size = burner.DeviceBufferSize();
    if (size > 0) {
        const std::uint32_t free = std::min(burner.DeviceFreeBufferSize(), size);
        detail += "  buffer " + std::to_string(static_cast<int>(100.0 * (size - free) / size + 0.5)) + "%";
    }
    detail += "  cache " + std::to_string(burner.CacheFillPercent()) + "%";
    if (kbps > 0)
        detail += "  " + format_float("#,##0", kbps, format) + " KB/s";
    return detail;
}

int run_burn(const std::vector<std::string>& arguments)
{
    std::vector<std::string> args = arguments;
    DriveOptions options;
    std::string error;
    if (!take_drive_options(args, options, error))
        return fail(error);
    BurnArgs burn;
    if (error = parse(args, burn); !error.empty())
        return fail(error);

    TVordaCDBurner burner;
    QueueDispatcher dispatcher; // this thread is the main thread of the burn
    burner.set_dispatcher(dispatcher);
    if (!select_drive(burner, options, error))
        return fail(error);
    const auto release = [&burner] { burner.UnloadASPI(); };

    if (!burner.TestUnitReady(5000) && !burner.WaitForReady(10000, 500)) {
        const std::string reason = burner.LastErrorText();
        release();
        return fail("no disc in the drive, or it is not ready" + (reason.empty() ? "" : " (" + reason + ")"));
    }
    const std::uint8_t disc_type = burner.GetDiscType();
    if (disc_type == dtUnknown || disc_type == dtCDROM || disc_type == dtDVDROM || disc_type == dtDDCDROM) {
        release();
        return fail("the disc in the drive (" + disc_type_name(disc_type) + ") cannot be written");
    }
    // Media written in place take a new session whatever their status says.
    if (burner.GetDiscStatus() == kDiscComplete && !writes_in_place(disc_type)) {
        release();
        return fail("the disc in the drive is closed: no further session can be written");
    }
    const int speed = parse_speed(burn.speed, disc_type);
    if (speed < 0) {
        release();
        return fail("unknown speed '" + burn.speed + "' (use max, a multiple such as 8x, or KB/s)");
    }

    burner.SetWriteSpeed(static_cast<std::uint16_t>(speed));
    burner.SetFinalizeDisc(burn.finalize);
    burner.SetTestWrite(burn.test_write);
    burner.SetPerformOPC(true);
    burner.SetIdVolume(burn.volume);
    burner.SetDateCreation(local_now());
    burner.SetDateModification(burner.DateCreation());
    // The previous session's files stay visible through the new one.
    burner.SetImportSession(burn.append ? 255 : 0);

    burner.ClearFiles();
    for (std::size_t i = 0; i < burn.disc_files.sources.size(); ++i) {
        if (!insert_disc_file(burner, burn.disc_files, i)) {
            release();
            return fail("cannot put " + burn.disc_files.sources[i] +
                        " on the disc (missing, not a regular file, or a duplicate name)");
        }
    }
    // The layout asks the disc for its type (and, with --append, its last
    // session), as the burn will.
    DeviceDiscQueries queries(burner);
    burner.SetDiscQueries(&queries);
    burner.BuildLayout(false);
    const std::int64_t needed = burner.ImageSize();
    const std::uint32_t room = burner.GetDiscFreeBlocks();
    if (needed > room) {
        release();
        return fail("the files need " + std::to_string(needed) + " sectors, the disc has room for "
                    + std::to_string(room));
    }

    for (const std::string& line : burn_log_header(burn_log_facts(burner, kProgramName), burner.Version()))
        std::cout << line << "\n";
    std::cout.flush();

    bool done = false;
    std::string result;
    burner.OnWriteDone = [&](TVordaCDBurner*, const std::string& text) {
        done = true;
        result = text;
    };
    interrupted = false;
    auto previous = std::signal(SIGINT, on_interrupt);
    if (!burner.BurnCD()) {
        std::signal(SIGINT, previous);
        release();
        return fail(result.empty() ? burner.LastWriteResult() : result);
    }

    ProgressBar bar(burn.test_write ? "Test write" : "Burning");
    Clock& clock = default_clock();
    const std::uint64_t start = clock.now_ms();
    while (!done) {
        dispatcher.pump_wait(500);
        if (interrupted.exchange(false))
            burner.Abort();
        const double seconds = static_cast<double>(clock.now_ms() - start) / 1000.0;
        const double kbps = seconds > 0 ? static_cast<double>(burner.BytesWritten()) / 1024.0 / seconds : 0;
        const std::int64_t total = burner.ImageSize();
        const double percent = total > 0 ? 100.0 * static_cast<double>(burner.BytesWritten() / 2048) / total : 0;
        bar.update(std::min(percent, 100.0), progress_detail(burner, kbps));
    }
    bar.finish();
    std::signal(SIGINT, previous);
    if (options.debug)
        std::cerr << "writer waited for the read-ahead cache " << burner.WriterStalls() << " times\n";

    if (!result.empty()) {
        release();
        return fail(result);
    }
    if (burn.eject)
        burner.StartStopUnit(true);
    release();
    std::cout << (burn.test_write ? "Test write done: " : "Disc written: ") << burner.ImageSize() << " sectors from sector "
              << burner.Layout().StartSector << ".\n";
    return 0;
}

const VerbRegistration registration({
    "burn",
    "burn files to a CD or DVD as a data session",
    "Usage: valmuri-cli burn [--drive D] [--speed X] [--volume LABEL] [--finalize]\n"
    "                        [--test-write] [--eject] [--append] [--library PATH] [--debug] FILE...|PROJECT.vlm\n\n"
    "Writes every FILE into the root folder of a new ISO 9660 + Joliet session\n"
    "on the disc in the drive, in the order given. Ctrl+C aborts the burn.\n"
    "A project file stands for its tracks: each source file under its disc\n"
    "name + \".mp3\", in list order, with the CD title as the volume label.\n\n"
    "Options:\n"
    "  --drive D       the drive: its number in `valmuri-cli drives` or its\n"
    "                  device path (default: the first recorder)\n"
    "  --speed X       max (default), a multiple of 1X such as 8x, or KB/s\n"
    "  --volume LABEL  volume label (default \"Valmuri MP3\")\n"
    "  --finalize      close the disc: no further session can be added\n"
    "  --test-write    simulate: the laser stays off, nothing is written\n"
    "  --eject         open the tray when done\n"
    "  --append        keep the files of the disc's last session in the new one\n"
    "  --library PATH  ASPI library to try before the program folder's\n"
    "  --debug         print the engine's debug lines on stderr\n",
    run_burn,
});

} // namespace
} // namespace valmuri::cli
