#include "engine/session_import.h"

#include "engine/burner.h"
#include "engine/device_disc_reader.h"
#include "engine/disc_name.h"

#include <array>
#include <climits>
#include <unordered_set>

namespace valmuri {

namespace {

using iso_reader::DescriptorType;
using iso_reader::DirectoryEntry;
using iso_reader::NameEncoding;
using iso_reader::SectorSize;
using iso_reader::VolumeDescriptor;

constexpr std::uint32_t FirstDescriptorSector = 16;
constexpr std::uint32_t DescriptorSectors = 21;
constexpr std::uint32_t PathTableChunkSectors = 16;

std::uint64_t sectors_for(std::uint64_t bytes)
{
    return (bytes + SectorSize - 1) / SectorSize;
}

// Walks one volume's directory tree from its root into the node list.
class VolumeWalk {
public:
    // Writers differ on whether a later session's volume space size counts
    // from the start of the disc or of the session; the larger end is allowed.
    VolumeWalk(DiscReader& disc, std::uint32_t session_start, const VolumeDescriptor& volume,
        const ImportMessage& message, const SessionReadLimits& limits, std::vector<ImportedNode>& nodes)
        : disc_(disc)
        , volume_(volume)
        , volume_end_(std::uint64_t{session_start} + volume.volume_space_size)
        , message_(message)
        , limits_(limits)
        , nodes_(nodes)
        , encoding_(volume.joliet ? NameEncoding::Joliet : NameEncoding::Iso)
    {
    }

    // False when the volume is damaged in a way that makes its tree untrustworthy.
    bool run()
    {
        const auto depth = path_table_depth();
        if (!depth)
            return false;
        if (!claim_directory(volume_.root_extent, volume_.root_length))
            return false;

        struct Frame {
            std::vector<DirectoryEntry> entries;
            std::size_t next = 0;
            int node = -1;
        };
        std::vector<Frame> frames;
        frames.push_back({read_directory(volume_.root_extent, volume_.root_length), 0, -1});

        while (!frames.empty()) {
            Frame& frame = frames.back();
            if (frame.next == frame.entries.size()) {
                frames.pop_back();
                continue;
            }
            if (nodes_.size() >= limits_.max_nodes)
                return true;   // the disc tree cannot take more; it reports its own limit
            DirectoryEntry entry = std::move(frame.entries[frame.next++]);
            const int parent = frame.node;
            if (!entry.is_directory()) {
                if (file_in_volume(entry))
                    nodes_.push_back({std::move(entry), parent});
                continue;
            }
            if (frames.size() + 1 > *depth)
                return false;
            if (!claim_directory(entry.extent, entry.length))
                return false;
            auto contents = read_directory(entry.extent, entry.length);
            nodes_.push_back({std::move(entry), parent});
            frames.push_back({std::move(contents), 0, static_cast<int>(nodes_.size() - 1)});
        }
        return true;
    }

private:
    bool in_volume(std::uint64_t first, std::uint64_t sectors) const
    {
        return first + sectors <= volume_end_;
    }

    bool file_in_volume(const DirectoryEntry& entry) const
    {
        return entry.length == 0 || in_volume(entry.extent, sectors_for(entry.length));
    }

    // A directory extent is read once, must lie inside the volume, and all
    // of them together cannot outgrow it: directories never share sectors.
    bool claim_directory(std::uint32_t extent, std::uint32_t length)
    {
        const std::uint64_t sectors = sectors_for(length);
        if (!in_volume(extent, sectors))
            return false;
        if (!visited_.insert(extent).second)
            return false;
        directory_sectors_ += sectors;
        return directory_sectors_ <= volume_end_;
    }

    // Levels the path table allows, or none when it cannot be read or is damaged.
    std::optional<std::uint32_t> path_table_depth()
    {
        const std::uint32_t size = volume_.path_table_size;
        if (size == 0 || size > limits_.max_path_table_bytes)
            return std::nullopt;
        const std::uint64_t sectors = sectors_for(size);
        if (!in_volume(volume_.path_table_l, sectors))
            return std::nullopt;
        std::vector<std::uint8_t> table(sectors * SectorSize);
        for (std::uint64_t done = 0; done < sectors; done += PathTableChunkSectors) {
            const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(PathTableChunkSectors, sectors - done));
            if (!disc_.read_sectors(static_cast<std::uint32_t>(volume_.path_table_l + done), count,
                    table.data() + done * SectorSize))
                return std::nullopt;
        }
        const auto shape = iso_reader::parse_path_table(std::span(table.data(), size));
        if (!shape)
            return std::nullopt;
        return shape->depth;
    }

