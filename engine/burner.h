#pragma once
// TVordaCDBurner: the engine's public face. It holds the disc file tree, lays
// it out as an ISO 9660 + Joliet (+ El Torito) image and builds the image
// header; the burn itself runs on the cache and writer threads.
//
// Implemented across files by concept:
//   burner.cpp          construction, properties, tree operations
//   burner_layout.cpp   BuildLayout, ImageSize, BuildImageHeader
//   path_size.cpp       GetPathSize

#include "drive/scsi_device.h"
#include "engine/date_time.h"
#include "engine/disc_queries.h"
#include "engine/disc_tree.h"
#include "engine/image_layout.h"
#include "engine/volume_descriptor.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace valmuri {

struct BurnRun;

class TVordaCDBurner : public TSCSIDevice {
public:
    using TAddFileEvent = std::function<void(TVordaCDBurner* sender, const std::string& full_path,
                                             std::string& long_file_name, std::string& short_file_name,
                                             TDateTime& date_time, int attr, std::int64_t file_size, bool& skip)>;
    using TAddDirEvent =
        std::function<void(TVordaCDBurner* sender, std::string& long_name, std::string& short_name, bool& skip)>;
    using TWriteDoneEvent = std::function<void(TVordaCDBurner* sender, const std::string& error)>;
    using TNotifyEvent = std::function<void(TVordaCDBurner* sender)>;

    static constexpr std::int32_t DefaultCacheSize = 4194304;
    static constexpr std::int32_t MinimumCacheSize = 2097152;
    static constexpr std::size_t HeaderReserve = 64u << 20;
    static constexpr std::size_t DescriptorCopySize = 65537;

    TVordaCDBurner();
    ~TVordaCDBurner() override;

    // ---- Disc file tree ----------------------------------------------------
    void ClearFiles();
    void ResetFileTree(int MaxFiles, int MaxDirs);
    int InsertFile(const std::string& DestinationPath, const std::string& SourceFile, bool KeepSourcePath);
    bool RenameFileEntry(const std::string& DirPath, const std::string& FileName, const std::string& ShortName,
                         const std::string& LongName);
    int FileCount() const { return tree_.FileCount(); }
    DiscTree& Tree() { return tree_; }
    const DiscTree& Tree() const { return tree_; }

    // ---- Image -------------------------------------------------------------
    // Lays the tree out; with SkipDiscQuery false the disc is asked for its
    // type and, while a burn starts, for the start sector and the session to
    // import. Always true.
    bool BuildLayout(bool SkipDiscQuery, TDEntry* ImportInto = nullptr);
    // Sectors the burn writes, at least 300 with the post-gap.
    std::int64_t ImageSize() const;
    // Fills the header stream and the descriptor copy from the last layout;
    // false when the header does not lie where the layout put its parts.
    bool BuildImageHeader();
    // Bytes of a file, or of every file below a folder when Path ends in a
    // separator ("/" or "\").
    std::int64_t GetPathSize(const std::string& Path) const;

    const LayoutValues& Layout() const { return layout_; }
    // Sectors StartSector .. FirstFileLocation-1 (with a boot image: up to the
    // boot catalog); the cache thread sends it first and may empty it.
    std::vector<std::uint8_t>& HeaderStream() { return header_stream_; }
    // The system area and the volume descriptors, 0xFF after them.
    const std::vector<std::uint8_t>& DescriptorCopy() const { return descriptor_copy_; }
    // Current disc type code, as the last layout read it.
    std::uint8_t CurrentDiscTypeCode() const { return current_disc_type_.load(); }

    // The drive-side queries of the layout; none: no disc is asked.
    void SetDiscQueries(DiscQueries* queries) { disc_queries_ = queries; }

    // ---- Published properties ----------------------------------------------
    // DeviceBufferSize, DeviceFreeBufferSize, UnderrunProtection, ReadSpeed,
    // WriteSpeed, FinalizeDisc and TestWrite are the drive's (TSCSIDevice).
    bool ReplaceFile() const { return tree_.ReplaceFile(); }
    void SetReplaceFile(bool v) { tree_.SetReplaceFile(v); }
    bool FinalizeTrack() const { return finalize_track_; }
    void SetFinalizeTrack(bool v) { finalize_track_ = v; }
    bool PerformOPC() const { return perform_opc_; }
    void SetPerformOPC(bool v) { perform_opc_ = v; }

    const std::string& IdVolume() const { return ids_.volume; }
    void SetIdVolume(const std::string& v) { ids_.volume = v; }
    const std::string& IdSystem() const { return ids_.system; }
    void SetIdSystem(const std::string& v) { ids_.system = v; }
    const std::string& IdVolumeSet() const { return ids_.volume_set; }
    void SetIdVolumeSet(const std::string& v) { ids_.volume_set = v; }
    const std::string& IdPublisher() const { return ids_.publisher; }
    void SetIdPublisher(const std::string& v) { ids_.publisher = v; }
    const std::string& IdPreparer() const { return ids_.preparer; }
    void SetIdPreparer(const std::string& v) { ids_.preparer = v; }
    const std::string& IdApplication() const { return ids_.application; }
    void SetIdApplication(const std::string& v) { ids_.application = v; }
    const std::string& FileCopyright() const { return ids_.copyright_file; }
    void SetFileCopyright(const std::string& v) { ids_.copyright_file = v; }
    const std::string& FileAbstract() const { return ids_.abstract_file; }
    void SetFileAbstract(const std::string& v) { ids_.abstract_file = v; }
    const std::string& FileBibliographic() const { return ids_.bibliographic_file; }
    void SetFileBibliographic(const std::string& v) { ids_.bibliographic_file = v; }

