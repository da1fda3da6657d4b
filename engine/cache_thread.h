#pragma once
// TCacheThread: reads the whole image ahead of the writer.
//
// The image bytes come in this order: the header built by the layout, the
// boot image and the zero sectors after it (bootable discs), the data of every
// source file in file-table order, and the zero fill up to 300 sectors when
// the post-gap asks for it. The thread cuts them into blocks and keeps them in
// a bounded queue; the writer thread takes them with GetBlock.
//
// A source that cannot be opened or read, or whose length is no longer the
// one the layout gave it, ends the burn with an error text naming it.

#include "engine/block_queue.h"
#include "engine/block_stager.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace valmuri {

// One source file in file-table order, with the size the layout recorded.
struct CacheSourceFile {
    std::string path;
    std::int64_t size = 0;
};

// Everything the cache thread reads for one burn.
struct CacheJob {
    std::int64_t cache_size = 4194304;
    std::uint32_t block_size = kDvdBlockBytes;
    bool write_post_gap = true;
    // Bootable discs: the boot image goes right after the header, followed by
    // pad_sectors zero sectors (the header then holds no fill of its own).
    std::string boot_image;
    std::int64_t boot_image_sectors = 0;
    std::int64_t pad_sectors = 0;
    // The layout's image length (image sectors × 2048), before the zero fill.
    std::int64_t image_bytes = 0;
    std::vector<std::uint8_t> header;
    // Files without a source path (imported) or of size 0 are skipped.
    std::vector<CacheSourceFile> files;
};

class TCacheThread {
public:
    // Starts the thread at once.
    explicit TCacheThread(CacheJob job);
    // Aborts a running thread and waits for it.
    ~TCacheThread();
    TCacheThread(const TCacheThread&) = delete;
    TCacheThread& operator=(const TCacheThread&) = delete;

    // Writer thread: copies the next block to dest (room for a whole block)
    // and returns its byte count; -1 when none is ready yet; 0 when the image
    // has been taken completely or the cache stopped (see StatusText).
    int GetBlock(std::uint8_t* dest) { return queue_.take(dest); }
    // As GetBlock, but waits up to max_wait for a block instead of returning
    // -1 at once.
    int WaitBlock(std::uint8_t* dest, std::chrono::milliseconds max_wait) { return queue_.wait_take(dest, max_wait); }
    // Stops reading; queued blocks are dropped and, unless an error text is
    // already set, the status becomes "OPERATION ABORTED BY USER".
    void AbortCache();
    // Stops the burn with text as its error (kept if one is already set).
    void Stop(const std::string& text) { queue_.close_with(text); }
    // Waits up to max_wait for the first fill or a failure.
    bool WaitFirstFill(std::chrono::milliseconds max_wait) { return queue_.wait_first_fill(max_wait); }
    // Waits for the thread to end.
    void WaitFor();

    // Empty while all is well; otherwise the error that ends the burn.
    std::string StatusText() const { return queue_.status(); }
    // StatusText is set: the burn ends.
    bool Stopped() const { return queue_.has_status(); }
    // The source being read (the one that failed after an error).
    std::string CurrentFile() const;
    std::int64_t BytesQueued() const { return queue_.bytes_queued(); }
    bool FirstFillDone() const { return queue_.first_fill_done(); }
    bool Finished() const { return queue_.finished(); }
    // Bytes of the image including the zero fill.
    std::int64_t ImageBytes() const { return job_.image_bytes + fill_bytes_; }
    std::int64_t MaxBlocks() const { return geometry_.max_blocks(); }
    std::uint32_t BlockSize() const { return geometry_.block_size; }
    // Round(bytes held / cache size × 100).
    int FillPercent() const;
    // Times the writer found the queue empty after the first fill.
    std::int64_t WriterStalls() const { return queue_.consumer_stalls(); }

private:
    void Execute();
    bool layout_matches() const;
    bool feed_memory(const std::vector<std::uint8_t>& bytes);
    bool feed_zeros(std::int64_t bytes);
    bool feed_file(const std::string& path, std::int64_t size, bool sector_rounded_size);
    bool push_staged();
    void start_block();
    void set_level(CachePriority level);
    void fail(const char* format, const std::string& path);

    CacheJob job_;
    CacheGeometry geometry_;
    std::int64_t fill_bytes_ = 0;
    BlockQueue queue_;
    BlockStager stager_;
    CachePriority level_ = CachePriority::Lower;
    // False once the system refused a level: it will refuse the others too.
    bool levels_work_ = true;
    // A recycled buffer for the next block.
    CacheBlock spare_;
    mutable std::mutex file_mutex_;
    std::string current_file_;
    std::thread thread_;
};

} // namespace valmuri
