#pragma once
// MPEG audio frame reader: finds the first frame header of an MP3 file and
// derives the track's duration from it (or from a "Xing" VBR header).
//
// The scan follows the player's rule byte for byte: the first 32-bit value
// with 11 sync bits that decodes to a complete header is the first frame,
// even inside an ID3v2 tag; the factor 144000 serves every version and layer.
// It reads the file through a buffer, not one system call per byte.

#include <cstdint>
#include <filesystem>
#include <string>

namespace valmuri::jobs {

// The record the reader fills for one file.
struct FrameInfo {
    std::uint16_t duration = 0;    // seconds (the low 16 bits of the 64-bit quotient)
    std::uint32_t file_size = 0;   // bytes of the whole file
    std::uint8_t version = 0;      // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5, 0 reserved
    std::uint8_t layer = 0;        // 1, 2, 3; 0 reserved
    std::uint32_t sample_rate = 0; // Hz
    std::int32_t bit_rate = 0;     // kbit/s
    std::uint8_t channel_mode = 0; // header bits 7-6
    std::uint8_t copyright = 0;    // header bit 3
    std::uint8_t original = 0;     // header bit 2
    std::uint8_t protection = 0;   // header bit 16
    std::uint8_t padding = 0;      // header bit 9
    std::uint16_t frame_length = 0; // bytes
    std::int32_t status = -1;
};

// FrameInfo::status values.
inline constexpr std::int32_t kFrameRead = -1;        // read (or a file of 5 bytes or less)
inline constexpr std::int32_t kFrameNoFile = 0;       // the file does not exist
inline constexpr std::int32_t kFrameCannotOpen = 1;   // it cannot be opened
inline constexpr std::int32_t kFrameNoValidFrame = 2; // no valid frame header in it

// Random access to the bytes being scanned; read() returns how many bytes it
// placed in out (fewer near the end, 0 at or past the end or on an error).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    virtual std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t count) = 0;
};

// Scans source for its first frame; status is kFrameRead or
// kFrameNoValidFrame (the caller handles missing and unreadable files).
FrameInfo read_frame_info(ByteSource& source);

// Decodes a 32-bit header value into info the way the scan does; true when
// version, layer, bit rate and sample rate are all non-zero. The duration
// uses info.file_size, which the caller sets first.
bool decode_frame_header(std::uint32_t header, FrameInfo& info);

class TFileInfo {
public:
    explicit TFileInfo(std::filesystem::path file_name);
    FrameInfo read() const;

private:
    std::filesystem::path file_name_;
};

// "mm:ss" of a duration in seconds; whole hours are left out (3725 s is "02:05").
std::string duration_mm_ss(std::uint32_t seconds);

} // namespace valmuri::jobs
