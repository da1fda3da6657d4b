#include "jobs/core/file_info.h"

#include "platform/endian.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace valmuri::jobs {
namespace {

// Bit rates in kbit/s by header bits 15-12: ISO/IEC 11172-3 for MPEG-1,
// ISO/IEC 13818-3 for MPEG-2 and MPEG-2.5 (which share one table per layer).
constexpr std::array<std::array<std::int32_t, 16>, 3> kMpeg1BitRates = {{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
}};
constexpr std::array<std::array<std::int32_t, 16>, 3> kMpeg2BitRates = {{
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
}};
// Sample rates in Hz by header bits 11-10, index 3 reserved.
constexpr std::array<std::uint32_t, 4> kMpeg1SampleRates = {44100, 48000, 32000, 0};
constexpr std::array<std::uint32_t, 4> kMpeg2SampleRates = {22050, 24000, 16000, 0};
constexpr std::array<std::uint32_t, 4> kMpeg25SampleRates = {11025, 12000, 8000, 0};

constexpr std::uint32_t kSyncBits = 0xFFE00000;
// The VBR header sits this far behind the start of the first frame.
constexpr std::uint64_t kXingOffset = 36;
constexpr std::size_t kXingBytes = 256;
constexpr std::uint8_t kXingAllFields = 15; // frames, bytes, table of contents, quality

std::uint16_t seconds_of(std::uint64_t file_size, std::int64_t bit_rate)
{
    // 64-bit: file size × 8 leaves 32 bits from 512 MiB on; the record keeps 16 bits.
    return static_cast<std::uint16_t>(file_size * 8 / static_cast<std::uint64_t>(bit_rate * 1000));
}

// Reads the source through a window, so the byte-by-byte scan costs one
// read per window rather than one per byte.
class WindowReader {
public:
    explicit WindowReader(ByteSource& source)
        : source_(source)
        , window_(kWindowBytes)
    {
    }

    // The byte at offset; only called below the source's size.
    std::uint8_t byte(std::uint64_t offset)
    {
        if (offset < start_ || offset >= start_ + filled_) {
            start_ = offset;
            filled_ = source_.read(offset, window_.data(), window_.size());
            if (filled_ == 0)
                return 0;
        }
        return window_[offset - start_];
    }

    std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t count)
    {
        std::size_t done = 0;
        const std::uint64_t size = source_.size();
        while (done < count && offset + done < size) {
            out[done] = byte(offset + done);
            if (filled_ == 0)
                break;
            ++done;
        }
        return done;
    }

private:
    static constexpr std::size_t kWindowBytes = 64 * 1024;
    ByteSource& source_;
    std::vector<std::uint8_t> window_;
    std::uint64_t start_ = 0;
    std::size_t filled_ = 0;
};

void clear_keeping_size(FrameInfo& info)
{
    const std::uint32_t size = info.file_size;
    info = FrameInfo{};
    info.file_size = size;
}

class FileSource final : public ByteSource {
public:
    FileSource(int fd, std::uint64_t size)
        : fd_(fd)
        , size_(size)
    {
    }
    std::uint64_t size() const override { return size_; }
    std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t count) override
    {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

private:
    int fd_;
    std::uint64_t size_;
};

} // namespace

bool decode_frame_header(std::uint32_t h, FrameInfo& info)
{
    if (h < kSyncBits)
        return false;
    static constexpr std::uint8_t kVersionByBits[4] = {3, 0, 2, 1};
    info.version = kVersionByBits[(h >> 19) & 3];
    if (info.version == 0)
        return false;
    const std::uint32_t layer_bits = (h >> 17) & 3;
    info.layer = layer_bits == 0 ? 0 : static_cast<std::uint8_t>(4 - layer_bits);
    const std::uint32_t rate_index = (h >> 10) & 3;
    info.sample_rate = info.version == 1 ? kMpeg1SampleRates[rate_index]
        : info.version == 2              ? kMpeg2SampleRates[rate_index]
                                         : kMpeg25SampleRates[rate_index];
    info.protection = (h >> 16) & 1;
    info.copyright = (h >> 3) & 1;
    info.original = (h >> 2) & 1;
    info.channel_mode = (h >> 6) & 3;
    info.padding = (h >> 9) & 1;
    const std::uint32_t bit_rate_index = (h >> 12) & 15;
    if (info.layer != 0)
        info.bit_rate = (info.version == 1 ? kMpeg1BitRates : kMpeg2BitRates)[info.layer - 1][bit_rate_index];
    else
        info.bit_rate = 0;
    if (info.bit_rate != 0)
        info.duration = seconds_of(info.file_size, info.bit_rate);
    info.frame_length = info.sample_rate == 0
        ? 0
        : static_cast<std::uint16_t>(static_cast<std::uint64_t>(info.bit_rate) * 144000 / info.sample_rate + info.padding);
    return info.version != 0 && info.layer != 0 && info.bit_rate != 0 && info.sample_rate != 0;
}

