#include "engine/disc_reader.h"

#include <algorithm>
#include <cstring>

namespace valmuri {

namespace {

std::optional<std::uint32_t> start_of(const std::vector<std::uint32_t>& starts, int session)
{
    if (session < 1 || static_cast<std::size_t>(session) > starts.size())
        return std::nullopt;
    return starts[static_cast<std::size_t>(session - 1)];
}

// Byte range of a sector run, or none when it would not fit in size bytes.
std::optional<std::uint64_t> run_offset(std::uint32_t lba, std::uint32_t count, std::uint64_t size)
{
    const std::uint64_t offset = std::uint64_t{lba} * DiscReader::SectorSize;
    const std::uint64_t length = std::uint64_t{count} * DiscReader::SectorSize;
    if (offset >= size || length > size - offset + (DiscReader::SectorSize - 1))
        return std::nullopt;
    return offset;
}

} // namespace

MemoryDiscReader::MemoryDiscReader(std::span<const std::uint8_t> bytes, std::vector<std::uint32_t> session_starts)
    : bytes_(bytes)
    , session_starts_(std::move(session_starts))
{
}

int MemoryDiscReader::session_count()
{
    return static_cast<int>(session_starts_.size());
}

std::optional<std::uint32_t> MemoryDiscReader::session_start(int session)
{
    return start_of(session_starts_, session);
}

bool MemoryDiscReader::read_sectors(std::uint32_t lba, std::uint32_t count, std::uint8_t* buffer)
{
    if (count == 0)
        return true;
    const auto offset = run_offset(lba, count, bytes_.size());
    if (!offset)
        return false;
    const std::uint64_t length = std::uint64_t{count} * SectorSize;
    const std::uint64_t available = std::min<std::uint64_t>(length, bytes_.size() - *offset);
    std::memcpy(buffer, bytes_.data() + *offset, available);
    std::memset(buffer + available, 0, length - available);
    return true;
}

ImageFileDiscReader::ImageFileDiscReader(const std::string& path, std::vector<std::uint32_t> session_starts)
    : session_starts_(std::move(session_starts))
{
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return;
    if (fseeko(file_, 0, SEEK_END) != 0) {
        std::fclose(file_);
        file_ = nullptr;
        return;
    }
    const off_t size = ftello(file_);
    file_size_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

ImageFileDiscReader::~ImageFileDiscReader()
{
    if (file_)
        std::fclose(file_);
}

int ImageFileDiscReader::session_count()
{
    return file_ ? static_cast<int>(session_starts_.size()) : 0;
}

std::optional<std::uint32_t> ImageFileDiscReader::session_start(int session)
{
    if (!file_)
        return std::nullopt;
    return start_of(session_starts_, session);
}

bool ImageFileDiscReader::read_sectors(std::uint32_t lba, std::uint32_t count, std::uint8_t* buffer)
{
    if (!file_)
        return false;
    if (count == 0)
        return true;
    const auto offset = run_offset(lba, count, file_size_);
    if (!offset)
        return false;
    const std::uint64_t length = std::uint64_t{count} * SectorSize;
    const std::uint64_t available = std::min<std::uint64_t>(length, file_size_ - *offset);
    if (fseeko(file_, static_cast<off_t>(*offset), SEEK_SET) != 0)
        return false;
    if (std::fread(buffer, 1, available, file_) != available)
        return false;
    std::memset(buffer + available, 0, length - available);
    return true;
}

} // namespace valmuri
