#pragma once
// What the session import needs from a disc: its closed sessions, where each
// one starts, and 2048-byte sectors by absolute address. The burner reads a
// real drive through it; tests and the fuzz target read disc images.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace valmuri {

class DiscReader {
public:
    static constexpr std::uint32_t SectorSize = 2048;

    virtual ~DiscReader() = default;

    // Number of closed sessions; 0 when the disc cannot be read or is empty.
    virtual int session_count() = 0;

    // First sector of the (single) track of session 1..n, or none when the
    // track information cannot be read.
    virtual std::optional<std::uint32_t> session_start(int session) = 0;

    // Reads count whole sectors starting at lba into buffer, which holds at
    // least count * SectorSize bytes. False when any of them cannot be read.
    virtual bool read_sectors(std::uint32_t lba, std::uint32_t count, std::uint8_t* buffer) = 0;
};

// A disc held as bytes in memory: sector n is at byte n * 2048. Sessions are
// given by their start sectors, in ascending order; a plain image is one
// session at sector 0.
class MemoryDiscReader : public DiscReader {
public:
    explicit MemoryDiscReader(std::span<const std::uint8_t> bytes, std::vector<std::uint32_t> session_starts = {0});

    int session_count() override;
    std::optional<std::uint32_t> session_start(int session) override;
    bool read_sectors(std::uint32_t lba, std::uint32_t count, std::uint8_t* buffer) override;

private:
    std::span<const std::uint8_t> bytes_;
    std::vector<std::uint32_t> session_starts_;
};

// A disc image file read on demand. A partial last sector reads as
// zero-filled; sectors past the end of the file cannot be read.
class ImageFileDiscReader : public DiscReader {
public:
    explicit ImageFileDiscReader(const std::string& path, std::vector<std::uint32_t> session_starts = {0});
    ~ImageFileDiscReader() override;
    ImageFileDiscReader(const ImageFileDiscReader&) = delete;
    ImageFileDiscReader& operator=(const ImageFileDiscReader&) = delete;

    bool is_open() const { return file_ != nullptr; }

    int session_count() override;
    std::optional<std::uint32_t> session_start(int session) override;
    bool read_sectors(std::uint32_t lba, std::uint32_t count, std::uint8_t* buffer) override;

private:
    std::FILE* file_ = nullptr;
    std::uint64_t file_size_ = 0;
    std::vector<std::uint32_t> session_starts_;
};

} // namespace valmuri
