#pragma once
// Hand-built disc images for reader tests: just the descriptors, path table
// and directory records a case needs, placed at chosen sectors, so damaged
// structures can be made precisely.

#include "platform/endian.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace valmuri::test {

class TestDisc {
public:
    explicit TestDisc(std::uint32_t sectors)
        : bytes_(std::size_t{sectors} * 2048, 0)
    {
    }

    std::uint8_t* sector(std::uint32_t lba) { return bytes_.data() + std::size_t{lba} * 2048; }
    std::span<const std::uint8_t> bytes() const { return bytes_; }
    std::vector<std::uint8_t>& data() { return bytes_; }

    // A primary (type 1) or supplementary (type 2) descriptor.
    void volume_descriptor(std::uint32_t lba, std::uint8_t type, std::uint32_t volume_size, std::uint32_t path_table,
        std::uint32_t path_table_size, std::uint32_t root, std::uint32_t root_length, bool joliet_escape = false)
    {
        std::uint8_t* s = sector(lba);
        s[0] = type;
        std::memcpy(s + 1, "CD001", 5);
        s[6] = 1;
        put_both32(s + 80, volume_size);
        if (joliet_escape) {
            s[88] = 0x25;
            s[89] = 0x2F;
            s[90] = 0x45;
        }
        put_both32(s + 132, path_table_size);
        put_le32(s + 140, path_table);
        std::uint8_t* root_record = s + 156;
        root_record[0] = 34;
        put_both32(root_record + 2, root);
        put_both32(root_record + 10, root_length);
        root_record[25] = 2;
        root_record[32] = 1;
    }

    void terminator(std::uint32_t lba)
    {
        std::uint8_t* s = sector(lba);
        s[0] = 255;
        std::memcpy(s + 1, "CD001", 5);
        s[6] = 1;
    }

    // A type L path table of directories given by their parent numbers (the
    // root first, its own parent 1). Returns its size in bytes.
    std::uint32_t path_table(std::uint32_t lba, const std::vector<std::uint16_t>& parents)
    {
        std::uint8_t* p = sector(lba);
        std::uint32_t size = 0;
        for (std::size_t i = 0; i < parents.size(); ++i) {
            p[size] = 1;
            put_le16(p + size + 6, parents[i]);
            p[size + 8] = i == 0 ? 0 : static_cast<std::uint8_t>('A' + i % 26);
            size += 10;
        }
        return size;
    }

    // A directory record at offset of sector lba; returns the next offset.
    std::size_t record(std::uint32_t lba, std::size_t offset, const std::string& identifier, std::uint32_t extent,
        std::uint32_t length, std::uint8_t flags)
    {
        std::uint8_t* r = sector(lba) + offset;
        const std::size_t size = 33 + identifier.size() + (identifier.size() % 2 == 0 ? 1 : 0);
        r[0] = static_cast<std::uint8_t>(size);
        put_both32(r + 2, extent);
        put_both32(r + 10, length);
        r[18] = 126;
        r[19] = 12;
        r[20] = 8;
        r[25] = flags;
        put_both16(r + 28, 1);
        r[32] = static_cast<std::uint8_t>(identifier.size());
        std::memcpy(r + 33, identifier.data(), identifier.size());
        return offset + size;
    }

    // "." and ".." of a directory; returns the offset after them.
    std::size_t dot_records(std::uint32_t lba, std::uint32_t self, std::uint32_t parent)
    {
        std::size_t offset = record(lba, 0, std::string(1, '\0'), self, 2048, 2);
        return record(lba, offset, std::string(1, '\1'), parent, 2048, 2);
    }

private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace valmuri::test
