#include "engine/disc_tree.h"

#include "engine/disc_name.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

namespace valmuri {
namespace {

constexpr std::int64_t MaxExtentBytes = 0xFFFFFFFFLL; // one ISO 9660 extent

std::string_view strip_trailing_backslash(std::string_view path)
{
    if (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    return path;
}

} // namespace

std::optional<SearchRecord> find_source_file(const std::string& path)
{
    struct stat st{};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    SearchRecord rec;
    const auto slash = path.rfind('/');
    rec.Name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (rec.Name.empty())
        return std::nullopt;
    rec.Size = st.st_size;
    rec.Time = dos_from_unix_time(st.st_mtim.tv_sec);
    rec.Attr = rec.Name.front() == '.' ? AttrHidden : 0;
    return rec;
}

std::string kept_source_folder(const std::string& source_file)
{
    std::string folder;
    if (source_file.size() >= 2 && source_file[0] == '\\' && source_file[1] == '\\') {
        // \\server\share\a\b\x: drop the server and the share.
        const std::string_view rest = std::string_view(source_file).substr(2);
        const auto server_end = rest.find('\\');
        const auto share_end = server_end == std::string_view::npos ? rest.npos : rest.find('\\', server_end + 1);
        folder = share_end == rest.npos ? std::string("\\") : std::string(rest.substr(share_end));
    } else if (source_file.size() >= 2 && source_file[1] == ':') {
        folder = source_file.substr(2);
    } else {
        std::error_code ec;
        std::string absolute = std::filesystem::absolute(source_file, ec).lexically_normal().string();
        if (ec)
            absolute = source_file;
        std::replace(absolute.begin(), absolute.end(), '/', '\\');
        folder = absolute;
    }
    const auto last = folder.rfind('\\');
    folder = last == std::string::npos ? std::string("\\") : folder.substr(0, last + 1);
    if (folder.empty() || folder.front() != '\\')
        folder.insert(folder.begin(), '\\');
    return folder;
}

DiscTree::DiscTree()
{
    ClearFiles();
}

DiscTree::~DiscTree() = default;

void DiscTree::debug(const std::string& message, std::uint8_t type) const
{
    if (OnDebug)
        OnDebug(message, type);
}

void DiscTree::ResetFileTree(int max_files, int max_dirs)
{
    files_.clear();
    dirs_.clear();
    iso_order_.clear();
    joliet_order_.clear();
    dir_by_path_.clear();
    // The root always needs its slot, and path tables number directories
    // with 16 bits.
    max_files_ = std::max(max_files, 0);
    max_dirs_ = std::clamp(max_dirs, 1, 65535);
    dirs_.reserve(static_cast<std::size_t>(std::min(max_dirs_, 1 << 16)));
    TDEntry* root = NewDirRecord();
    root->Parent = root;
    root->Path = "\\";
    root->ShortName = "CD_ROOT";
    root->LongName = "CD Root Directory";
}

TDEntry* DiscTree::NewDirRecord()
{
    if (DirCount() >= max_dirs_) {
        char text[80];
        std::snprintf(text, sizeof text, ">>> MAXIMUM DIRECTORIES CAN BE %d", max_dirs_);
        debug(text, 3);
        return nullptr;
    }
    dirs_.push_back(std::make_unique<TDEntry>());
    TDEntry* dir = dirs_.back().get();
    iso_order_.push_back(dir);
    joliet_order_.push_back(dir);
    return dir;
}

TFEntry* DiscTree::NewFileRecord()
{
    if (FileCount() >= max_files_) {
        char text[80];
        std::snprintf(text, sizeof text, "MAXIMUM FILES CAN BE %d", max_files_);
        debug(text, 3);
        return nullptr;
    }
    files_.push_back(std::make_unique<TFEntry>());
    return files_.back().get();
}

void DiscTree::append_node(TDEntry* dir, TFEntry* node)
{
    node->Next = nullptr;
    node->order_ = dir->next_order_++;
    if (dir->last_entry_)
        dir->last_entry_->Next = node;
    else
        dir->FirstEntry = node;
    dir->last_entry_ = node;
}

void DiscTree::index_name(TDEntry* dir, TFEntry* node)
{
    auto& bucket = dir->by_name_[upper_ascii(node->LongName)];
    const auto at = std::lower_bound(bucket.begin(), bucket.end(), node,
                                     [](const TFEntry* a, const TFEntry* b) { return a->order_ < b->order_; });
    bucket.insert(at, node);
}

void DiscTree::unindex_name(TDEntry* dir, TFEntry* node)
{
    const auto found = dir->by_name_.find(upper_ascii(node->LongName));
    if (found == dir->by_name_.end())
        return;
    auto& bucket = found->second;
    bucket.erase(std::remove(bucket.begin(), bucket.end(), node), bucket.end());
    if (bucket.empty())
        dir->by_name_.erase(found);
}

TDateTime DiscTree::date_of(std::uint32_t dos) const
{
    if (const auto value = date_time_from_dos(dos))
        return *value;
    return Now();
}

TDEntry* DiscTree::FindDir(std::string_view path) const
{
    if (path.empty() || path == "\\")
        return Root();
    const auto found = dir_by_path_.find(upper_ascii(strip_trailing_backslash(path)));
    return found == dir_by_path_.end() ? nullptr : found->second;
}

TFEntry* DiscTree::FindFileEntry(const TDEntry* dir, std::string_view name) const
{
    if (dir == nullptr)
        return nullptr;
    const auto found = dir->by_name_.find(upper_ascii(name));
    return found == dir->by_name_.end() || found->second.empty() ? nullptr : found->second.front();
}

TDEntry* DiscTree::CreateDirPath(std::string_view path)
{
    if (TDEntry* existing = FindDir(path))
        return existing;
    const auto last = path.rfind('\\');
    const std::string_view parent_path = last == path.npos ? std::string_view() : path.substr(0, last);
    const std::string_view name = last == path.npos ? path : path.substr(last + 1);
    TDEntry* parent = FindDir(parent_path);
    if (parent == nullptr)
        parent = CreateDirPath(parent_path);
    if (name.empty() || parent == nullptr)
        return nullptr;
    return CreateDir(parent, name, AttrDirectory);
}

TDEntry* DiscTree::CreateDir(TDEntry* parent, std::string_view name, std::uint32_t attr)
{
    if (parent == nullptr)
        return nullptr;
    if (!name.empty() && name.front() == '\\')
        name.remove_prefix(1);
    if (!name.empty() && name.back() == '\\')
        name.remove_suffix(1);
    SearchRecord rec;
    rec.Name = std::string(name);
    rec.Time = dos_from_date_time(Now());
    rec.Attr = attr;
    rec.AlternateName = directory_alternate_name(name);
    return AddDirEntry(parent, rec);
}

TDEntry* DiscTree::AddDirEntry(TDEntry* parent, const SearchRecord& rec)
{
    if (parent == nullptr)
        return nullptr;
    std::string full = parent->Path + "\\" + rec.Name;
    if (full.starts_with("\\\\"))
        full.erase(0, 1);
    if (TDEntry* existing = FindDir(full))
        return existing;
    // A name whose Joliet record would not fit 255 bytes cannot be written.
    if (!fits_joliet_record(rec.Name, false))
        return nullptr;

    TDEntry* dir = NewDirRecord();
    if (dir == nullptr)
        return nullptr;
    TFEntry* node = NewFileRecord();
    if (node == nullptr) {
        iso_order_.pop_back();
        joliet_order_.pop_back();
        dirs_.pop_back();
        return nullptr;
    }

    const std::string short_name = rec.AlternateName.empty() ? upper_ascii(rec.Name) : rec.AlternateName;
    dir->Parent = parent;
    dir->LongName = rec.Name;
    dir->ShortName = fit_iso_short_name(upper_ascii(short_name), false);
    dir->Path = upper_ascii(full);
    node->LongName = rec.Name;
    node->ShortName = dir->ShortName;
    node->Attr = rec.Attr;
    node->Dir = dir;
    node->DateTime = date_of(rec.Time);
    append_node(parent, node);
    index_name(parent, node);
    dir_by_path_.emplace(dir->Path, dir);
    return dir;
}

bool DiscTree::AddFileEntry(TDEntry* dir, const SearchRecord& rec, std::int32_t existing_location,
                            const std::string& source_path)
{
    if (dir == nullptr)
        return false;
    std::string long_name = rec.Name;
    if ((rec.Attr & AttrDirectory) == 0 && long_name.find('.') == std::string::npos)
        long_name += '.';
    TFEntry* existing = FindFileEntry(dir, long_name);
    std::string short_name = rec.AlternateName.empty() ? upper_ascii(long_name) : rec.AlternateName;
    TDateTime date_time = date_of(rec.Time);
    const bool replace = existing != nullptr && replace_file_;

    if (rec.Size > MaxExtentBytes) {
        debug("FILE TOO LARGE FOR THE DISC (4 GB OR MORE) \"" + (source_path.empty() ? rec.Name : source_path) + "\"",
              4);
        return false;
    }
    bool skip = !fits_joliet_record(long_name, true);
    if (OnAddFile)
        OnAddFile(source_path, long_name, short_name, date_time, rec.Attr, rec.Size, skip);
    if (skip || !fits_joliet_record(long_name, true))
        return false;

    TFEntry* node = nullptr;
    if (replace) {
        // A folder's node is never turned into a file: its folder record would be lost.
        if (existing->Dir != nullptr)
            return false;
        node = existing;
        unindex_name(dir, node);
    } else if (existing != nullptr) {
        return false;
    } else {
        node = NewFileRecord();
        if (node == nullptr)
            return false;
        append_node(dir, node);
    }

    node->ShortName = fit_iso_short_name(upper_ascii(short_name), true);
    node->LongName = long_name;
    node->Size = rec.Size;
    node->SizeJoliet = rec.Size;
    node->Attr = rec.Attr;
    node->DateTime = date_time;
    node->SourcePath = source_path;
    node->Imported = existing_location != 0;
    if (node->Imported) {
        node->Location = existing_location;
        node->LocationJoliet = existing_location;
    }
    index_name(dir, node);
    return true;
}

int DiscTree::InsertFile(const std::string& destination_path, const std::string& source_file, bool keep_source_path)
{
    TDEntry* destination = nullptr;
    if (keep_source_path) {
        const std::string folder = kept_source_folder(source_file);
        CreateDirPath(folder);
        destination = FindDir(folder);
    } else {
        destination = FindDir(destination_path);
    }
    if (destination == nullptr) {
        debug("INVALID DESTINATION PATH", 4);
        return 0;
    }
    const auto rec = find_source_file(source_file);
    if (!rec)
        return -1;
    AddFileEntry(destination, *rec, 0, source_file);
    return 1;
}

bool DiscTree::RenameFileEntry(std::string_view dir_path, std::string_view file_name, std::string_view short_name,
                               std::string_view long_name)
{
    TDEntry* dir = FindDir(dir_path);
    TFEntry* node = FindFileEntry(dir, file_name);
    if (node == nullptr)
        return false;
    // A name whose Joliet record would not fit 255 bytes cannot be written.
    if (!fits_joliet_record(long_name, node->Dir == nullptr))
        return false;
    const std::string_view wanted = short_name.empty() ? long_name : short_name;
    if (utf8_length(wanted) > 13)
        return false;
    // Two records of one name in a folder: readers would show only one.
    const auto same = dir->by_name_.find(upper_ascii(long_name));
    if (same != dir->by_name_.end()
        && std::any_of(same->second.begin(), same->second.end(), [&](const TFEntry* other) { return other != node; }))
        return false;
    // Refused renames change nothing; only a complete one is applied.
    unindex_name(dir, node);
    node->LongName = std::string(long_name);
    index_name(dir, node);
    node->ShortName = upper_ascii(wanted);
    return true;
}

} // namespace valmuri
