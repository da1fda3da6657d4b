// valmuri-cli image: lays out files as an ISO 9660 + Joliet image and writes
// it into a file.

#include "cli/progress_bar.h"
#include "cli/project_source.h"
#include "cli/verb.h"
#include "engine/burner.h"
#include "engine/disc_name.h"
#include "engine/image_to_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace valmuri::cli {
namespace {

constexpr std::int32_t ImageCacheSize = 32 << 20;

struct ImageArgs {
    std::string volume = "Valmuri MP3";
    bool joliet = true;
    bool strict = false;
    bool volume_given = false;
    std::string output;
    std::vector<std::string> files;
    DiscFiles disc_files;
};

// Parses the arguments; returns an error text, empty when they are usable.
std::string parse(const std::vector<std::string>& args, ImageArgs& out)
{
    bool only_files = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (only_files || a.empty() || a[0] != '-' || a == "-") {
            out.files.push_back(a);
        } else if (a == "--") {
            only_files = true;
        } else if (a == "--volume" || a == "-o") {
            if (i + 1 >= args.size())
                return a + " needs a value";
            out.volume_given = out.volume_given || a == "--volume";
            (a == "-o" ? out.output : out.volume) = args[++i];
        } else if (a.starts_with("--volume=")) {
            out.volume = a.substr(9);
            out.volume_given = true;
        } else if (a == "--no-joliet") {
            out.joliet = false;
        } else if (a == "--strict") {
            out.strict = true;
        } else {
            return "unknown option " + a;
        }
    }
    if (out.output.empty())
        return "no output file (-o OUT.iso)";
    if (out.files.empty())
        return "no files to put into the image";
    return disc_files(out.files, out.disc_files, out.volume, out.volume_given);
}

// Why the tree did not take a source file, for the message on stderr.
std::string refusal_reason(const DiscTree& tree, const std::string& path, const std::vector<std::string>& messages)
{
    const auto rec = find_source_file(path);
    if (!rec) {
        struct stat st{};
        return ::stat(path.c_str(), &st) == 0 ? "not a regular file" : "no such file";
    }
    if (rec->Size > 0xFFFFFFFFLL)
        return "too large (4 GiB or more)";
    std::string name = rec->Name;
    if (name.find('.') == std::string::npos)
        name += '.';
    if (!fits_joliet_record(name, true))
        return "name too long (at most 108 characters)";
    if (tree.FindFileEntry(tree.Root(), name) != nullptr)
        return "duplicate name";
    for (const auto& m : messages)
        if (m.find("MAXIMUM") != std::string::npos)
            return "too many files";
    return "refused";
}

// Writes into a temporary file beside the target and renames it over the
// target at the end, unless the target is a device or a pipe.
class OutputFile {
public:
    explicit OutputFile(std::string path) : path_(std::move(path))
    {
        struct stat st{};
        in_place_ = ::stat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
        temp_ = in_place_ ? path_ : path_ + ".part";
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    ~OutputFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!committed_ && !in_place_)
            ::unlink(temp_.c_str());
    }
    int fd() const { return fd_; }
    std::string commit()
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            return std::strerror(errno);
        if (!in_place_ && std::rename(temp_.c_str(), path_.c_str()) != 0)
            return std::strerror(errno);
        committed_ = true;
        return {};
    }

private:
    std::string path_;
    std::string temp_;
    bool in_place_ = false;
    bool committed_ = false;
    int fd_ = -1;
};

int run_image(const std::vector<std::string>& args)
{
    ImageArgs options;
    if (const std::string error = parse(args, options); !error.empty())
        return fail(error);

    TVordaCDBurner burner;
    std::vector<std::string> messages;
    burner.OnDebugMessage = [&messages](TSCSIDevice*, const std::string& message, int) { messages.push_back(message); };
    burner.SetIdVolume(options.volume);
    burner.SetJolietFileSystem(options.joliet);
    burner.SetDateCreation(local_now());
    burner.SetDateModification(burner.DateCreation());
    // No drive waits on this image: a larger read-ahead lets the reader and
    // the file writer hand over less often.
    burner.SetCacheSize(ImageCacheSize);

    int refused = 0;
    for (std::size_t i = 0; i < options.disc_files.sources.size(); ++i) {
        messages.clear();
        if (insert_disc_file(burner, options.disc_files, i))
            continue;
        const std::string& file = options.disc_files.sources[i];
        std::cerr << "valmuri-cli: skipped " << file << ": " << refusal_reason(burner.Tree(), file, messages) << "\n";
        ++refused;
    }

    burner.BuildLayout(true);
    burner.BuildImageHeader();

    OutputFile output(options.output);
    if (output.fd() < 0)
        return fail("cannot write " + options.output + ": " + std::strerror(errno));

    std::unique_ptr<ProgressBar> bar;
    if (isatty(STDERR_FILENO) == 1)
        bar = std::make_unique<ProgressBar>("image");
    // The same read-ahead cache a burn uses: a source that cannot be read or
    // no longer has its laid-out size fails the image instead of padding it.
    // The bar is redrawn once per tenth of a percent, not once per block.
    auto show = [&bar, shown = -1](std::int64_t done, std::int64_t total) mutable {
        const int permille = total > 0 ? static_cast<int>(done * 1000 / total) : 1000;
        if (bar && permille != shown) {
            shown = permille;
            bar->update(permille / 10.0);
        }
    };
    const ImageToFileResult result = write_image_through_cache(burner, output.fd(), show);
    if (bar)
        bar->finish();
    if (!result.error.empty())
        return fail(result.error);
    if (const std::string error = output.commit(); !error.empty())
        return fail("cannot write " + options.output + ": " + error);

    std::cout << options.output << ": " << burner.ImageSize() << " sectors (" << burner.ImageSize() * SectorSize
              << " bytes)\n";
    return refused > 0 && options.strict ? 1 : 0;
}

const VerbRegistration registration{{
    "image",
    "write files into an ISO 9660 + Joliet image file",
    "Usage: valmuri-cli image [--volume LABEL] [--no-joliet] [--strict] -o OUT.iso FILE...|PROJECT.vlm\n"
    "\n"
    "Puts every FILE into the root folder of the image under its own name, in\n"
    "the order given, and writes the image to OUT.iso. Files the image cannot\n"
    "take (missing, duplicate name, name too long, 4 GiB or more) are reported\n"
    "and left out. A project file stands for its tracks: each source file under\n"
    "its disc name + \".mp3\", in list order, with the CD title as the volume label.\n"
    "\n"
    "  --volume LABEL  volume label (default \"Valmuri MP3\")\n"
    "  --no-joliet     no Joliet long names, ISO 9660 names only\n"
    "  --strict        exit with status 1 when any file was left out\n"
    "  -o OUT.iso      the image file to write\n",
    run_image,
}};

} // namespace
} // namespace valmuri::cli
