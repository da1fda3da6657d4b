#include "engine/image_file_writer.h"

#include "engine/burner.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace valmuri {
namespace {

constexpr std::size_t BufferSize = 4u << 20;

std::string cannot_open(const std::string& path)
{
    return "CAN'T OPEN FILE \"" + path + "\" OR FILE IS IN USES BY OTHER SOFTWARE";
}

// Collects the image in a large buffer and writes it out when full.
class Output {
public:
    Output(int fd, std::int64_t total, const ImageProgress& progress)
        : fd_(fd), total_(total), progress_(progress), buffer_(new std::uint8_t[BufferSize])
    {
    }

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    std::int64_t bytes() const { return written_ + static_cast<std::int64_t>(used_); }

    std::uint8_t* room(std::size_t& size)
    {
        if (used_ == BufferSize)
            flush();
        size = BufferSize - used_;
        return buffer_.get() + used_;
    }
    void commit(std::size_t size) { used_ += size; }

    void append(const std::uint8_t* data, std::size_t size)
    {
        while (size > 0 && ok()) {
            std::size_t free = 0;
            std::uint8_t* to = room(free);
            const std::size_t n = std::min(free, size);
            std::memcpy(to, data, n);
            commit(n);
            data += n;
            size -= n;
        }
    }

    void zeros(std::int64_t count)
    {
        while (count > 0 && ok()) {
            std::size_t free = 0;
            std::uint8_t* to = room(free);
            const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(free), count));
            std::memset(to, 0, n);
            commit(n);
            count -= static_cast<std::int64_t>(n);
        }
    }

    void flush()
    {
        std::size_t done = 0;
        while (done < used_ && ok()) {
            const ssize_t n = ::write(fd_, buffer_.get() + done, used_ - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                error_ = std::string("WRITE ERROR [") + std::strerror(n < 0 ? errno : ENOSPC) + "]";
            else
                done += static_cast<std::size_t>(n);
        }
        written_ += static_cast<std::int64_t>(used_);
        used_ = 0;
        if (progress_)
            progress_(written_, total_);
    }

private:
    int fd_;
    std::int64_t total_;
    const ImageProgress& progress_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t used_ = 0;
    std::int64_t written_ = 0;
    std::string error_;
};

// Copies exactly `length` bytes of a source, then zeros to a whole sector.
// False when the source cannot be opened; *changed when its size differs.
bool copy_source(Output& out, const std::string& path, std::int64_t length, bool* changed)
{
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    ::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::int64_t left = length;
    while (left > 0 && out.ok()) {
        std::size_t free = 0;
        std::uint8_t* to = out.room(free);
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(free), left));
        const ssize_t n = ::read(in, to, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.commit(static_cast<std::size_t>(n));
        left -= n;
    }
    char probe;
    *changed = left > 0 || ::read(in, &probe, 1) > 0;
    ::close(in);
    out.zeros(left);
    out.zeros(sectors_for(length) * SectorSize - length);
    return true;
}

} // namespace

ImageFileResult write_image_file(TVordaCDBurner& burner, int fd, const ImageProgress& progress)
{
    ImageFileResult result;
    const LayoutValues& layout = burner.Layout();
    const std::int64_t total = burner.ImageSize() * SectorSize;
    Output out(fd, total, progress);

    const auto& header = burner.HeaderStream();
    out.append(header.data(), header.size());

    if (burner.Bootable()) {
        bool changed = false;
        if (!copy_source(out, burner.BootImage(), std::int64_t{layout.BootImageSectors} * SectorSize, &changed)) {
            result.error = cannot_open(burner.BootImage());
            return result;
        }
        out.zeros(layout.PadSectors * SectorSize);
    }

    for (const auto& node : burner.Tree().Files()) {
        if (node->Dir != nullptr || node->Imported || node->SourcePath.empty() || node->Size == 0)
            continue;
        bool changed = false;
        if (!copy_source(out, node->SourcePath, node->Size, &changed)) {
            result.error = cannot_open(node->SourcePath);
            return result;
        }
        if (changed)
            result.changed.push_back(node->SourcePath);
        if (!out.ok())
            break;
    }
    if (out.ok())
        out.zeros(total - out.bytes());
    if (out.ok())
        out.flush();
    result.error = out.error();
    result.bytes = out.bytes();
    if (result.error.empty() && result.bytes != total)
        result.error = "INTERNAL ERROR: IMAGE SIZE DOES NOT MATCH ITS LAYOUT";
    return result;
}

} // namespace valmuri
