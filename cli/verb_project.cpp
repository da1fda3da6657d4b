// valmuri-cli add, info and export: the compilation of a project file,
// without a window.

#include "app/core/adding.h"
#include "app/core/capacity.h"
#include "app/core/project_file.h"
#include "app/core/project_information.h"
#include "cli/verb.h"

#include <filesystem>
#include <iostream>

namespace valmuri::cli {
namespace {

// Answers the replace question from --replace.
class FixedAnswer final : public AddingHandler {
public:
    explicit FixedAnswer(bool replace) : replace_(replace) {}
    ReplaceAnswer ask_replace(const ReplaceQuestion&) override
    {
        return replace_ ? ReplaceAnswer::YesToAll : ReplaceAnswer::No;
    }

private:
    bool replace_;
};

// Opens the project into the compilation; an error text on failure.
std::string open(Compilation& compilation, const std::string& path)
{
    const ProjectRead read = open_project(compilation, path);
    if (read.error == ProjectReadError::CannotRead)
        return "cannot read " + path + ": " + read.detail;
    if (!read.ok())
        return path + " is not a Valmuri MP3 project or is damaged; it was left as it is";
    return {};
}

int run_add(const std::vector<std::string>& args)
{
    std::string project;
    std::string title;
    bool title_given = false;
    bool replace = false;
    bool only_files = false;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (only_files || a.empty() || a[0] != '-') {
            (project.empty() ? project : files.emplace_back()) = a;
        } else if (a == "--") {
            only_files = true;
        } else if (a == "--title") {
            if (i + 1 >= args.size())
                return fail("--title needs a value");
            title = args[++i];
            title_given = true;
        } else if (a == "--replace") {
            replace = true;
        } else {
            return fail("unknown option " + a);
        }
    }
    if (project.empty())
        return fail("no project file (valmuri-cli add PROJECT.vlm FILE...)");

    Compilation compilation;
    std::error_code ec;
    if (std::filesystem::exists(project, ec)) {
        if (const std::string error = open(compilation, project); !error.empty())
            return fail(error);
    }
    if (title_given) {
        ProjectOptions options = compilation.options();
        options.cd_title = cut_cd_title(title);
        compilation.set_options(options);
    }
    FixedAnswer answer(replace);
    const AddingReport report = add_files(compilation, files, answer, NumberFormat::system());
    for (const auto& path : report.refused_semicolon)
        std::cerr << "valmuri-cli: refused " << path << ": its name holds \";\"\n";
    for (const auto& path : report.kept_out)
        std::cerr << "valmuri-cli: kept out " << path << ": a track of that name is in the list (--replace replaces it)\n";
    if (report.cut_count > 0)
        std::cerr << "valmuri-cli: " << report.cut_count << " name(s) cut to 64 characters\n";
    if (const std::string error = save_project(compilation, project); !error.empty())
        return fail("cannot save " + project + ": " + error);
    std::cout << project << ": " << compilation.row_count() << " tracks (" << report.added << " added, "
              << report.replaced << " replaced)\n";
    return 0;
}

int run_info(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return fail("usage: valmuri-cli info PROJECT.vlm");
    Compilation compilation;
    if (const std::string error = open(compilation, args[0]); !error.empty())
        return fail(error);
    TVordaCDBurner burner;
    const NumberFormat format = NumberFormat::system();
    const CapacityFigures f = recompute_capacity(burner, compilation, TranslationTable{}, format);
    std::cout << "tracks:          " << compilation.row_count() << "\n"
              << "used:            " << format_float("#,##0.00", f.used_mb, format) << " MB\n"
              << "free on 650 MB:  " << format_float("#,##0.00", f.free_650, format) << " MB\n"
              << "free on 700 MB:  " << format_float("#,##0.00", f.free_700, format) << " MB\n"
              << "650 MB disc:     " << f.percent_650 << " %\n"
              << "700 MB disc:     " << f.percent_700 << " %\n";
    return 0;
}

int run_export(const std::vector<std::string>& args)
{
    std::string project;
    std::string output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size())
            output = args[++i];
        else if (project.empty() && !args[i].starts_with("-"))
            project = args[i];
        else
            return fail("usage: valmuri-cli export PROJECT.vlm -o LIST.txt");
    }
    if (project.empty() || output.empty())
        return fail("usage: valmuri-cli export PROJECT.vlm -o LIST.txt");
    Compilation compilation;
    if (const std::string error = open(compilation, project); !error.empty())
        return fail(error);
    if (const std::string error = write_export_list(output, compilation); !error.empty())
        return fail("cannot write " + output + ": " + error);
    return 0;
}

const VerbRegistration add_registration{{
    "add",
    "add MP3 files to a project file",
    "Usage: valmuri-cli add PROJECT.vlm [--title T] [--replace] FILE...\n"
    "\n"
    "Opens PROJECT.vlm (or starts a new project with the default options),\n"
    "adds every FILE whose name ends in \".mp3\" (any letter case) in order, and\n"
    "saves the project. Disc names are cut to 64 characters. A file whose disc\n"
    "name is already in the list is kept out, or replaces that track with\n"
    "--replace.\n"
    "\n"
    "  --title T   the CD title (at most 16 characters)\n"
    "  --replace   replace tracks of the same name instead of keeping the file out\n",
    run_add,
}};

const VerbRegistration info_registration{{
    "info",
    "show the room a project leaves on 650 and 700 MB discs",
    "Usage: valmuri-cli info PROJECT.vlm\n"
    "\n"
    "Lays the project's tracks out as the disc image and prints the tracks, the\n"
    "megabytes used, the room left on 650 and 700 MB discs and how full each is.\n",
    run_info,
}};

const VerbRegistration export_registration{{
    "export",
    "write a project's track list as text",
    "Usage: valmuri-cli export PROJECT.vlm -o LIST.txt\n"
    "\n"
    "Writes one line \"NNN. disc name\" per track, with CR LF line ends.\n",
    run_export,
}};

} // namespace
} // namespace valmuri::cli
