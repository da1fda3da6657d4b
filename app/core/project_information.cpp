#include "app/core/project_information.h"

#include "platform/atomic_file.h"
#include "platform/text.h"

namespace valmuri {

std::string export_list_text(const Compilation& compilation)
{
    std::string text;
    for (int i = 0; i < compilation.row_count(); ++i)
        text += format_text("%s. %s", {compilation.track_number(i), compilation.disc_name(i)}) + "\r\n";
    return text;
}

std::string write_export_list(const std::filesystem::path& path, const Compilation& compilation)
{
    return write_file_atomically(path, export_list_text(compilation));
}

ProjectInformation project_information(const Compilation& compilation, const CapacityFigures& last,
                                       const std::string& project_total, const TranslationTable& texts)
{
    ProjectInformation info;
    info.total = project_total;
    if (compilation.empty()) {
        info.tracks = replace_placeholders(texts[147], {"0"});
        info.gauge_650 = replace_placeholders(texts[158], {"650"});
        info.gauge_700 = replace_placeholders(texts[158], {"700"});
        info.free_650 = replace_placeholders(texts[145], {info.gauge_650});
        info.free_700 = replace_placeholders(texts[146], {info.gauge_700});
        return info;
    }
    info.tracks = replace_placeholders(texts[147], {std::to_string(compilation.row_count())});
    info.free_650 = replace_placeholders(texts[145], {last.free_650_text});
    info.free_700 = replace_placeholders(texts[146], {last.free_700_text});
    info.percent_650 = last.percent_650;
    info.percent_700 = last.percent_700;
    info.gauge_650 = last.free_650_text;
    info.gauge_700 = last.free_700_text;
    return info;
}

std::vector<std::string> comment_lines(const std::string& comments)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t next = comments.find('#', start);
        lines.push_back(comments.substr(start, next == std::string::npos ? std::string::npos : next - start));
        if (next == std::string::npos)
            break;
        start = next + 1;
    }
    return lines;
}

std::string join_comment_lines(const std::vector<std::string>& lines)
{
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            joined += '#';
        joined += lines[i];
    }
    return joined;
}

std::string cut_cd_title(const std::string& title)
{
    if (utf8_length(title) <= static_cast<std::size_t>(kCdTitleLength))
        return title;
    const std::u32string wide = decode_utf8(title);
    return encode_utf8(std::u32string_view(wide).substr(0, kCdTitleLength));
}

} // namespace valmuri
