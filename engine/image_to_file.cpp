#include "engine/image_to_file.h"

#include "engine/burner.h"
#include "engine/cache_sources.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace valmuri {
namespace {

bool write_all(int fd, const std::uint8_t* data, std::size_t size, std::string& error)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = std::string("WRITE ERROR [") + std::strerror(n < 0 ? errno : ENOSPC) + "]";
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

ImageToFileResult write_image_through_cache(TVordaCDBurner& burner, int fd, const ImageToFileProgress& progress)
{
    ImageToFileResult result;
    TCacheThread cache(cache_job_for(burner, kDvdBlockBytes));
    const std::int64_t total = cache.ImageBytes();
    std::vector<std::uint8_t> block(kDvdBlockBytes);
    for (;;) {
        const int n = cache.WaitBlock(block.data(), std::chrono::milliseconds(1000));
        if (n < 0)
            continue;
        if (n == 0)
            break;
        if (!write_all(fd, block.data(), static_cast<std::size_t>(n), result.error)) {
            cache.Stop(result.error);
            break;
        }
        result.bytes += n;
        if (progress)
            progress(result.bytes, total);
    }
    cache.WaitFor();
    if (result.error.empty())
        result.error = cache.StatusText();
    result.stalls = cache.WriterStalls();
    return result;
}

} // namespace valmuri
