#include "engine/path_table.h"

#include "engine/disc_name.h"
#include "platform/endian.h"

#include <algorithm>
#include <cstring>

namespace valmuri {
namespace {

std::string identifier_of(const TDEntry* dir, NameSet names)
{
    return names == NameSet::Iso ? dir->ShortName : ucs2_big_endian(dir->LongName);
}

// Breadth first: children of each numbered directory, sorted by key, get the
// next numbers.
void order_breadth_first(DiscTree& tree, std::vector<TDEntry*>& order, NameSet names)
{
    const auto& dirs = tree.Dirs();
    std::unordered_map<const TDEntry*, std::vector<TDEntry*>> children;
    children.reserve(dirs.size());
    for (std::size_t i = 1; i < dirs.size(); ++i)
        children[dirs[i]->Parent].push_back(dirs[i].get());

    order.clear();
    order.push_back(tree.Root());
    for (std::size_t next = 0; next < order.size(); ++next) {
        TDEntry* parent = order[next];
        if (names == NameSet::Iso)
            parent->Number = static_cast<std::int32_t>(next + 1);
        else
            parent->NumberJoliet = static_cast<std::int32_t>(next + 1);
        const auto found = children.find(parent);
        if (found == children.end())
            continue;
        auto& list = found->second;
        // The 8-bit forms: ISO short names, Joliet long names as stored.
        std::stable_sort(list.begin(), list.end(), [names](const TDEntry* a, const TDEntry* b) {
            return names == NameSet::Iso ? a->ShortName < b->ShortName : a->LongName < b->LongName;
        });
        order.insert(order.end(), list.begin(), list.end());
    }
}

} // namespace

void sort_path_tables(DiscTree& tree)
{
    order_breadth_first(tree, tree.IsoOrder(), NameSet::Iso);
    order_breadth_first(tree, tree.JolietOrder(), NameSet::Joliet);
}

std::uint32_t path_table_size(const std::vector<TDEntry*>& order, NameSet names)
{
    std::uint32_t size = 10; // the root: 8 bytes and a one-byte identifier with its fill
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::size_t n = names == NameSet::Iso ? order[i]->ShortName.size() : 2 * utf8_length(order[i]->LongName);
        size += static_cast<std::uint32_t>(8 + n + (n % 2));
    }
    return size;
}

void write_path_table(std::vector<std::uint8_t>& out, const std::vector<TDEntry*>& order, NameSet names,
                      ByteOrder byte_order, std::uint32_t base)
{
    const std::size_t start = out.size();
    for (std::size_t i = 0; i < order.size(); ++i) {
        const TDEntry* dir = order[i];
        const std::string identifier = i == 0 ? std::string(1, '\0') : identifier_of(dir, names);
        const std::uint32_t extent =
            base + static_cast<std::uint32_t>(names == NameSet::Iso ? dir->Location : dir->LocationJoliet);
        const auto parent = static_cast<std::uint16_t>(
            i == 0 ? 1 : (names == NameSet::Iso ? dir->Parent->Number : dir->Parent->NumberJoliet));

        PathTableRecord record{};
        record.identifier_length = static_cast<std::uint8_t>(identifier.size());
        if (byte_order == ByteOrder::Little) {
            put_le32(record.extent, extent);
            put_le16(record.parent_number, parent);
        } else {
            put_be32(record.extent, extent);
            put_be16(record.parent_number, parent);
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
        out.insert(out.end(), bytes, bytes + sizeof record);
        out.insert(out.end(), identifier.begin(), identifier.end());
        if (identifier.size() % 2 == 1)
            out.push_back(0);
    }
    const std::size_t written = out.size() - start;
    out.resize(out.size() + (2048 - written % 2048) % 2048, 0);
}

} // namespace valmuri