    TDateTime DateCreation() const { return date_creation_; }
    void SetDateCreation(TDateTime v) { date_creation_ = v; }
    TDateTime DateModification() const { return date_modification_; }
    void SetDateModification(TDateTime v) { date_modification_ = v; }
    TDateTime DateEffective() const { return date_effective_; }
    void SetDateEffective(TDateTime v) { date_effective_ = v; }
    TDateTime DateExpiration() const { return date_expiration_; }
    void SetDateExpiration(TDateTime v) { date_expiration_ = v; }

    // Below 2 MiB becomes 2 MiB; otherwise rounded down to whole sectors.
    std::int32_t CacheSize() const { return cache_size_; }
    void SetCacheSize(std::int32_t v);
    const std::string& ISOFileName() const { return iso_file_name_; }
    void SetISOFileName(const std::string& v) { iso_file_name_ = v; }
    bool JolietFileSystem() const { return joliet_file_system_; }
    void SetJolietFileSystem(bool v) { joliet_file_system_ = v; }
    const std::string& Version() const { return version_; }
    void SetVersion(const std::string&) {}
    bool WritePostGap() const { return write_post_gap_; }
    void SetWritePostGap(bool v) { write_post_gap_ = v; }

    // Public settings not stored with the form.
    bool Bootable() const { return bootable_; }
    void SetBootable(bool v) { bootable_ = v; }
    const std::string& BootImage() const { return boot_image_; }
    void SetBootImage(const std::string& v) { boot_image_ = v; }
    std::uint16_t ImportSession() const { return import_session_; }
    void SetImportSession(std::uint16_t v) { import_session_ = v; }

    // Progress of the current burn, read by the user interface's timer.
    std::int64_t BytesWritten() const { return bytes_written_.load(); }

    // ---- Burn (burner_burn.cpp) --------------------------------------------
    // Lays the tree out against the disc in the drive, builds the header and
    // starts the cache thread; once its queue is full the writer thread
    // starts and the result is true. A cache failure before that raises
    // OnWriteDone with its text on this thread and gives false. Otherwise
    // OnWriteDone arrives on the main thread through the dispatcher.
    bool BurnCD();
    // The writer stops before its next block with "OPERATION ABORTED BY USER".
    void Abort();
    // Round(bytes held in the cache / CacheSize × 100) while a burn runs, else 0.
    int CacheFillPercent() const;
    // From the writer's start to its end.
    bool BurnInProgress() const;
    // Times the writer of the last burn found the read-ahead cache empty.
    std::int64_t WriterStalls() const;
    // The Error of the last OnWriteDone.
    const std::string& LastWriteResult() const { return last_write_result_; }
    void SetLastWriteResult(const std::string& result) { last_write_result_ = result; }
    // The source being read when the cache failed before the writer started.
    const std::string& FailedFile() const { return failed_file_; }

    TAddFileEvent OnAddFile;
    TAddDirEvent OnAddDir; // declared for callers; the engine never raises it
    TWriteDoneEvent OnWriteDone;
    TNotifyEvent OnFinalizingTrack;

    // Source of "now" for the header's dates and the tree's undated nodes.
    void SetNow(std::function<TDateTime()> now);
    // Offset of recording dates from UTC in 15 minutes; read from the system
    // at every tree reset.
    std::int8_t TimeZoneOffset() const { return zone_; }
    void SetTimeZoneOffset(std::int8_t zone) { zone_ = zone; }

protected:
    // Set by the burn around its layout: only then is the start sector asked.
    bool burn_starting_ = false;
    std::atomic<std::int64_t> bytes_written_{0};

private:
    DiscTree tree_;
    LayoutValues layout_;
    std::vector<std::uint8_t> header_stream_;
    std::vector<std::uint8_t> descriptor_copy_;
    DiscQueries* disc_queries_ = nullptr;
    std::atomic<std::uint8_t> current_disc_type_{0};
    std::function<TDateTime()> now_ = local_now;
    std::int8_t zone_ = 0;

    bool finalize_track_ = true;
    bool perform_opc_ = false;
    VolumeIdentifiers ids_;
    TDateTime date_creation_ = 0;
    TDateTime date_modification_ = 0;
    TDateTime date_effective_ = 0;
    TDateTime date_expiration_ = 0;
    std::int32_t cache_size_ = DefaultCacheSize;
    std::string iso_file_name_;
    bool joliet_file_system_ = true;
    std::string version_ = "1.23";
    bool write_post_gap_ = true;
    bool bootable_ = false;
    std::string boot_image_;
    std::uint16_t import_session_ = 0;

    std::string last_write_result_;
    std::string failed_file_;
    // The current burn: aborted and waited for first when the burner goes.
    struct BurnRunDeleter {
        void operator()(BurnRun* run) const;
    };
    std::unique_ptr<BurnRun, BurnRunDeleter> burn_;
};

} // namespace valmuri
