#include "cli/project_source.h"

#include "app/core/capacity.h"
#include "app/core/project_file.h"
#include "platform/text.h"

namespace valmuri::cli {

bool is_project_argument(const std::vector<std::string>& files)
{
    const std::string& f = files.size() == 1 ? files.front() : std::string();
    return f.size() > 4 && equals_ignore_ascii_case(std::string_view(f).substr(f.size() - 4), ".vlm");
}

std::string disc_files(const std::vector<std::string>& files, DiscFiles& out, std::string& volume, bool volume_given)
{
    if (!is_project_argument(files)) {
        out.sources = files;
        out.disc_names.assign(files.size(), std::string());
        return {};
    }
    const ProjectRead read = read_project_file(files.front());
    if (read.error == ProjectReadError::CannotRead)
        return "cannot read " + files.front() + ": " + read.detail;
    if (!read.ok())
        return files.front() + " is not a Valmuri MP3 project or is damaged";
    for (const auto& row : read.content.rows) {
        out.sources.push_back(row_field(row, TrackField::SourcePath));
        out.disc_names.push_back(row_field(row, TrackField::DiscName) + ".mp3");
    }
    if (out.sources.empty())
        return files.front() + " holds no tracks";
    if (!volume_given)
        volume = read.content.options.cd_title;
    return {};
}

bool insert_disc_file(TVordaCDBurner& burner, const DiscFiles& files, std::size_t i)
{
    const int before = burner.FileCount();
    if (files.disc_names[i].empty())
        return burner.InsertFile("\\", files.sources[i], false) == 1 && burner.FileCount() > before;
    return insert_track_file(burner.Tree(), files.sources[i], files.disc_names[i]);
}

} // namespace valmuri::cli
