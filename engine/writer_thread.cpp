#include "engine/writer_thread.h"

#include "drive/transport.h"
#include "engine/burner.h"
#include "engine/thread_priority.h"
#include "engine/writer_drive.h"

namespace valmuri {
namespace {

// A real drive records while the writer sleeps in the pass-through call, so
// the writer runs time-critical to send the next block the moment the drive
// can take it. A library layer (the virtual recorder) does its work on the
// calling thread: the writer is then busy copying, and above normal priority
// it would keep its own read-ahead thread off the processor it shares.
ThreadLevel writer_level()
{
    return aspi_layer_name() == kEmulationLayerName ? ThreadLevel::TimeCritical : ThreadLevel::Normal;
}

} // namespace

void BurnState::set_cache(std::unique_ptr<TCacheThread> cache)
{
    std::scoped_lock lock(mutex_);
    cache_ = std::move(cache);
}

TCacheThread* BurnState::cache() const
{
    std::scoped_lock lock(mutex_);
    return cache_.get();
}

void BurnState::abort_cache()
{
    // Under the lock: the writer may be freeing the cache thread meanwhile.
    std::scoped_lock lock(mutex_);
    if (cache_)
        cache_->AbortCache();
}

void BurnState::release_cache()
{
    std::unique_ptr<TCacheThread> cache;
    {
        std::scoped_lock lock(mutex_);
        cache = std::move(cache_);
    }
    // The destructor waits for the thread; readers no longer see it.
    cache.reset();
}

int BurnState::cache_fill_percent() const
{
    std::scoped_lock lock(mutex_);
    return cache_ ? cache_->FillPercent() : 0;
}

TThWrite::TThWrite(TVordaCDBurner& burner, BurnState& state, WriterSettings settings, WriterProgress progress)
    : burner_(burner), state_(state), settings_(std::move(settings)), progress_(progress),
      hand_over_(burner.dispatcher())
{
    state_.in_progress = true;
    thread_ = std::thread([this] { Execute(); });
}

TThWrite::~TThWrite()
{
    WaitFor();
}

void TThWrite::WaitFor()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void TThWrite::Execute()
{
    set_current_thread_level(writer_level());
    TCacheThread& cache = *state_.cache();

    DeviceWriterDrive drive(burner_);
    TrackWriter writer(drive, cache, burner_.clock(), state_.abort, progress_, std::move(settings_));
    writer.OnFinalizingTrack = [this] {
        if (burner_.OnFinalizingTrack)
            burner_.OnFinalizingTrack(&burner_);
    };
    writer.run();

    const std::string result = cache.StatusText();
    state_.writer_stalls = cache.WriterStalls();
    state_.in_progress = false;
    state_.release_cache();
    drive.close_handle_after_command();
    if (burner_.OnWriteDone)
        hand_over_.run([this, &result] {
            burner_.SetLastWriteResult(result);
            burner_.OnWriteDone(&burner_, result);
        });
    done_ = true;
}

} // namespace valmuri
