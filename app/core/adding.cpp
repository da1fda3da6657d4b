#include "app/core/adding.h"

#include "platform/text.h"

#include <filesystem>

namespace valmuri {
namespace {

constexpr int kTextSemicolonRefused = 221;

} // namespace

bool is_mp3_name(std::string_view path)
{
    return path.size() >= 4 && equals_ignore_ascii_case(path.substr(path.size() - 4), ".mp3");
}

std::string file_pane_candidate(std::string_view folder, std::string_view item)
{
    std::string path(folder);
    if (path.empty() || path.back() != '/')
        path += '/';
    path.append(item).append(".mp3");
    return path;
}

AddingReport add_files(Compilation& compilation, const std::vector<std::string>& candidates,
                       AddingHandler& handler, const NumberFormat& format)
{
    AddingReport report;
    bool yes_to_all = false;
    bool cancelled = false;
    const std::size_t n = candidates.size();
    for (std::size_t k = 0; k < n; ++k) {
        handler.progress(static_cast<int>(k * 100 / n));
        const std::string& path = candidates[k];
        std::error_code ec;
        // A folder whose name ends in ".mp3" is no track either.
        if (!is_mp3_name(path) || std::filesystem::is_directory(path, ec))
            continue;
        // A ";" would split the row into more fields than it has.
        if (path.find(';') != std::string::npos) {
            report.refused_semicolon.push_back(path);
            continue;
        }
        const DiscNameCut name = disc_name_for(path);
        if (name.cut)
            ++report.cut_count;
        const int old = compilation.find_disc_name(name.name);
        if (old < 0) {
            compilation.append_track(name.name, file_size_text(path, format), path);
            ++report.added;
            continue;
        }
        bool replace = yes_to_all;
        if (!replace && !cancelled) {
            const std::string old_path = compilation.source_path(old);
            switch (handler.ask_replace({source_file_name(old_path), source_folder(old_path), source_file_name(path),
                                         source_folder(path)})) {
            case ReplaceAnswer::YesToAll:
                yes_to_all = true;
                replace = true;
                break;
            case ReplaceAnswer::Yes: replace = true; break;
            case ReplaceAnswer::No: break;
            case ReplaceAnswer::Cancel: cancelled = true; break;
            }
        }
        if (replace) {
            compilation.set_track(old, name.name, file_size_text(path, format), path);
            ++report.replaced;
        } else {
            report.kept_out.push_back(path);
        }
    }
    return report;
}

std::string cut_report_text(int cut_count, const TranslationTable& texts)
{
    if (cut_count <= 0)
        return {};
    return replace_placeholders(texts[cut_count == 1 ? 106 : 107], {std::to_string(cut_count)});
}

std::string semicolon_refusal_text(const std::string& path, const TranslationTable& texts)
{
    return replace_placeholders(texts[kTextSemicolonRefused], {path});
}

} // namespace valmuri
