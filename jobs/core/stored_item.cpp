#include "jobs/core/stored_item.h"

#include "platform/endian.h"
#include "platform/text.h"

#include <fstream>
#include <iterator>
#include <zlib.h>

namespace valmuri::jobs {
namespace {

Bytes deflate_bytes(const Bytes& content, int level)
{
    uLongf bound = compressBound(static_cast<uLong>(content.size()));
    Bytes out(bound);
    if (compress2(out.data(), &bound, content.data(), static_cast<uLong>(content.size()), level) != Z_OK)
        return {};
    out.resize(bound);
    return out;
}

// Inflates a whole zlib stream; nullopt when it is damaged or cut short.
std::optional<Bytes> inflate_bytes(const Bytes& stream)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return std::nullopt;
    Bytes out;
    std::uint8_t chunk[16384];
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        rc = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), chunk, chunk + (sizeof chunk - z.avail_out));
        if (rc == Z_BUF_ERROR && z.avail_in == 0)
            break;
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

Bytes encode(const Bytes& file, TCompressionLevel level)
{
    if (level == TCompressionLevel::clNone)
        return file;
    Bytes content(4 + file.size());
    put_le32(content.data(), static_cast<std::uint32_t>(file.size()));
    std::copy(file.begin(), file.end(), content.begin() + 4);
    return deflate_bytes(content, zlib_level(level));
}

std::optional<Bytes> decode(const Bytes& data, TCompressionLevel level)
{
    if (level == TCompressionLevel::clNone || data.empty())
        return data;
    auto content = inflate_bytes(data);
    if (!content || content->size() < 4 || get_le32(content->data()) != content->size() - 4)
        return std::nullopt;
    return Bytes(content->begin() + 4, content->end());
}

} // namespace

int zlib_level(TCompressionLevel level)
{
    switch (level) {
    case TCompressionLevel::clNone:
        return Z_NO_COMPRESSION;
    case TCompressionLevel::clFastest:
        return Z_BEST_SPEED;
    case TCompressionLevel::clDefault:
        return Z_DEFAULT_COMPRESSION;
    case TCompressionLevel::clMax:
        return Z_BEST_COMPRESSION;
    }
    return Z_DEFAULT_COMPRESSION;
}

std::string ratio_text(std::uint64_t stored, std::uint64_t original, const NumberFormat& format)
{
    if (original == 0)
        return "100%";
    return format_float("0.00", static_cast<double>(stored) / static_cast<double>(original) * 100.0, format) + "%";
}

std::string TmxStoredItem::Ratio(const NumberFormat& format) const
{
    return ratio_text(Size(), file_size_, format);
}

void TmxStoredItem::SetCompression(TCompressionLevel level)
{
    if (level == compression_)
        return;
    const auto file = extract();
    compression_ = level;
    if (file)
        data_ = file->empty() ? Bytes{} : encode(*file, level);
}

void TmxStoredItem::load_from_bytes(const Bytes& bytes)
{
    file_size_ = static_cast<std::uint32_t>(bytes.size());
    data_ = bytes.empty() ? Bytes{} : encode(bytes, compression_);
}

bool TmxStoredItem::load_from_file(const std::filesystem::path& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path.string();
        return false;
    }
    load_from_bytes(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    file_name_ = path.filename().string();
    return true;
}

std::optional<Bytes> TmxStoredItem::extract() const
{
    return decode(data_, compression_);
}

bool TmxStoredItem::extract_to_file(const std::filesystem::path& path, std::string& error) const
{
    const auto file = extract();
    if (!file) {
        error = "the stored item " + name_ + " is damaged";
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file->data()), static_cast<std::streamsize>(file->size()));
    out.close();
    if (!out) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

Bytes TmxStoredItem::save_property() const
{
    Bytes property(4 + data_.size());
    put_le32(property.data(), static_cast<std::uint32_t>(data_.size()));
    std::copy(data_.begin(), data_.end(), property.begin() + 4);
    return property;
}

bool TmxStoredItem::load_property(const Bytes& property, TCompressionLevel level, std::uint32_t file_size)
{
    if (property.size() < 4 || get_le32(property.data()) != property.size() - 4)
        return false;
    compression_ = level;
    file_size_ = file_size;
    data_.assign(property.begin() + 4, property.end());
    return true;
}

TmxStoredItem& TmxStorage::add()
{
    for (int n = 1;; ++n) {
        const std::string name = "mxStoredItem" + std::to_string(n);
        if (!find(name)) {
            items_.emplace_back();
            items_.back().name_ = name;
            return items_.back();
        }
    }
}

const TmxStoredItem* TmxStorage::find(std::string_view name) const
{
    for (const auto& item : items_)
        if (equals_ignore_ascii_case(item.name_, name))
            return &item;
    return nullptr;
}

bool TmxStorage::rename(std::size_t index, std::string name, std::string& error)
{
    const TmxStoredItem* other = find(name);
    if (other && other != &items_.at(index)) {
        error = std::string(kDuplicateName);
        return false;
    }
    items_.at(index).name_ = std::move(name);
    return true;
}

std::uint64_t TmxStorage::Size() const
{
    std::uint64_t sum = 0;
    for (const auto& item : items_)
        sum += item.Size();
    return sum;
}

std::uint64_t TmxStorage::OriginalSize() const
{
    std::uint64_t sum = 0;
    for (const auto& item : items_)
        sum += item.FileSize();
    return sum;
}

std::string TmxStorage::Ratio(const NumberFormat& format) const
{
    return ratio_text(Size(), OriginalSize(), format);
}

} // namespace valmuri::jobs
