#pragma once
// The room a compilation leaves on 650 and 700 MB discs: the burner's tree is
// rebuilt from the rows, laid out, and its size in 2048-byte blocks gives
// the figures and the texts of the status panels and the bar.

#include "app/core/compilation.h"
#include "app/core/translation_table.h"
#include "engine/burner.h"
#include "platform/number_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace valmuri {

struct CapacityFigures {
    std::int64_t blocks = 0;
    double used_mb = 0;
    double free_650 = 650;
    double free_700 = 700;
    std::string free_650_text; // "#,##0.00" + " " + a162
    std::string free_700_text;
    int percent_650 = 0;
    int percent_700 = 0; // also the bar position
    int track_count = 0;
    std::string project_total; // status panel 1
    std::string file_count;    // status panel 2
    std::string bar_caption;
};

// Blocks the percentages divide by (not the 332800 and 358400 blocks of
// 650 and 700 MB).
constexpr std::int64_t kPercentBlocks650 = 336075;
constexpr std::int64_t kPercentBlocks700 = 359995;

// The figures of an image of the given size, for track_count rows.
CapacityFigures capacity_figures(std::int64_t blocks, int track_count, const TranslationTable& texts,
                                 const NumberFormat& format);

// Puts a source file into the root folder under long_name (with the short
// name rule below); false when the tree does not take it.
bool insert_track_file(DiscTree& tree, const std::string& source, const std::string& long_name);

// Resets the tree and puts every row's source file into the root folder
// under its disc name + ".mp3", in list order. The short name is the
// upper-cased disc file name when that has at most 13 characters, else the
// upper-cased source file name. Missing sources are left out. Returns the
// rows taken.
int fill_disc_tree(TVordaCDBurner& burner, const std::vector<std::string>& rows);

// The figures of an emptied list (new project, last rows deleted, structure
// editor applied with no rows): the burner's tree is reset too.
CapacityFigures empty_capacity(TVordaCDBurner& burner, const TranslationTable& texts, const NumberFormat& format);

// Fills the tree, lays it out and computes the figures; the tree stays in
// the burner. An empty compilation gives the empty texts and leaves the
// burner alone.
CapacityFigures recompute_capacity(TVordaCDBurner& burner, const Compilation& compilation,
                                   const TranslationTable& texts, const NumberFormat& format);

} // namespace valmuri
