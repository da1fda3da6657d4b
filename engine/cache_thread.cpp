#include "engine/cache_thread.h"

#include "engine/burn_errors.h"
#include "engine/file_stream.h"
#include "engine/thread_priority.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace valmuri {
namespace {

std::string with_path(const char* format, const std::string& path)
{
    std::string text(format);
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, path);
    return text;
}

ThreadLevel thread_level(CachePriority level)
{
    switch (level) {
    case CachePriority::Idle:
        return ThreadLevel::Idle;
    case CachePriority::Lowest:
        return ThreadLevel::Lowest;
    case CachePriority::Lower:
        return ThreadLevel::Lower;
    default:
        return ThreadLevel::Normal;
    }
}

} // namespace

TCacheThread::TCacheThread(CacheJob job)
    : job_(std::move(job)),
      geometry_{job_.block_size, job_.cache_size},
      fill_bytes_(zero_fill_bytes(job_.image_bytes, job_.write_post_gap)),
      queue_(geometry_.capacity()),
      stager_(job_.block_size)
{
    thread_ = std::thread([this] { Execute(); });
}

TCacheThread::~TCacheThread()
{
    AbortCache();
    WaitFor();
}

void TCacheThread::AbortCache()
{
    queue_.close_with(burn_error::kAborted);
}

void TCacheThread::WaitFor()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

std::string TCacheThread::CurrentFile() const
{
    std::scoped_lock lock(file_mutex_);
    return current_file_;
}

int TCacheThread::FillPercent() const
{
    if (job_.cache_size <= 0)
        return 0;
    return static_cast<int>(std::lround(static_cast<double>(BytesQueued()) * 100.0 / static_cast<double>(job_.cache_size)));
}

void TCacheThread::fail(const char* format, const std::string& path)
{
    queue_.close_with(with_path(format, path));
}

void TCacheThread::set_level(CachePriority level)
{
    if (level == level_)
        return;
    level_ = level;
    if (levels_work_)
        levels_work_ = set_current_thread_level(thread_level(level));
}

bool TCacheThread::layout_matches() const
{
    std::int64_t total = static_cast<std::int64_t>(job_.header.size());
    if (!job_.boot_image.empty())
        total += (job_.boot_image_sectors + job_.pad_sectors) * kSectorBytes;
    for (const auto& file : job_.files)
        if (!file.path.empty() && file.size > 0)
            total += round_up_to_sectors(file.size);
    return total == job_.image_bytes && job_.header.size() % kSectorBytes == 0;
}

// Hands the block being assembled to the queue, waiting for room while the
// queue is full. False when the cache has been stopped.
bool TCacheThread::push_staged()
{
    if (!stager_.assembling() || stager_.staged() == 0)
        return !queue_.has_status();
    if (queue_.size() >= geometry_.capacity())
        set_level(CachePriority::Idle);
    CacheBlock block = stager_.finish();
    const std::int64_t queued = queue_.push(block);
    if (queued < 0)
        return false;
    if (!block.bytes.empty())
        spare_ = std::move(block);
    set_level(cache_priority_for(queued, geometry_));
    return true;
}

// Starts assembling a block in a recycled buffer when there is one.
void TCacheThread::start_block()
{
    if (stager_.assembling())
        return;
    stager_.start(std::move(spare_));
    spare_ = {};
}

bool TCacheThread::feed_memory(const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        start_block();
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(stager_.room(), bytes.size() - done));
        std::memcpy(stager_.tail(), bytes.data() + done, n);
        stager_.commit(n);
        done += n;
        if (stager_.full() && !push_staged())
            return false;
    }
    return true;
}

bool TCacheThread::feed_zeros(std::int64_t bytes)
{
    while (bytes > 0) {
        start_block();
        const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(stager_.room(), bytes));
        std::memset(stager_.tail(), 0, n);
        stager_.commit(n);
        bytes -= n;
        if (stager_.full() && !push_staged())
            return false;
    }
    return true;
}

// Reads one source. size is the byte count the layout recorded; with
// sector_rounded_size the file only has to fill the same number of sectors
// (a boot image, whose length the layout keeps in sectors).
bool TCacheThread::feed_file(const std::string& path, std::int64_t size, bool sector_rounded_size)
{
    {
        std::scoped_lock lock(file_mutex_);
        current_file_ = path;
    }
    TFileStreamEx stream(path, fmOpenRead | fmShareDenyNone);
    if (!stream.IsOpen()) {
        fail(burn_error::kCantOpenFile, path);
        return false;
    }
    const std::int64_t actual = stream.Size();
    if (sector_rounded_size ? round_up_to_sectors(actual) != size : actual != size) {
        fail(burn_error::kFileChanged, path);
        return false;
    }
    stream.AdviseSequential();

    std::int64_t remaining = actual;
    while (remaining > 0) {
        if (queue_.has_status())
            return false;
        start_block();
        const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(stager_.room(), remaining));
        const std::int64_t got = stream.Read(stager_.tail(), n);
        if (got != n) {
            fail(stream.Failed() ? burn_error::kCantReadFile : burn_error::kFileChanged, path);
            return false;
        }
        stager_.commit(n);
        remaining -= n;
        if (stager_.full() && !push_staged())
            return false;
    }
    // A file that grew since the layout would lose its tail on the disc.
    std::uint8_t probe = 0;
    if (stream.Read(&probe, 1) != 0 || stream.Failed()) {
        fail(stream.Failed() ? burn_error::kCantReadFile : burn_error::kFileChanged, path);
        return false;
    }
    return true;
}

void TCacheThread::Execute()
{
    set_current_thread_level(thread_level(level_));
    if (!layout_matches()) {
        queue_.close_with(burn_error::kLayoutMismatch);
        return;
    }

    if (!feed_memory(job_.header))
        return;
    // The header is not needed again; give its memory back.
    std::vector<std::uint8_t>().swap(job_.header);

    if (!job_.boot_image.empty()) {
        if (!feed_file(job_.boot_image, job_.boot_image_sectors * kSectorBytes, true))
            return;
        if (!feed_zeros(job_.pad_sectors * kSectorBytes))
            return;
    }
    for (const auto& file : job_.files) {
        if (file.path.empty() || file.size <= 0)
            continue;
        if (!feed_file(file.path, file.size, false))
            return;
    }
    if (!push_staged())
        return;

    // The zero fill starts a block of its own.
    for (const std::uint32_t length : zero_fill_blocks(fill_bytes_, geometry_.block_size)) {
        start_block();
        std::memset(stager_.tail(), 0, length);
        stager_.commit(length);
        if (!push_staged())
            return;
    }
    queue_.finish();
}

} // namespace valmuri
