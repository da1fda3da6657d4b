#include "app/core/music_search.h"

#include "platform/text.h"

#include <charconv>

namespace valmuri {

std::vector<std::string> search_rows(const Compilation& compilation, std::string_view text,
                                     const std::function<void(int percent)>& progress)
{
    std::vector<std::string> found;
    const std::string needle = case_fold(text);
    const int n = compilation.row_count();
    for (int i = 0; i < n; ++i) {
        if (progress)
            progress(static_cast<int>(static_cast<std::int64_t>(i) * 100 / n));
        const std::string& row = compilation.row(i);
        if (case_fold(row).find(needle) != std::string::npos)
            found.push_back(row);
    }
    if (progress)
        progress(100);
    return found;
}

int row_of_search_result(const Compilation& compilation, std::string_view result_row)
{
    const std::string number = row_field(result_row, TrackField::Number);
    int track = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), track);
    if (error != std::errc() || end != number.data() + number.size())
        return -1;
    if (track < 1 || track > compilation.row_count())
        return -1;
    return equals_ignore_ascii_case(compilation.disc_name(track - 1), row_field(result_row, TrackField::DiscName))
               ? track - 1
               : -1;
}

} // namespace valmuri
