#pragma once
// Writes a laid-out image straight into a file, on the caller's thread: the
// header, the boot image and its fill, every new file padded to whole
// sectors, and the post-gap. The byte count of the layout is binding: a file
// that has shrunk since is filled with zeros, one that has grown is cut.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace valmuri {

class TVordaCDBurner;

struct ImageFileResult {
    std::string error;                   // empty on success
    std::int64_t bytes = 0;              // bytes written
    std::vector<std::string> changed;    // sources whose size differed from the layout
};

// bytes done, bytes in all
using ImageProgress = std::function<void(std::int64_t, std::int64_t)>;

// The burner must hold a layout and a freshly built header. Writes to fd
// from its current position.
ImageFileResult write_image_file(TVordaCDBurner& burner, int fd, const ImageProgress& progress = {});

} // namespace valmuri
