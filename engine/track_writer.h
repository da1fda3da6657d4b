#pragma once
// TrackWriter: writes one image to the disc as a single data track, on the
// calling thread. TThWrite runs it on the writer thread.
//
// It prepares the drive for the disc type, announces the start, sends the
// cache's blocks with WRITE(10) to consecutive sectors from the start sector
// (retrying while the drive is busy), flushes the drive's buffer, closes the
// track and session as the disc type requires and returns the drive to its
// idle settings. An error or an abort skips closing and the idle settings.

#include "engine/writer_drive.h"
#include "engine/writer_plan.h"
#include "platform/clock.h"

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace valmuri {

class TCacheThread;

struct WriterSettings {
    bool test_write = false;
    bool underrun_protection = true;
    bool finalize_disc = false;
    bool finalize_track = true;
    bool perform_opc = false;
    std::uint16_t read_speed = 0;
    std::uint16_t write_speed = 0;
    std::int64_t start_sector = 0;
    // Sectors of the image including the zero fill (the burner's ImageSize).
    std::int64_t image_sectors = 0;
    // System area and volume descriptors, 0xFF after them; written to the
    // start of media that are overwritten in place.
    std::vector<std::uint8_t> descriptor_copy;
    NumberFormat number_format;
};

// The byte count the user interface reads while the writer runs; it lives in
// the burner component. The drive buffer figures go through the drive.
struct WriterProgress {
    std::atomic<std::int64_t>& bytes_written;
};

class TrackWriter {
public:
    TrackWriter(WriterDrive& drive, TCacheThread& cache, Clock& clock, const std::atomic<bool>& abort,
                WriterProgress progress, WriterSettings settings);

    // Runs the whole burn; returns the error text, empty on success.
    std::string run();

    // Raised on the writing thread when the data is written and the drive
    // starts closing the track.
    std::function<void()> OnFinalizingTrack;
    // The local time sent to DVD-R media as their time stamp.
    std::function<std::tm()> LocalTime;

    // Sectors written and the WRITE(10) commands sent, for checks.
    std::int64_t SectorsWritten() const { return sectors_written_; }

private:
    void prepare();
    void announce();
    // Stops the burn with text (the cache keeps the first error).
    void stop(const std::string& text);
    // Next block into the write buffer: its byte count, or 0 at the end of
    // the data or when the burn stops.
    int take_block();
    bool write_descriptor_copy(std::uint32_t sectors);
    // Writes one block with retries; false when the burn was stopped.
    bool write_block(std::uint32_t bytes);
    void finish_track();
    void close_track();
    void back_to_idle();
    void refresh_buffer();
    std::string writer_error();

    WriterDrive& drive_;
    TCacheThread& cache_;
    Clock& clock_;
    const std::atomic<bool>& abort_;
    WriterProgress progress_;
    WriterSettings settings_;

    std::uint8_t disc_type_ = 0;
    bool buffer_readable_ = false;
    std::uint32_t buffer_size_ = 0;
    std::uint16_t start_speed_ = 0;
    std::uint8_t track_ = 1;
    std::int64_t sectors_written_ = 0;
    std::vector<std::uint8_t> buffer_;
};

} // namespace valmuri