    // The entries of one directory extent, in disc order. An unreadable
    // sector leaves out the rest of the directory. Reading stops once the
    // walk holds as many entries as the disc tree could take: sectors past
    // that (records of at most 255 bytes) could add nothing it keeps.
    std::vector<DirectoryEntry> read_directory(std::uint32_t extent, std::uint32_t length)
    {
        std::vector<DirectoryEntry> entries;
        std::array<std::uint8_t, SectorSize> sector;
        const std::uint64_t most_useful = sectors_for(std::uint64_t{limits_.max_nodes} * 255);
        const std::uint64_t sectors = std::min(sectors_for(length), most_useful);
        for (std::uint64_t i = 0; i < sectors && entries_read_ < limits_.max_nodes; ++i) {
            if (!disc_.read_sectors(static_cast<std::uint32_t>(extent + i), 1, sector.data()))
                break;
            auto parsed = iso_reader::parse_directory_sector(sector, encoding_);
            for (const std::string& name : parsed.names_too_long) {
                if (message_)
                    message_("ERROR IMPORTING SESSION, FILE NAME LENGTH EXCEEDS 120 CHARS\n\r" + name, 4);
            }
            for (auto& entry : parsed.entries)
                entries.push_back(std::move(entry));
            entries_read_ += parsed.entries.size();
        }
        return entries;
    }

    DiscReader& disc_;
    const VolumeDescriptor& volume_;
    std::uint64_t volume_end_;
    const ImportMessage& message_;
    const SessionReadLimits& limits_;
    std::vector<ImportedNode>& nodes_;
    NameEncoding encoding_;
    std::unordered_set<std::uint32_t> visited_;
    std::uint64_t directory_sectors_ = 0;
    std::uint64_t entries_read_ = 0;
};

// The volume to import from the descriptors of a session starting at start:
// a Joliet volume when there is one, else the primary volume.
std::optional<VolumeDescriptor> find_volume(DiscReader& disc, std::uint32_t start)
{
    std::optional<VolumeDescriptor> primary;
    std::array<std::uint8_t, SectorSize> sector;
    for (std::uint32_t i = 0; i < DescriptorSectors; ++i) {
        const std::uint64_t lba = std::uint64_t{start} + FirstDescriptorSector + i;
        if (lba > UINT32_MAX)
            break;
        if (!disc.read_sectors(static_cast<std::uint32_t>(lba), 1, sector.data()))
            continue;
        const auto type = iso_reader::descriptor_type(sector);
        if (!type)
            continue;
        if (*type == DescriptorType::Terminator)
            break;
        const auto volume = iso_reader::parse_volume_descriptor(sector);
        if (!volume)
            continue;
        if (volume->joliet)
            return volume;
        if (volume->type == DescriptorType::Primary && !primary)
            primary = volume;
    }
    return primary;
}

} // namespace

std::optional<ImportedSession> read_previous_session(
    DiscReader& disc, int session, const ImportMessage& message, const SessionReadLimits& limits)
{
    auto send = [&](const std::string& text, std::uint8_t type) {
        if (message)
            message(text, type);
    };
    const int count = disc.session_count();
    if (count <= 0)
        return std::nullopt;
    if (session == -1 || session > count)
        session = count;
    if (session == 0)
        return std::nullopt;
    const std::string failed = ">>> ERROR IMPORTING SESSION # " + std::to_string(session);
    if (session < 0) {
        send(failed, 4);
        return std::nullopt;
    }
    send(">>> IMPORTING SESSION # " + std::to_string(session), 1);

    const auto start = disc.session_start(session);
    if (!start) {
        send(failed, 4);
        return std::nullopt;
    }
    const auto volume = find_volume(disc, *start);
    if (!volume) {
        send(">>> ERROR IMPORTING SESSION " + std::to_string(session) + " (ISO IMAGE NOT FOUND)", 4);
        return std::nullopt;
    }

    ImportedSession imported;
    imported.session = session;
    imported.joliet = volume->joliet;
    VolumeWalk walk(disc, *start, *volume, message, limits, imported.nodes);
    if (!walk.run()) {
        send(failed, 4);
        return std::nullopt;
    }
    return imported;
}

