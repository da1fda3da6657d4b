// Construction, properties and the file tree operations of the burner.

#include "engine/burner.h"

namespace valmuri {

TVordaCDBurner::TVordaCDBurner()
{
    header_stream_.reserve(HeaderReserve);
    descriptor_copy_.assign(DescriptorCopySize, 0xFF);
    tree_.OnDebug = [this](const std::string& message, std::uint8_t type) { DebugMessage(message, type); };
    tree_.OnAddFile = [this](const std::string& full_path, std::string& long_name, std::string& short_name,
                             TDateTime& date_time, std::uint32_t attr, std::int64_t file_size, bool& skip) {
        if (OnAddFile)
            OnAddFile(this, full_path, long_name, short_name, date_time, static_cast<int>(attr), file_size, skip);
    };
    tree_.Now = [this] { return now_(); };
    SetUnderrunProtection(true);
    ClearFiles();
}

TVordaCDBurner::~TVordaCDBurner() = default;

void TVordaCDBurner::SetNow(std::function<TDateTime()> now)
{
    now_ = now ? std::move(now) : std::function<TDateTime()>(local_now);
}

void TVordaCDBurner::ClearFiles()
{
    ResetFileTree(DefaultMaxFiles, DefaultMaxDirs);
}

void TVordaCDBurner::ResetFileTree(int MaxFiles, int MaxDirs)
{
    zone_ = standard_zone_offset();
    header_stream_.clear();
    tree_.ResetFileTree(MaxFiles, MaxDirs);
    layout_ = LayoutValues{};
}

int TVordaCDBurner::InsertFile(const std::string& DestinationPath, const std::string& SourceFile, bool KeepSourcePath)
{
    return tree_.InsertFile(DestinationPath, SourceFile, KeepSourcePath);
}

bool TVordaCDBurner::RenameFileEntry(const std::string& DirPath, const std::string& FileName,
                                     const std::string& ShortName, const std::string& LongName)
{
    return tree_.RenameFileEntry(DirPath, FileName, ShortName, LongName);
}

void TVordaCDBurner::SetCacheSize(std::int32_t v)
{
    cache_size_ = v < MinimumCacheSize ? MinimumCacheSize : v / static_cast<std::int32_t>(SectorSize) * SectorSize;
}

} // namespace valmuri
