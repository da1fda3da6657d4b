// Feeds arbitrary bytes to the MPEG frame reader as a file's content. The
// scan must end, give a status the record knows, and read the same through
// a source that answers in short pieces as through one that answers whole.

#include "jobs/core/file_info.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

class MemorySource final : public valmuri::jobs::ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size, std::size_t piece)
        : data_(data)
        , size_(size)
        , piece_(piece)
    {
    }
    std::uint64_t size() const override { return size_; }
    std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t count) override
    {
        if (offset >= size_)
            return 0;
        const std::size_t n = std::min({count, piece_, static_cast<std::size_t>(size_ - offset)});
        std::memcpy(out, data_ + offset, n);
        return n;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t piece_;
};

bool same(const valmuri::jobs::FrameInfo& a, const valmuri::jobs::FrameInfo& b)
{
    return a.duration == b.duration && a.file_size == b.file_size && a.version == b.version && a.layer == b.layer
        && a.sample_rate == b.sample_rate && a.bit_rate == b.bit_rate && a.channel_mode == b.channel_mode
        && a.copyright == b.copyright && a.original == b.original && a.protection == b.protection
        && a.padding == b.padding && a.frame_length == b.frame_length && a.status == b.status;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace valmuri::jobs;
    MemorySource whole(data, size, size + 1);
    const FrameInfo info = read_frame_info(whole);
    if (info.status != kFrameRead && info.status != kFrameNoValidFrame)
        __builtin_trap();
    if (info.status == kFrameRead && size > 5 && (info.version == 0 || info.layer == 0 || info.sample_rate == 0))
        __builtin_trap();
    MemorySource pieces(data, size, 1 + size % 7);
    if (!same(info, read_frame_info(pieces)))
        __builtin_trap();
    return 0;
}
