#pragma once
// A project file in place of a file list: `image` and `burn` take the rows'
// source files under their disc names (disc name + ".mp3"), in list order,
// and the project's CD title as the volume label.

#include "engine/burner.h"

#include <string>
#include <vector>

namespace valmuri::cli {

struct DiscFiles {
    std::vector<std::string> sources;
    std::vector<std::string> disc_names; // empty entries: the source's own name
};

// Whether the single argument names a project file (".vlm" in any case).
bool is_project_argument(const std::vector<std::string>& files);

// The files to write: the arguments as they are, or the rows of the project
// they name. With a project, volume becomes its CD title unless
// volume_given. Returns an error text, empty on success.
std::string disc_files(const std::vector<std::string>& files, DiscFiles& out, std::string& volume, bool volume_given);

// Puts file i into the burner's root folder; true when the tree took it.
bool insert_disc_file(TVordaCDBurner& burner, const DiscFiles& files, std::size_t i);

} // namespace valmuri::cli
