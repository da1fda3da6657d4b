#pragma once
// Scratch files for the job tests: a folder removed afterwards, MPEG frames
// built byte by byte, and MP3 files encoded by lame when it is installed.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace valmuri::test {

using ByteString = std::vector<std::uint8_t>;

class ScratchFolder {
public:
    ScratchFolder()
    {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() / ("valmuri-jobs-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    std::filesystem::path write(const std::string& relative, const ByteString& bytes) const
    {
        const auto full = path_ / relative;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return full;
    }

    std::filesystem::path write(const std::string& relative, const std::string& text) const
    {
        return write(relative, ByteString(text.begin(), text.end()));
    }

private:
    std::filesystem::path path_;
};

inline ByteString read_bytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return ByteString(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string read_text(const std::filesystem::path& path)
{
    const ByteString bytes = read_bytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline void put_header(ByteString& bytes, std::size_t at, std::uint32_t header)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(header >> (24 - 8 * i));
}

// MPEG-1 Layer III, no CRC, 44100 Hz, joint stereo: 0xFFFB9000 | bit-rate
// index << 12 | padding << 9.
inline std::uint32_t mpeg1_layer3(int bit_rate_index, bool padding = false)
{
    return 0xFFFB0000u | (static_cast<std::uint32_t>(bit_rate_index) << 12) | (padding ? 0x200u : 0u) | 0x40u;
}

// size bytes: a frame header every frame_length bytes from offset on, zeros between.
inline ByteString frames(std::size_t size, std::uint32_t header, std::size_t frame_length, std::size_t offset = 0)
{
    ByteString bytes(size, 0);
    for (std::size_t at = offset; at + 4 <= size; at += frame_length)
        put_header(bytes, at, header);
    return bytes;
}

// An ID3v2.3 tag of total size bytes (header included), filled with text.
inline ByteString id3v2_tag(std::size_t size)
{
    ByteString tag(size, 'T');
    const std::size_t body = size - 10;
    const std::uint8_t head[10] = {'I', 'D', '3', 3, 0, 0, static_cast<std::uint8_t>((body >> 21) & 0x7F),
        static_cast<std::uint8_t>((body >> 14) & 0x7F), static_cast<std::uint8_t>((body >> 7) & 0x7F),
        static_cast<std::uint8_t>(body & 0x7F)};
    std::copy(head, head + 10, tag.begin());
    return tag;
}

// A 16-bit PCM WAV of a sine tone.
inline ByteString sine_wav(double seconds, unsigned rate, unsigned channels)
{
    const std::uint32_t samples = static_cast<std::uint32_t>(seconds * rate);
    const std::uint32_t data = samples * channels * 2;
    ByteString wav;
    const auto le = [&wav](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            wav.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const auto text = [&wav](const char* t) {
        for (int i = 0; i < 4; ++i)
            wav.push_back(static_cast<std::uint8_t>(t[i]));
    };
    text("RIFF");
    le(36 + data, 4);
    text("WAVE");
    text("fmt ");
    le(16, 4);
    le(1, 2);
    le(channels, 2);
    le(rate, 4);
    le(rate * channels * 2, 4);
    le(channels * 2, 2);
    le(16, 2);
    text("data");
    le(data, 4);
    for (std::uint32_t i = 0; i < samples; ++i) {
        // A sweeping tone, so VBR frames differ in size.
        const double t = static_cast<double>(i) / rate;
        const auto v = static_cast<std::int16_t>(std::lround(12000 * std::sin(2 * M_PI * (220 + 400 * t) * t)));
        for (unsigned c = 0; c < channels; ++c)
            le(static_cast<std::uint16_t>(v), 2);
    }
    return wav;
}

inline bool have_lame()
{
    return std::system("lame --version >/dev/null 2>&1") == 0;
}

// Encodes a sine tone with lame and the given options; the MP3's path, or an
// empty path when lame failed.
inline std::filesystem::path lame_mp3(const ScratchFolder& folder, const std::string& name, const std::string& options,
    double seconds = 6, unsigned rate = 44100, unsigned channels = 2)
{
    const auto wav = folder.write(name + ".wav", sine_wav(seconds, rate, channels));
    const auto mp3 = folder.path() / (name + ".mp3");
    const std::string command
        = "lame --quiet " + options + " '" + wav.string() + "' '" + mp3.string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return {};
    return mp3;
}

} // namespace valmuri::test
