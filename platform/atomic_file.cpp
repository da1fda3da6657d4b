#include "platform/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace valmuri {

std::string write_file_atomically(const std::filesystem::path& path, std::string_view content)
{
    // Beside the target, so the rename stays on one file system.
    std::error_code ec;
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(target, ec)) {
        auto resolved = std::filesystem::canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    std::string temp = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return std::strerror(errno);
    struct stat old_info {};
    mode_t mode = 0644;
    if (::stat(target.c_str(), &old_info) == 0) {
        mode = old_info.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    const char* data = content.data();
    std::size_t left = content.size();
    int error = 0;
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return std::strerror(error);
    }
    return {};
}

FileBytes read_file_bytes(const std::filesystem::path& path, std::uintmax_t max_bytes)
{
    FileBytes result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = std::strerror(errno);
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        result.error = ::fstat(fd, &info) != 0 ? std::strerror(errno) : std::strerror(EISDIR);
        ::close(fd);
        return result;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > max_bytes) {
        result.too_large = true;
        ::close(fd);
        return result;
    }
    char buffer[65536];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.error = std::strerror(errno);
            break;
        }
        if (got == 0)
            break;
        result.bytes.append(buffer, static_cast<std::size_t>(got));
        if (result.bytes.size() > max_bytes) {
            result.too_large = true;
            result.bytes.clear();
            break;
        }
    }
    ::close(fd);
    return result;
}

} // namespace valmuri
