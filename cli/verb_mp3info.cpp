// valmuri-cli mp3info: the frame reader's results for MP3 files, one
// tab-separated line per file.

#include "cli/verb.h"
#include "jobs/core/file_info.h"

#include <iostream>

namespace valmuri::cli {
namespace {

int run_mp3info(const std::vector<std::string>& args)
{
    if (args.empty())
        return fail("no files (valmuri-cli mp3info FILE...)");
    for (const auto& path : args) {
        const jobs::FrameInfo info = jobs::TFileInfo(path).read();
        std::cout << path << '\t' << info.duration << '\t' << jobs::duration_mm_ss(info.duration) << '\t'
                  << int(info.version) << '\t' << int(info.layer) << '\t' << info.sample_rate << '\t'
                  << info.bit_rate << '\t' << info.frame_length << '\t' << info.status << '\n';
    }
    return 0;
}

const VerbRegistration registration({
    "mp3info",
    "show the duration and first frame header of MP3 files",
    "Usage: valmuri-cli mp3info FILE...\n\n"
    "Prints one line per file, fields separated by tabs: path, duration in\n"
    "seconds, mm:ss, MPEG version (1, 2, 3 = 2.5), layer, sample rate in Hz,\n"
    "bit rate in kbit/s, frame length in bytes, status (-1 read, 0 no such\n"
    "file, 1 cannot be opened, 2 no valid frame).\n",
    run_mp3info,
});

} // namespace
} // namespace valmuri::cli
