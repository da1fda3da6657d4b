// The MPEG frame reader over a folder of MP3 files (VALMURI_BENCH_MP3_DIR,
// made by scripts/bench), against a reference that follows the same rule
// with one read system call per scanned byte, as the player's reader does.

#include "jobs/core/file_info.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace valmuri::jobs;

const std::vector<std::filesystem::path>& files()
{
    static const std::vector<std::filesystem::path> list = [] {
        std::vector<std::filesystem::path> found;
        if (const char* dir = std::getenv("VALMURI_BENCH_MP3_DIR"))
            for (const auto& entry : std::filesystem::directory_iterator(dir))
                found.push_back(entry.path());
        return found;
    }();
    return list;
}

// The rule with a read() per byte of the scan and seeks for the rest.
FrameInfo byte_by_byte(const std::filesystem::path& path)
{
    FrameInfo info;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        info.status = kFrameCannotOpen;
        return info;
    }
    struct stat st {};
    ::fstat(fd, &st);
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    if (size <= 5) {
        ::close(fd);
        return info;
    }
    info.file_size = static_cast<std::uint32_t>(size);
    std::uint64_t position = 0, frame_start = 0;
    for (;;) {
        std::uint8_t first[4] = {};
        const ssize_t got = ::read(fd, first, 4);
        if (got <= 0) {
            info = FrameInfo{};
            info.file_size = static_cast<std::uint32_t>(size);
            info.status = kFrameNoValidFrame;
            ::close(fd);
            return info;
        }
        std::uint32_t h = 0;
        for (ssize_t i = 0; i < got; ++i)
            h = (h << 8) | first[i];
        position += static_cast<std::uint64_t>(got);
        bool valid = decode_frame_header(h, info);
        while (!valid && position < size) {
            std::uint8_t b = 0;
            if (::read(fd, &b, 1) != 1)
                break;
            ++position;
            h = (h << 8) | b;
            valid = decode_frame_header(h, info);
        }
        if (!valid) {
            info = FrameInfo{};
            info.file_size = static_cast<std::uint32_t>(size);
            info.status = kFrameNoValidFrame;
            ::close(fd);
            return info;
        }
        frame_start = position - 4;
        const std::int64_t remaining = static_cast<std::int64_t>(size) - static_cast<std::int64_t>(frame_start)
            - info.frame_length + 2 * info.protection;
        if (remaining > 0) {
            std::uint8_t next[4];
            ::lseek(fd, static_cast<off_t>(frame_start + info.frame_length), SEEK_SET);
            [[maybe_unused]] ssize_t n = ::read(fd, next, 4);
            break;
        }
        const std::uint32_t kept = info.file_size;
        info = FrameInfo{};
        info.file_size = kept;
    }
    std::uint8_t xing[256] = {};
    ::lseek(fd, static_cast<off_t>(frame_start + 36), SEEK_SET);
    [[maybe_unused]] ssize_t n = ::read(fd, xing, sizeof xing);
    if (std::memcmp(xing, "Xing", 4) == 0 && xing[7] == 15) {
        const std::uint32_t frames = (std::uint32_t(xing[8]) << 24) | (xing[9] << 16) | (xing[10] << 8) | xing[11];
        if (frames > 0) {
            info.frame_length = static_cast<std::uint16_t>(size / frames);
            const std::int64_t bit_rate = std::int64_t(info.frame_length) * info.sample_rate / 144000 - info.padding;
            info.bit_rate = static_cast<std::int32_t>(bit_rate);
            if (bit_rate > 0)
                info.duration = static_cast<std::uint16_t>(size * 8 / static_cast<std::uint64_t>(bit_rate * 1000));
        }
    }
    ::close(fd);
    return info;
}

void BM_FrameReader(benchmark::State& state)
{
    if (files().empty()) {
        state.SkipWithError("set VALMURI_BENCH_MP3_DIR to a folder of MP3 files");
        return;
    }
    for (auto _ : state)
        for (const auto& file : files())
            benchmark::DoNotOptimize(TFileInfo(file).read());
    state.counters["files"] = static_cast<double>(files().size());
}

void BM_ByteByByteReference(benchmark::State& state)
{
    if (files().empty()) {
        state.SkipWithError("set VALMURI_BENCH_MP3_DIR to a folder of MP3 files");
        return;
    }
    // Both readers must agree, or the comparison means nothing.
    for (const auto& file : files()) {
        const FrameInfo a = TFileInfo(file).read(), b = byte_by_byte(file);
        if (a.duration != b.duration || a.bit_rate != b.bit_rate || a.frame_length != b.frame_length
            || a.status != b.status) {
            state.SkipWithError(("the readers disagree on " + file.string()).c_str());
            return;
        }
    }
    for (auto _ : state)
        for (const auto& file : files())
            benchmark::DoNotOptimize(byte_by_byte(file));
}

BENCHMARK(BM_FrameReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ByteByByteReference)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
