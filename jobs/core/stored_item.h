#pragma once
// Stored items: small files kept zlib-compressed inside the program (the
// About box's sound, the drag cursor, autorun.inf, the song list's button
// pictures), extracted to a file or a byte string when needed.
//
// Stored data of an item: with clNone the file's bytes; otherwise a zlib
// stream whose content is the file's size (32-bit little-endian) followed by
// the file's bytes. The saved property "StoredItem" is a 32-bit little-endian
// length followed by the stored data.

#include "platform/number_format.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace valmuri::jobs {

enum class TCompressionLevel { clNone, clFastest, clDefault, clMax };

using Bytes = std::vector<std::uint8_t>;

class TmxStoredItem {
public:
    const std::string& Name() const { return name_; }
    const std::string& FileName() const { return file_name_; }
    std::uint32_t FileSize() const { return file_size_; }
    TCompressionLevel Compression() const { return compression_; }
    std::int32_t Tag() const { return tag_; }
    void SetTag(std::int32_t tag) { tag_ = tag; }
    void SetFileName(std::string file_name) { file_name_ = std::move(file_name); }
    // Bytes of the stored data.
    std::uint32_t Size() const { return static_cast<std::uint32_t>(data_.size()); }
    // Size ÷ FileSize × 100 with two decimals and "%", "100%" for an empty file.
    std::string Ratio(const NumberFormat& format = current_number_format()) const;

    const Bytes& stored_data() const { return data_; }

    // Re-encodes the stored data at the new level.
    void SetCompression(TCompressionLevel level);
    // Stores bytes at the item's level; an empty source leaves the item empty.
    void load_from_bytes(const Bytes& bytes);
    // False with an error text when the file cannot be read.
    bool load_from_file(const std::filesystem::path& path, std::string& error);

    // The file's bytes; nullopt when the stored data is damaged.
    std::optional<Bytes> extract() const;
    // Creates or overwrites the file; false with an error text on failure.
    bool extract_to_file(const std::filesystem::path& path, std::string& error) const;

    // The saved property "StoredItem"; the read form takes the level the
    // item was saved with and fails on a damaged property.
    Bytes save_property() const;
    bool load_property(const Bytes& property, TCompressionLevel level, std::uint32_t file_size);

private:
    friend class TmxStorage;
    std::string name_;
    std::string file_name_;
    std::uint32_t file_size_ = 0;
    TCompressionLevel compression_ = TCompressionLevel::clDefault;
    std::int32_t tag_ = 0;
    Bytes data_;
};

class TmxStorage {
public:
    static constexpr std::string_view kVersion = "1.2";
    static constexpr std::string_view kDuplicateName = "Duplicated stored item name";

    // A new item named "mxStoredItem%d" with the smallest number not in use.
    TmxStoredItem& add();
    std::size_t count() const { return items_.size(); }
    TmxStoredItem& item(std::size_t index) { return items_.at(index); }
    const TmxStoredItem& item(std::size_t index) const { return items_.at(index); }
    // The item of that name (letter case ignored), or nullptr.
    const TmxStoredItem* find(std::string_view name) const;
    // Names are unique without regard to letter case: false with
    // kDuplicateName as error when another item has the name.
    bool rename(std::size_t index, std::string name, std::string& error);

    std::uint64_t Size() const;
    std::uint64_t OriginalSize() const;
    std::string Ratio(const NumberFormat& format = current_number_format()) const;

private:
    std::vector<TmxStoredItem> items_;
};

// zlib level of a compression level.
int zlib_level(TCompressionLevel level);

// The ratio text shared by items and the storage.
std::string ratio_text(std::uint64_t stored, std::uint64_t original, const NumberFormat& format);

} // namespace valmuri::jobs