namespace {

bool leap_year(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(int year, int month)
{
    static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap_year(year) ? 29 : Days[month - 1];
}

std::uint32_t attributes_of(const DirectoryEntry& entry)
{
    return (entry.is_directory() ? AttrDirectory : 0) | (entry.is_hidden() ? AttrHidden : 0);
}

// The long name the tree gives a file: a name without "." gets one.
std::string file_long_name(const std::string& name)
{
    return name.find('.') == std::string::npos ? name + "." : name;
}

} // namespace

TDateTime imported_date_time(const iso_reader::RecordingDate& date)
{
    CivilTime time;
    if (date.hour < 24 && date.minute < 60 && date.second < 60) {
        time.hour = date.hour;
        time.minute = date.minute;
        time.second = date.second;
    }
    const int year = 1900 + date.years_since_1900;
    if (date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= days_in_month(year, date.month)) {
        time.year = year;
        time.month = date.month;
        time.day = date.day;
    }
    return encode_date_time(time);
}

void add_imported_session(DiscTree& tree, const ImportedSession& session, TDEntry* into)
{
    if (into == nullptr)
        into = tree.Root();
    // The folder each directory node became; none when it was left out,
    // which leaves out everything below it.
    std::vector<TDEntry*> folders(session.nodes.size(), nullptr);
    for (std::size_t i = 0; i < session.nodes.size(); ++i) {
        const ImportedNode& node = session.nodes[i];
        TDEntry* parent = node.parent < 0 ? into : folders[static_cast<std::size_t>(node.parent)];
        if (parent == nullptr)
            continue;
        const DirectoryEntry& entry = node.entry;

        SearchRecord record;
        record.Name = entry.name;
        record.AlternateName = directory_alternate_name(entry.name);
        record.Size = entry.length;
        record.Attr = attributes_of(entry);
        const TDateTime date_time = imported_date_time(entry.date);
        record.Time = dos_from_date_time(date_time);

        const int files_before = tree.FileCount();
        if (entry.is_directory()) {
            const TFEntry* existing = tree.FindFileEntry(parent, entry.name);
            if (existing != nullptr && existing->Dir == nullptr)
                continue;
            folders[i] = tree.AddDirEntry(parent, record);
            if (folders[i] != nullptr && existing == nullptr && tree.FileCount() > files_before)
                tree.Files().back()->DateTime = date_time;
            continue;
        }
        // Extents are kept as signed 32-bit sector numbers.
        if (entry.extent > static_cast<std::uint32_t>(INT32_MAX))
            continue;
        if (tree.FindFileEntry(parent, file_long_name(entry.name)) != nullptr)
            continue;
        if (!tree.AddFileEntry(parent, record, static_cast<std::int32_t>(entry.extent), std::string()))
            continue;
        if (tree.FileCount() > files_before) {
            // An empty file may lie at sector 0; it is imported all the same,
            // since there is no source to read it from.
            TFEntry* file = tree.Files().back().get();
            file->Imported = true;
            file->Location = static_cast<std::int32_t>(entry.extent);
            file->LocationJoliet = static_cast<std::int32_t>(entry.extent);
            file->DateTime = date_time;
        }
    }
}

bool ImportPreviousSession(DiscTree& tree, DiscReader& disc, std::int8_t session, TDEntry* into,
    const ImportMessage& message)
{
    const auto imported = read_previous_session(disc, session, message);
    if (!imported)
        return false;
    add_imported_session(tree, *imported, into);
    return true;
}

bool ImportPreviousSession(TVordaCDBurner& burner, std::int8_t session, TDEntry* into)
{
    DeviceDiscReader disc(burner);
    return ImportPreviousSession(burner.Tree(), disc, session, into,
        [&burner](const std::string& text, std::uint8_t type) { burner.DebugMessage(text, type); });
}

} // namespace valmuri
