#include "app/core/capacity.h"

#include "app/core/capacity_texts.h"
#include "platform/text.h"

namespace valmuri {

CapacityFigures capacity_figures(std::int64_t blocks, int track_count, const TranslationTable& texts,
                                 const NumberFormat& format)
{
    CapacityFigures f;
    f.blocks = blocks;
    f.track_count = track_count;
    f.used_mb = static_cast<double>(blocks) * 2048.0 / 1048576.0;
    f.free_650 = 650.0 - f.used_mb;
    f.free_700 = 700.0 - f.used_mb;
    const std::string free_650 = format_float("#,##0.00", f.free_650, format);
    const std::string free_700 = format_float("#,##0.00", f.free_700, format);
    f.free_650_text = format_text("%s %s", {free_650, texts[162]});
    f.free_700_text = format_text("%s %s", {free_700, texts[162]});
    f.percent_650 = f.free_650 >= 0 ? static_cast<int>(blocks * 100 / kPercentBlocks650) : 100;
    f.percent_700 = f.free_700 >= 0 ? static_cast<int>(blocks * 100 / kPercentBlocks700) : 100;
    f.project_total = texts[142] + " " + format_float("#,##0.00", f.used_mb, format) + " MB";
    f.file_count = format_text("%d %s", {std::int64_t(track_count), texts[143]});
    f.bar_caption = format_text("%s %s / %s %s", {free_650, texts[141], free_700, texts[144]});
    return f;
}

bool insert_track_file(DiscTree& tree, const std::string& source, const std::string& long_name)
{
    auto record = find_source_file(source);
    if (!record)
        return false;
    // The entry gets its disc name at once: inserting under the source name
    // first would collide with an earlier row's disc name.
    record->AlternateName = upper_ascii(utf8_length(long_name) <= 13 ? long_name : record->Name);
    record->Name = long_name;
    return tree.AddFileEntry(tree.Root(), *record, 0, source);
}

int fill_disc_tree(TVordaCDBurner& burner, const std::vector<std::string>& rows)
{
    burner.ResetFileTree(DefaultMaxFiles, DefaultMaxDirs);
    int taken = 0;
    for (const auto& row : rows)
        if (insert_track_file(burner.Tree(), row_field(row, TrackField::SourcePath),
                              row_field(row, TrackField::DiscName) + ".mp3"))
            ++taken;
    return taken;
}

namespace {

CapacityFigures empty_figures(const TranslationTable& texts, const NumberFormat& format)
{
    CapacityFigures f = capacity_figures(0, 0, texts, format);
    const CapacityTexts empty = empty_capacity_texts(texts);
    f.project_total = empty.project_total;
    f.file_count = empty.file_count;
    f.bar_caption = empty.bar_caption;
    return f;
}

} // namespace

CapacityFigures empty_capacity(TVordaCDBurner& burner, const TranslationTable& texts, const NumberFormat& format)
{
    burner.ResetFileTree(DefaultMaxFiles, DefaultMaxDirs);
    return empty_figures(texts, format);
}

CapacityFigures recompute_capacity(TVordaCDBurner& burner, const Compilation& compilation,
                                   const TranslationTable& texts, const NumberFormat& format)
{
    if (compilation.empty())
        return empty_figures(texts, format);
    fill_disc_tree(burner, compilation.rows());
    burner.BuildLayout(true);
    return capacity_figures(burner.ImageSize(), compilation.row_count(), texts, format);
}

} // namespace valmuri
