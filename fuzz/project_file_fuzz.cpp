// Feeds arbitrary bytes to the project-file reader, and checks that what it
// accepts writes back to a file it reads the same.

#include "app/core/project_file.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace valmuri;
    const ProjectRead read = parse_project_text(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read.ok())
        return 0;
    // Rows come from lines, so none can hold a line break.
    for (const auto& row : read.content.rows)
        if (row.find('\n') != std::string::npos)
            __builtin_trap();
    const ProjectRead again = parse_project_text(project_file_text(read.content));
    if (!again.ok() || again.content.rows.size() != read.content.rows.size())
        __builtin_trap();
    return 0;
}
