#include "jobs/core/payload.h"

#include "platform/endian.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace valmuri::jobs {
namespace {

struct Footer {
    bool present = false;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint64_t file_size = 0;
};

Footer read_footer(const std::filesystem::path& path)
{
    Footer footer;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return footer;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > static_cast<off_t>(kPayloadFooterSize)) {
        footer.file_size = static_cast<std::uint64_t>(st.st_size);
        std::uint8_t bytes[kPayloadFooterSize];
        if (::pread(fd, bytes, sizeof bytes, st.st_size - static_cast<off_t>(kPayloadFooterSize))
                == static_cast<ssize_t>(sizeof bytes)
            && std::memcmp(bytes, kPayloadSignature, sizeof kPayloadSignature) == 0) {
            footer.present = true;
            footer.offset = get_le32(bytes + 16);
            footer.length = get_le32(bytes + 20);
        }
    }
    ::close(fd);
    return footer;
}

std::string system_error(const std::string& what, const std::filesystem::path& path)
{
    return what + " " + path.string() + ": " + std::strerror(errno);
}

} // namespace

TPayload::TPayload(std::filesystem::path file_name)
    : file_name_(std::move(file_name))
{
}

std::uint32_t TPayload::read_payload_length() const
{
    const Footer footer = read_footer(file_name_);
    return footer.present ? footer.length : 0;
}

PayloadRemoval TPayload::remove_payload(std::string& error)
{
    const Footer footer = read_footer(file_name_);
    if (!footer.present || footer.length == 0)
        return PayloadRemoval::NoPayload;
    // The footer must describe the file it ends: payload from offset to the footer.
    if (static_cast<std::uint64_t>(footer.offset) + footer.length + kPayloadFooterSize != footer.file_size) {
        error = file_name_.string() + ": the payload footer does not match the file's size; the file was left as it is";
        return PayloadRemoval::FooterDisagrees;
    }
    if (::truncate(file_name_.c_str(), static_cast<off_t>(footer.offset)) != 0) {
        error = system_error("cannot shorten", file_name_);
        return PayloadRemoval::Failed;
    }
    return PayloadRemoval::Removed;
}

bool TPayload::write_payload(std::string_view data, std::string& error)
{
    if (remove_payload(error) == PayloadRemoval::Failed)
        return false;
    error.clear();
    if (data.empty())
        return true;
    const int fd = ::open(file_name_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        error = system_error("cannot open", file_name_);
        return false;
    }
    const off_t size = ::lseek(fd, 0, SEEK_END);
    std::string tail(data);
    std::uint8_t footer[kPayloadFooterSize];
    std::memcpy(footer, kPayloadSignature, sizeof kPayloadSignature);
    put_le32(footer + 16, static_cast<std::uint32_t>(size));
    put_le32(footer + 20, static_cast<std::uint32_t>(data.size()));
    tail.append(reinterpret_cast<const char*>(footer), sizeof footer);
    std::size_t done = 0;
    while (size >= 0 && done < tail.size()) {
        const ssize_t n = ::write(fd, tail.data() + done, tail.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    const bool written = size >= 0 && done == tail.size();
    if (!written)
        error = system_error("cannot write", file_name_);
    if (::close(fd) != 0 && written) {
        error = system_error("cannot write", file_name_);
        return false;
    }
    return written;
}

} // namespace valmuri::jobs
