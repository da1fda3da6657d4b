#pragma once
// The tree of folders and files that the next disc image will hold.
//
// Folders live in a directory table (index 0 is the root) and files and
// subfolders in a file table, both with fixed capacities. Every folder also
// appears as a TFEntry node in its parent's content list, which keeps the
// order of insertion; the disc shows that order. Every node carries a short
// name (the ISO 9660 identifier) and a long name (the Joliet identifier).

#include "engine/date_time.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace valmuri {

// Attributes of a node as the file system reports them.
constexpr std::uint32_t AttrHidden = 0x02;
constexpr std::uint32_t AttrDirectory = 0x10;

constexpr int DefaultMaxFiles = 65535;
constexpr int DefaultMaxDirs = 8191;

struct TFEntry;

struct TDEntry {
    std::string ShortName;           // ISO 9660 identifier, upper case
    std::string LongName;            // Joliet identifier
    std::int64_t Size = 0;           // ISO extent length in bytes, whole sectors
    std::int64_t SizeJoliet = 0;     // Joliet extent length in bytes
    std::string Path;                // "\" for the root, else "\A\B" in upper case; the lookup key
    std::int32_t Location = 0;       // ISO extent, relative to the first directory sector
    std::int32_t LocationJoliet = 0; // Joliet extent, relative to the first Joliet directory sector
    std::int32_t Number = 0;         // position in the ISO path table, from 1
    std::int32_t NumberJoliet = 0;   // position in the Joliet path table, from 1
    TDEntry* Parent = nullptr;       // the root is its own parent
    TFEntry* FirstEntry = nullptr;   // content list in insertion order

    // Kept by DiscTree: the list's tail and the nodes by upper-cased long
    // name, each bucket in list order.
    TFEntry* last_entry_ = nullptr;
    std::uint64_t next_order_ = 0;
    std::unordered_map<std::string, std::vector<TFEntry*>> by_name_;
};

struct TFEntry {
    std::string ShortName;           // ISO 9660 name without ";1", upper case
    std::string LongName;            // Joliet name without ";1"
    std::string SourcePath;          // empty for folders and imported entries
    bool Imported = false;           // data already on the disc; Location is absolute
    TDateTime DateTime = 0;          // recording date, local time
    std::int64_t Size = 0;           // data length of the ISO record
    std::int64_t SizeJoliet = 0;     // data length of the Joliet record
    std::int32_t Location = 0;       // files: relative to the first file sector
    std::int32_t LocationJoliet = 0;
    std::uint32_t Attr = 0;          // AttrDirectory, AttrHidden
    TDEntry* Dir = nullptr;          // the folder record of a subfolder node
    TFEntry* Next = nullptr;         // next node of the same folder

    std::uint64_t order_ = 0;        // position in the folder's list, kept by DiscTree
};

// What the tree takes from a directory search (or from a disc being
// imported): one file or folder.
struct SearchRecord {
    std::uint32_t Time = 0;          // MS-DOS date-time, local
    std::int64_t Size = 0;
    std::uint32_t Attr = 0;
    std::string Name;                // long name
    std::string AlternateName;       // 8.3 alias, empty when there is none
};

// The source file as a directory search finds it: none when it does not
// exist or is not a regular file (folders, devices and pipes are refused).
std::optional<SearchRecord> find_source_file(const std::string& path);

class DiscTree {
public:
    // Debug messages of the tree: the text and its type (3 a table limit,
    // 4 an invalid request).
    using DebugSink = std::function<void(const std::string& message, std::uint8_t type)>;
    // Called for every file the tree is about to take; may change the names,
    // the date and skip the file.
    using AddFileHandler = std::function<void(const std::string& full_path, std::string& long_name,
                                              std::string& short_name, TDateTime& date_time, std::uint32_t attr,
                                              std::int64_t file_size, bool& skip)>;

    DiscTree();
    ~DiscTree();
    DiscTree(const DiscTree&) = delete;
    DiscTree& operator=(const DiscTree&) = delete;

    // Empties the tree, sets the capacities and creates the root.
    void ResetFileTree(int max_files, int max_dirs);
    void ClearFiles() { ResetFileTree(DefaultMaxFiles, DefaultMaxDirs); }

    // 1: the source was found and offered to the tree (taken or not);
    // 0: the destination folder does not exist; -1: no such source file.
    int InsertFile(const std::string& destination_path, const std::string& source_file, bool keep_source_path);
    bool RenameFileEntry(std::string_view dir_path, std::string_view file_name, std::string_view short_name,
                         std::string_view long_name);

    TDEntry* FindDir(std::string_view path) const;
    TFEntry* FindFileEntry(const TDEntry* dir, std::string_view name) const;
    TDEntry* CreateDirPath(std::string_view path);
    TDEntry* CreateDir(TDEntry* parent, std::string_view name, std::uint32_t attr);
    TDEntry* AddDirEntry(TDEntry* parent, const SearchRecord& rec);
    bool AddFileEntry(TDEntry* dir, const SearchRecord& rec, std::int32_t existing_location,
                      const std::string& source_path);

    TDEntry* Root() const { return dirs_.front().get(); }
    // Directory table, root first, and the file table, both in creation order.
    const std::vector<std::unique_ptr<TDEntry>>& Dirs() const { return dirs_; }
    const std::vector<std::unique_ptr<TFEntry>>& Files() const { return files_; }
    // The folders in path table order (sorted by the layout).
    std::vector<TDEntry*>& IsoOrder() { return iso_order_; }
    std::vector<TDEntry*>& JolietOrder() { return joliet_order_; }
    const std::vector<TDEntry*>& IsoOrder() const { return iso_order_; }
    const std::vector<TDEntry*>& JolietOrder() const { return joliet_order_; }

    int FileCount() const { return static_cast<int>(files_.size()); }
    int DirCount() const { return static_cast<int>(dirs_.size()); }
    int MaxFiles() const { return max_files_; }
    int MaxDirs() const { return max_dirs_; }

    // A new file whose long name is already in its folder replaces that node.
    bool ReplaceFile() const { return replace_file_; }
    void SetReplaceFile(bool value) { replace_file_ = value; }

    AddFileHandler OnAddFile;
    DebugSink OnDebug;
    // Source of "now" for nodes whose date cannot be converted.
    std::function<TDateTime()> Now = local_now;

private:
    TDEntry* NewDirRecord();
    TFEntry* NewFileRecord();
    void append_node(TDEntry* dir, TFEntry* node);
    void index_name(TDEntry* dir, TFEntry* node);
    void unindex_name(TDEntry* dir, TFEntry* node);
    TDateTime date_of(std::uint32_t dos) const;
    void debug(const std::string& message, std::uint8_t type) const;

    std::vector<std::unique_ptr<TDEntry>> dirs_;
    std::vector<std::unique_ptr<TFEntry>> files_;
    std::vector<TDEntry*> iso_order_;
    std::vector<TDEntry*> joliet_order_;
    std::unordered_map<std::string, TDEntry*> dir_by_path_;
    int max_files_ = DefaultMaxFiles;
    int max_dirs_ = DefaultMaxDirs;
    bool replace_file_ = false;
};

// Tree path of the folder a source file is kept under, with a trailing
// backslash: "/music/rock/a.mp3" gives "\music\rock\"; the Windows forms
// "C:\a\b\x" and "\\server\share\a\x" give "\a\b\" and "\a\".
std::string kept_source_folder(const std::string& source_file);

} // namespace valmuri
