#pragma once
// Writes the burner's image into a file through the read-ahead cache, the
// same byte sequence a burn sends to the drive.

#include <cstdint>
#include <functional>
#include <string>

namespace valmuri {

class TVordaCDBurner;

struct ImageToFileResult {
    std::string error; // empty on success; otherwise the burn's error text
    std::int64_t bytes = 0;
    // Times the file writer found the cache empty after its first fill.
    std::int64_t stalls = 0;
};

// bytes written, bytes in all
using ImageToFileProgress = std::function<void(std::int64_t, std::int64_t)>;

// The burner must hold a layout and a freshly built header (its header stream
// is used up). Writes to fd from its current position.
ImageToFileResult write_image_through_cache(TVordaCDBurner& burner, int fd,
                                            const ImageToFileProgress& progress = {});

} // namespace valmuri
