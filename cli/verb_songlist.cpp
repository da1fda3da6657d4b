// valmuri-cli songlist: the song list of the MP3 files in a folder or on the
// disc in a drive, as numbered text lines or as the HTML page.

#include "cli/verb.h"
#include "jobs/core/song_list.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace valmuri::cli {
namespace {

struct SongListArgs {
    std::string folder;
    std::string drive;
    std::string output;
    std::string filter;
    bool filtered = false;
    bool html = false;
    jobs::SongListStyle style;
};

std::string parse(const std::vector<std::string>& args, SongListArgs& out)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--html") {
            out.html = true;
        } else if (a == "--drive" || a == "--filter" || a == "--font" || a == "--size" || a == "-o") {
            if (i + 1 >= args.size())
                return a + " needs a value";
            const std::string& value = args[++i];
            if (a == "--drive")
                out.drive = value;
            else if (a == "--filter")
                out.filtered = true, out.filter = value;
            else if (a == "--font")
                out.style.font = value;
            else if (a == "-o")
                out.output = value;
            else {
                std::size_t used = 0;
                try {
                    out.style.size = std::stoi(value, &used);
                } catch (...) {
                    used = 0;
                }
                if (used != value.size())
                    return "--size needs a whole number of pixels";
            }
        } else if (a.starts_with("-")) {
            return "unknown option " + a;
        } else if (out.folder.empty()) {
            out.folder = a;
        } else {
            return "unexpected argument '" + a + "'";
        }
    }
    if (out.folder.empty() == out.drive.empty())
        return "give either a FOLDER or --drive D";
    return {};
}

// The folder where the disc in the drive is mounted.
bool drive_folder(const std::string& drive, std::string& folder, std::string& error)
{
    std::error_code ec;
    const std::filesystem::path device = std::filesystem::canonical(drive, ec);
    if (ec) {
        error = "no drive " + drive;
        return false;
    }
    std::ifstream in("/proc/self/mounts");
    std::stringstream mounts;
    mounts << in.rdbuf();
    folder = jobs::mount_point_of(device.string(), mounts.str());
    if (folder.empty()) {
        error = "the disc in " + drive + " is not mounted (no readable disc in the drive?)";
        return false;
    }
    return true;
}

int run_songlist(const std::vector<std::string>& args)
{
    SongListArgs options;
    std::string error = parse(args, options);
    if (!error.empty())
        return fail(error);
    std::string folder = options.folder;
    if (!options.drive.empty() && !drive_folder(options.drive, folder, error))
        return fail(error);

    std::vector<std::string> names;
    if (!jobs::read_disc_song_names(folder, names))
        return fail("cannot read the folder " + folder);
    if (options.filtered)
        for (auto& name : names)
            name = jobs::filter_song_name(name, options.filter);
    const std::vector<std::string> lines
        = options.html ? jobs::song_list_html(names, options.style) : jobs::song_list_text(names);

    if (options.output.empty()) {
        for (const auto& line : lines)
            std::cout << line << "\r\n";
        return 0;
    }
    if (!jobs::save_lines(options.output, lines, error))
        return fail(error);
    return 0;
}

const VerbRegistration registration({
    "songlist",
    "make the song list of the MP3 files in a folder or on a disc",
    "Usage: valmuri-cli songlist (FOLDER | --drive D) [--html] [--filter \"A;B\"]\n"
    "                            [--font NAME] [--size N] [-o FILE]\n\n"
    "Lists the MP3 files under FOLDER, or on the disc mounted from drive D\n"
    "(a device path such as /dev/sr0), subfolders included, as numbered\n"
    "lines \"001. name\" or as an HTML page. Lines end in CR LF.\n\n"
    "Options:\n"
    "  --html          the formatted page instead of plain text\n"
    "  --filter \"A;B\"  blank out each ;-separated text in every name\n"
    "  --font NAME     the page's font (default Arial)\n"
    "  --size N        the page's font size in pixels (default 12)\n"
    "  -o FILE         save to FILE instead of printing\n",
    run_songlist,
});

} // namespace
} // namespace valmuri::cli