FrameInfo read_frame_info(ByteSource& source)
{
    FrameInfo info;
    const std::uint64_t size = source.size();
    if (size <= 5)
        return info;
    info.file_size = static_cast<std::uint32_t>(size);
    WindowReader reader(source);

    std::uint64_t position = 0;
    std::uint64_t frame_start = 0;
    for (;;) {
        std::uint8_t first[4];
        const std::size_t got = reader.read(position, first, sizeof first);
        // A rescan that starts at the end of the file would read the same
        // header again for ever: no frame follows.
        if (got == 0) {
            clear_keeping_size(info);
            info.status = kFrameNoValidFrame;
            return info;
        }
        std::uint32_t h = 0;
        for (std::size_t i = 0; i < got; ++i)
            h = (h << 8) | first[i];
        position += got;
        bool valid = decode_frame_header(h, info);
        while (!valid && position < size) {
            h = (h << 8) | reader.byte(position++);
            valid = decode_frame_header(h, info);
        }
        if (!valid) {
            clear_keeping_size(info);
            info.status = kFrameNoValidFrame;
            return info;
        }
        frame_start = position - 4;
        const std::int64_t remaining = static_cast<std::int64_t>(size) - static_cast<std::int64_t>(frame_start)
            - info.frame_length + 2 * info.protection;
        if (remaining > 0)
            break;
        clear_keeping_size(info);
    }

    std::uint8_t xing[kXingBytes] = {};
    reader.read(frame_start + kXingOffset, xing, sizeof xing);
    if (std::memcmp(xing, "Xing", 4) == 0 && xing[7] == kXingAllFields) {
        const std::uint32_t frames = get_be32(xing + 8);
        if (frames > 0) {
            info.frame_length = static_cast<std::uint16_t>(size / frames);
            const std::int64_t bit_rate
                = static_cast<std::int64_t>(info.frame_length) * info.sample_rate / 144000 - info.padding;
            info.bit_rate = static_cast<std::int32_t>(bit_rate);
            if (bit_rate > 0)
                info.duration = seconds_of(size, bit_rate);
        }
    }
    return info;
}

TFileInfo::TFileInfo(std::filesystem::path file_name)
    : file_name_(std::move(file_name))
{
}

FrameInfo TFileInfo::read() const
{
    FrameInfo info;
    struct stat st {};
    if (::stat(file_name_.c_str(), &st) != 0) {
        info.status = errno == ENOENT || errno == ENOTDIR ? kFrameNoFile : kFrameCannotOpen;
        return info;
    }
    // Folders, pipes and devices are not files to scan (a pipe would block the open).
    if (!S_ISREG(st.st_mode)) {
        info.status = kFrameCannotOpen;
        return info;
    }
    const int fd = ::open(file_name_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        info.status = kFrameCannotOpen;
        return info;
    }
    struct stat opened {};
    const std::uint64_t size = ::fstat(fd, &opened) == 0 ? static_cast<std::uint64_t>(opened.st_size) : 0;
    FileSource source(fd, size);
    info = read_frame_info(source);
    ::close(fd);
    return info;
}

std::string duration_mm_ss(std::uint32_t seconds)
{
    const std::uint32_t s = seconds % 3600;
    char text[8];
    std::snprintf(text, sizeof text, "%02u:%02u", s / 60, s % 60);
    return text;
}

} // namespace valmuri::jobs
