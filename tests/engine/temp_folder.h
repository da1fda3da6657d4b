#pragma once
// A scratch folder for one test, removed with everything in it afterwards.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace valmuri::test {

class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() / ("valmuri-test-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Writes a file of size bytes (a repeating pattern seeded by its name)
    // under the folder, creating its parents, and returns its full path.
    std::string file(const std::string& relative, std::uint64_t size = 0) const
    {
        const auto full = path_ / relative;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream out(full, std::ios::binary);
        std::uint32_t state = static_cast<std::uint32_t>(std::hash<std::string>{}(relative));
        std::string chunk(65536, '\0');
        for (std::uint64_t left = size; left > 0;) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
            for (std::size_t i = 0; i < n; ++i) {
                state = state * 1664525u + 1013904223u;
                chunk[i] = static_cast<char>(state >> 24);
            }
            out.write(chunk.data(), static_cast<std::streamsize>(n));
            left -= n;
        }
        return full.string();
    }

private:
    std::filesystem::path path_;
};

} // namespace valmuri::test
