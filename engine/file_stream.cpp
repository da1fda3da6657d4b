#include "engine/file_stream.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace valmuri {

std::int64_t TStreamEx::Size()
{
    const std::int64_t position = Seek(0, SeekOrigin::Current);
    const std::int64_t size = Seek(0, SeekOrigin::End);
    Seek(position, SeekOrigin::Beginning);
    return size;
}

bool THandleStreamEx::SetSize(std::int64_t size)
{
    if (Seek(size, SeekOrigin::Beginning) < 0)
        return false;
    if (::ftruncate(handle_, size) != 0) {
        last_error_ = errno;
        return false;
    }
    last_error_ = 0;
    return true;
}

std::int64_t THandleStreamEx::Read(void* buffer, std::int64_t count)
{
    // A regular file returns fewer bytes only at its end; keep reading after
    // interruptions so a short result always means the end or a failure.
    auto* out = static_cast<char*>(buffer);
    std::int64_t done = 0;
    last_error_ = 0;
    while (done < count) {
        const ssize_t n = ::read(handle_, out + done, static_cast<size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            last_error_ = errno;
            return 0;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t THandleStreamEx::Write(const void* buffer, std::int64_t count)
{
    const auto* in = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    last_error_ = 0;
    while (done < count) {
        const ssize_t n = ::write(handle_, in + done, static_cast<size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            last_error_ = errno;
            return 0;
        }
        done += n;
    }
    return done;
}

std::int64_t THandleStreamEx::Seek(std::int64_t offset, SeekOrigin origin)
{
    const int whence = origin == SeekOrigin::Beginning ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    const off_t position = ::lseek(handle_, offset, whence);
    if (position < 0) {
        last_error_ = errno;
        return -1;
    }
    last_error_ = 0;
    return position;
}

namespace {

int open_flags(std::uint32_t mode)
{
    if (mode == fmCreate)
        return O_RDWR | O_CREAT | O_TRUNC;
    switch (mode & 0x3) {
    case fmOpenWrite:
        return O_WRONLY;
    case fmOpenReadWrite:
        return O_RDWR;
    default:
        return O_RDONLY;
    }
}

} // namespace

TFileStreamEx::TFileStreamEx(const std::string& file_name, std::uint32_t mode)
    : THandleStreamEx(::open(file_name.c_str(), open_flags(mode) | O_CLOEXEC, 0666))
{
    if (handle_ < 0)
        last_error_ = errno;
}

TFileStreamEx::~TFileStreamEx()
{
    if (handle_ >= 0)
        ::close(handle_);
}

void TFileStreamEx::AdviseSequential()
{
    if (handle_ >= 0)
        ::posix_fadvise(handle_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

} // namespace valmuri
