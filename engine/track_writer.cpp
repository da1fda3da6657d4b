#include "engine/track_writer.h"

#include "drive/disc_type.h"
#include "drive/erase_plan.h"
#include "engine/burn_errors.h"
#include "engine/cache_thread.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace valmuri {
namespace {

constexpr std::uint8_t kAscIncompatibleMedium = 0x30;
constexpr std::uint32_t kWriteBufferBytes = 65536;
// How long the writer waits for the cache before looking at the abort flag
// again.
constexpr std::chrono::milliseconds kBlockWait{50};
// DVD-R and DVD-RW close on their own after the flush; the writer watches
// for the disc information to come back, at most this long.
constexpr int kDvdFinishPolls = 1800;
// A DVD+RW format runs in the background within minutes; stop watching it
// after two hours, as the DVD-RW format before a burn does.
constexpr int kDvdPlusRwFormatPolls = 3600;
constexpr int kCloseBusyRetries = 1000;

// A CD session that will not close yet is tried again while the drive is
// busy or not ready.
bool waits_for_close(const CommandFailure& failure)
{
    return failure.target_busy() || failure.not_ready();
}

std::tm local_time_now()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace

TrackWriter::TrackWriter(WriterDrive& drive, TCacheThread& cache, Clock& clock, const std::atomic<bool>& abort,
                         WriterProgress progress, WriterSettings settings)
    : drive_(drive), cache_(cache), clock_(clock), abort_(abort), progress_(progress), settings_(std::move(settings)),
      buffer_(kWriteBufferBytes)
{
    LocalTime = local_time_now;
}

void TrackWriter::stop(const std::string& text)
{
    cache_.Stop(text);
}

std::string TrackWriter::writer_error()
{
    return std::string(burn_error::kWriterError) + " [" + drive_.last_error_text() + "]";
}

void TrackWriter::refresh_buffer()
{
    std::uint32_t size = 0;
    std::uint32_t free = 0;
    if (drive_.read_buffer_capacity(size, free)) {
        buffer_size_ = size;
        drive_.show_buffer(size, free_buffer_bytes(size, free));
    }
}

void TrackWriter::prepare()
{
    std::uint32_t size = 0;
    std::uint32_t free = 0;
    buffer_readable_ = drive_.read_buffer_capacity(size, free);
    disc_type_ = drive_.read_disc_type();
    drive_.load();
    if (disc_type_ != dtDVDPlusRW)
        drive_.rezero();
    drive_.set_cd_speed(settings_.read_speed, settings_.write_speed);
    drive_.wait_for_ready(10000, 1000);
    start_speed_ = drive_.current_write_speed();
    drive_.set_write_parameters(settings_.test_write, settings_.underrun_protection, disc_type_, true);

    const auto end_sector = static_cast<std::uint32_t>(settings_.start_sector + settings_.image_sectors);
    if (takes_streaming(disc_type_)) {
        const auto descriptor = performance_descriptor(end_sector, settings_.read_speed, settings_.write_speed);
        drive_.set_streaming(descriptor.data(), static_cast<std::uint16_t>(descriptor.size()));
    }
    track_ = static_cast<std::uint8_t>(drive_.session_count() + 1);
    if (disc_type_ == dtDVDR) {
        const auto descriptor = dvd_r_performance_descriptor();
        drive_.set_streaming(descriptor.data(), static_cast<std::uint16_t>(descriptor.size()));
        drive_.send_timestamp(LocalTime());
        drive_.reserve_track(reserved_track_sectors(settings_.image_sectors));
        drive_.wait_for_ready(10000, 1000);
    }
    if (runs_opc(disc_type_, settings_.test_write, settings_.perform_opc))
        drive_.send_opc();
}

void TrackWriter::announce()
{
    drive_.debug(">>> STARTING WRITE PROCESS ON " + disc_type_name(disc_type_) + " AT "
                     + start_speed_text(start_speed_, disc_type_, settings_.number_format),
                 1);
    if (settings_.test_write)
        drive_.debug(">>> TEST/DUMMY WRITE", 1);
}

int TrackWriter::take_block()
{
    for (;;) {
        if (abort_) {
            stop(burn_error::kAborted);
            return 0;
        }
        const int n = cache_.WaitBlock(buffer_.data(), kBlockWait);
        if (cache_.Stopped())
            return 0;
        if (n >= 0)
            return n;
    }
}

bool TrackWriter::write_descriptor_copy(std::uint32_t sectors)
{
    std::vector<std::uint8_t> copy = settings_.descriptor_copy;
    copy.resize(std::max<std::size_t>(copy.size(), std::size_t{sectors} * kSectorBytes), 0xFF);
    const auto send = [&] {
        return drive_.write10(0, static_cast<std::uint16_t>(sectors), copy.data(), sectors * kSectorBytes);
    };
    bool written = send();
    if (!written && disc_type_ == dtDVDPlusRW && drive_.last_failure().sense.asc() == kAscIncompatibleMedium) {
        // A DVD+RW that was never formatted: format it, wait, try again.
        const auto list = dvd_plus_rw_format_list();
        if (drive_.format_unit(list.data(), static_cast<std::uint32_t>(list.size()))) {
            for (int polls = 0; polls < kDvdPlusRwFormatPolls && !abort_; ++polls) {
                clock_.sleep_ms(2000);
                drive_.read_disc_information();
                if (!drive_.last_failure().not_ready())
                    break;
            }
        }
        // Descriptors written now would point at files that never follow.
        if (abort_) {
            stop(burn_error::kAborted);
            return false;
        }
        written = send();
    }
    if (written) {
        drive_.synchronize_cache(1800000, false);
        return true;
    }
    if (drive_.last_failure().worth_retrying()) {
        // The data still goes on; only the copy at the start is missing.
        clock_.sleep_ms(kWriteRetryMs);
        return true;
    }
    stop(writer_error());
    return false;
}

bool TrackWriter::write_block(std::uint32_t bytes)
{
    const auto lba = static_cast<std::uint32_t>(settings_.start_sector + sectors_written_);
    const auto sectors = static_cast<std::uint16_t>(bytes / kSectorBytes);
    for (int retries = 0;; ++retries) {
        if (abort_) {
            stop(burn_error::kAborted);
            return false;
        }
        if (drive_.write10(lba, sectors, buffer_.data(), bytes))
            return true;
        // A transport error is no busy drive: the request never reached it.
        if (!drive_.last_failure().worth_retrying()) {
            stop(writer_error());
            return false;
        }
        if (retries >= kWriteRetries) {
            stop(burn_error::kWriterBusy);
            return false;
        }
        clock_.sleep_ms(kWriteRetryMs);
    }
}

void TrackWriter::finish_track()
{
    if (disc_type_ != dtDVDRAM)
        refresh_buffer();
    if (OnFinalizingTrack)
        OnFinalizingTrack();
    if (disc_type_ == dtDVDR || disc_type_ == dtDVDRWRestricted || disc_type_ == dtDVDRWSequential) {
        drive_.synchronize_cache(1800000, true);
        // Let the display show the buffer draining while the drive works.
        const std::uint32_t size = buffer_size_;
        std::uint32_t free = size;
        drive_.show_buffer(size, free);
        bool finished = false;
        for (int polls = 0; polls < kDvdFinishPolls && !(finished = drive_.read_disc_information()); ++polls) {
            if (drive_.last_failure().transport_error())
                break; // the drive is gone; no answer will come
            free -= std::min(free, size / 960);
            drive_.show_buffer(size, free);
            clock_.sleep_ms(1000);
        }
        // A drive that never answered has not said the data is on the disc.
        if (!finished)
            stop(writer_error());
    } else if (!drive_.synchronize_cache(120000, false)) {
        drive_.synchronize_cache(120000, true);
    }
    drive_.show_buffer(0, 0);
}

void TrackWriter::close_track()
{
    if (settings_.test_write || disc_type_ == dtDVDRAM || !settings_.finalize_track)
        return;
    if (disc_type_ != dtDVDR)
        drive_.set_write_parameters(settings_.test_write, settings_.underrun_protection, disc_type_,
                                    settings_.finalize_disc);
    const bool cd = is_cd(disc_type_);
    for (const CloseStep& step :
         close_plan(disc_type_, track_, settings_.finalize_disc, drive_.immediate_close())) {
        bool closed = drive_.close_track_session(step.immediate, step.function, step.track);
        if (cd && !closed) {
            for (int tries = 0; !closed && tries < kCloseBusyRetries && waits_for_close(drive_.last_failure());
                 ++tries) {
                clock_.sleep_ms(1000);
                closed = drive_.close_track_session(step.immediate, step.function, step.track);
            }
            if (!closed && !drive_.last_failure().transport_error())
                closed = drive_.close_track_session(step.immediate, step.function, step.track);
        }
        // A track or session left open is unreadable in most players: say so,
        // on DVD media as on CDs.
        if (!closed) {
            stop(writer_error());
            return;
        }
    }
}

void TrackWriter::back_to_idle()
{
    drive_.wait_for_ready(240000, 5000);
    if (disc_type_ != dtDVDRAM) {
        std::uint32_t size = 0;
        std::uint32_t free = 0;
        drive_.read_buffer_capacity(size, free);
    }
    drive_.set_write_parameters(false, false, dtCDROM, false);
    drive_.set_cd_speed(drive_.max_read_speed(), 2);
    drive_.rezero();
    drive_.allow_medium_removal();
    drive_.load();
    drive_.rezero();
    drive_.test_unit_ready(5000);
    // Outside a burn the buffer figures read 0.
    drive_.show_buffer(0, 0);
}

std::string TrackWriter::run()
{
    progress_.bytes_written = 0;
    sectors_written_ = 0;
    prepare();
    announce();

    int bytes = take_block();
    const bool copies = bytes > 0 && writes_in_place(disc_type_);
    const auto copy_sectors = static_cast<std::uint32_t>(std::max(bytes, 0)) / kSectorBytes;
    // On a disc that already holds a volume, the new descriptors replace the
    // old ones only once everything they point at is written: a burn that
    // stops halfway leaves the earlier files readable. On an empty disc the
    // copy goes first; it is also what finds an unformatted DVD+RW.
    const bool copy_last = copies && settings_.start_sector > 0;
    if (copies && !copy_last && !write_descriptor_copy(copy_sectors))
        bytes = 0;
    if (!is_cd(disc_type_))
        drive_.suppress_failure_log();

    BufferQueryCountdown countdown;
    while (bytes > 0) {
        const std::uint32_t length = write_bytes_for(disc_type_, static_cast<std::uint32_t>(bytes));
        // A short last block goes out whole: its tail is zeros, not the
        // previous block's bytes.
        if (length > static_cast<std::uint32_t>(bytes))
            std::memset(buffer_.data() + bytes, 0, length - static_cast<std::uint32_t>(bytes));
        progress_.bytes_written = add_bytes_written(progress_.bytes_written, length, settings_.image_sectors);

        const bool query = countdown.due(buffer_readable_);
        bool queried = false;
        if (query) {
            std::uint32_t size = 0;
            std::uint32_t free = 0;
            queried = drive_.read_buffer_capacity(size, free);
            if (queried) {
                buffer_size_ = size;
                drive_.show_buffer(size, free_buffer_bytes(size, free));
            }
        }
        countdown.next(queried);

        if (!write_block(length))
            break;
        sectors_written_ += length / kSectorBytes;
        bytes = take_block();
    }
    if (copy_last && !cache_.Stopped())
        write_descriptor_copy(copy_sectors);

    finish_track();
    if (!cache_.StatusText().empty())
        return cache_.StatusText();
    close_track();
    back_to_idle();
    return cache_.StatusText();
}

} // namespace valmuri
