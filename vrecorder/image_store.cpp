#include "vrecorder/image_store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "vrecorder/mmc.h"

namespace valmuri::vrecorder {

namespace {

bool all_zero(const std::uint8_t* data, std::size_t size)
{
    return std::all_of(data, data + size, [](std::uint8_t b) { return b == 0; });
}

} // namespace

ImageStore::~ImageStore()
{
    close();
}

void ImageStore::set_path(std::filesystem::path image)
{
    close();
    path_ = std::move(image);
}

void ImageStore::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool ImageStore::exists() const
{
    std::error_code error;
    return std::filesystem::is_regular_file(path_, error);
}

std::uint64_t ImageStore::size_blocks() const
{
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(path_, error);
    if (error)
        return 0;
    return (size + sector_size - 1) / sector_size;
}

bool ImageStore::open_for_write()
{
    if (fd_ >= 0)
        return true;
    std::error_code error;
    if (path_.has_parent_path())
        std::filesystem::create_directories(path_.parent_path(), error);
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

bool ImageStore::read(std::uint32_t lba, std::uint32_t blocks, std::uint8_t* out)
{
    std::size_t size = std::size_t{blocks} * sector_size;
    std::memset(out, 0, size);
    int fd = fd_ >= 0 ? fd_ : ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT; // no image: a blank disc reads as zeros
    off_t offset = static_cast<off_t>(lba) * sector_size;
    std::size_t done = 0;
    bool ok = true;
    while (done < size) {
        ssize_t got = ::pread(fd, out + done, size - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0)
            break; // past the end of the file: zeros
        done += static_cast<std::size_t>(got);
    }
    if (fd != fd_)
        ::close(fd);
    return ok;
}

bool ImageStore::write(std::uint32_t lba, std::uint32_t blocks, const std::uint8_t* data)
{
    if (!open_for_write())
        return false;
    std::size_t size = std::size_t{blocks} * sector_size;
    off_t offset = static_cast<off_t>(lba) * sector_size;
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        return false;
    // Zeros past the end of the file stay a hole: erasing a DVD+RW writes
    // gigabytes of them.
    if (offset >= info.st_size && all_zero(data, size))
        return ::ftruncate(fd_, offset + static_cast<off_t>(size)) == 0;
    std::size_t done = 0;
    while (done < size) {
        ssize_t put = ::pwrite(fd_, data + done, size - done, offset + static_cast<off_t>(done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

void ImageStore::remove()
{
    close();
    std::error_code error;
    std::filesystem::remove(path_, error);
}

} // namespace valmuri::vrecorder
