// The burner's burn: BurnCD, Abort and the progress values of a running burn.

#include "engine/burner.h"

#include "drive/disc_type.h"
#include "engine/burn_errors.h"
#include "engine/cache_sources.h"
#include "engine/device_disc_queries.h"
#include "engine/writer_thread.h"

#include <array>
#include <chrono>

namespace valmuri {

// One burn: the state its threads share and the writer thread.
struct BurnRun {
    BurnState state;
    std::unique_ptr<TThWrite> writer;
};

void TVordaCDBurner::BurnRunDeleter::operator()(BurnRun* run) const
{
    run->state.abort = true;
    run->state.abort_cache();
    if (run->writer)
        run->writer->CallOffHandOver();
    run->writer.reset();
    run->state.release_cache();
    delete run;
}

namespace {

constexpr int kFormatPollMs = 5000;
// A quick format takes seconds; give up watching after two hours.
constexpr int kFormatPolls = 1440;

// DVD-RW is formatted before every burn: quick format for sequential
// recording, restricted overwrite otherwise.
void format_dvd_rw(TSCSIDevice& drive, std::uint8_t disc_type)
{
    static constexpr std::array<std::uint8_t, 12> sequential{0x00, 0xA2, 0x00, 0x08, 0x00, 0x00,
                                                             0x03, 0xE8, 0x54, 0x00, 0x00, 0x10};
    static constexpr std::array<std::uint8_t, 12> restricted{0x00, 0x82, 0x00, 0x08, 0x00, 0x00,
                                                             0x00, 0x00, 0x4C, 0x00, 0x00, 0x10};
    static constexpr std::array<std::uint8_t, 12> fallback{0x00, 0x82, 0x00, 0x08, 0x00, 0x00,
                                                           0x00, 0x00, 0x54, 0x00, 0x00, 0x10};
    const auto& list = disc_type == dtDVDRWSequential ? sequential : restricted;
    if (!drive.FormatUnit(0x11, list.data(), static_cast<std::uint32_t>(list.size())))
        drive.FormatUnit(0x11, fallback.data(), static_cast<std::uint32_t>(fallback.size()));
    std::array<std::uint8_t, kDiscInformationLength> info{};
    for (int polls = 0; polls < kFormatPolls; ++polls) {
        drive.clock().sleep_ms(kFormatPollMs);
        drive.ReadDiscInformation(info.data(), static_cast<std::uint16_t>(info.size()));
        if (!drive.LastFailure().not_ready())
            break;
    }
}

} // namespace

bool TVordaCDBurner::BurnCD()
{
    // One burn at a time; a finished one is cleared away first.
    if (burn_ && (burn_->state.in_progress || (burn_->writer && !burn_->writer->Done())))
        return false;
    burn_.reset(new BurnRun);
    BurnRun& run = *burn_;
    // An Abort from now on counts, even before the writer starts.
    run.state.abort = false;

    // The disc type as the last layout (or else the last drive query) found it.
    const std::uint8_t disc_type
        = CurrentDiscTypeCode() != dtUnknown ? CurrentDiscTypeCode() : TSCSIDevice::CurrentDiscType();
    const std::uint32_t block_size = block_size_for_disc_type(disc_type);
    if (disc_type == dtDVDRWRestricted || disc_type == dtDVDRWSequential)
        format_dvd_rw(*this, disc_type);

    DeviceDiscQueries device_queries(*this);
    DiscQueries* const queries = disc_queries_;
    if (queries == nullptr)
        disc_queries_ = &device_queries;
    burn_starting_ = true;
    BuildLayout(false);
    const bool header_matches = BuildImageHeader();
    burn_starting_ = false;
    disc_queries_ = queries;
    // Such a header would point readers at the wrong sectors: nothing is written.
    if (!header_matches) {
        last_write_result_ = burn_error::kHeaderMismatch;
        if (OnWriteDone)
            OnWriteDone(this, last_write_result_);
        return false;
    }

    run.state.set_cache(std::make_unique<TCacheThread>(cache_job_for(*this, block_size)));
    TCacheThread& cache = *run.state.cache();
    for (;;) {
        cache.WaitFirstFill(std::chrono::milliseconds(100));
        const std::string status = cache.StatusText();
        if (!status.empty()) {
            failed_file_ = cache.CurrentFile();
            last_write_result_ = status;
            if (OnWriteDone)
                OnWriteDone(this, status);
            run.state.release_cache();
            return false;
        }
        if (cache.FirstFillDone())
            break;
    }

    WriterSettings settings;
    settings.test_write = TestWrite();
    settings.underrun_protection = UnderrunProtection();
    settings.finalize_disc = FinalizeDisc();
    settings.finalize_track = FinalizeTrack();
    settings.perform_opc = PerformOPC();
    settings.read_speed = ReadSpeed();
    settings.write_speed = WriteSpeed();
    settings.start_sector = Layout().StartSector;
    settings.image_sectors = ImageSize();
    settings.descriptor_copy = DescriptorCopy();
    settings.number_format = current_number_format();
    run.writer = std::make_unique<TThWrite>(*this, run.state, std::move(settings),
                                            WriterProgress{bytes_written_});
    return true;
}

void TVordaCDBurner::Abort()
{
    if (burn_)
        burn_->state.abort = true;
}

int TVordaCDBurner::CacheFillPercent() const
{
    if (!burn_ || !burn_->state.in_progress)
        return 0;
    return burn_->state.cache_fill_percent();
}

std::int64_t TVordaCDBurner::WriterStalls() const
{
    return burn_ ? burn_->state.writer_stalls.load() : 0;
}

bool TVordaCDBurner::BurnInProgress() const
{
    return burn_ && burn_->state.in_progress;
}

} // namespace valmuri
