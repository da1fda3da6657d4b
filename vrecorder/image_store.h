#pragma once
// The disc image file: block n of the disc is at byte n × 2048, so a
// single-session disc is a plain ISO file. Unwritten blocks read as zeros.
// Writes go to the page cache like any file copy; the recorder never waits
// for the host disk (reads through the same file see them at once).

#include <cstdint>
#include <filesystem>

namespace valmuri::vrecorder {

class ImageStore {
public:
    ImageStore() = default;
    explicit ImageStore(std::filesystem::path image) : path_(std::move(image)) {}
    ~ImageStore();
    ImageStore(const ImageStore&) = delete;
    ImageStore& operator=(const ImageStore&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void set_path(std::filesystem::path image);
    bool exists() const;
    // Whole blocks the file holds, a partial last block counted.
    std::uint64_t size_blocks() const;

    bool read(std::uint32_t lba, std::uint32_t blocks, std::uint8_t* out);
    // Creates the file (and its folder) at the first write.
    bool write(std::uint32_t lba, std::uint32_t blocks, const std::uint8_t* data);
    // Deletes the image; the disc is blank again.
    void remove();

private:
    bool open_for_write();
    void close();

    std::filesystem::path path_;
    int fd_ = -1;
};

} // namespace valmuri::vrecorder
