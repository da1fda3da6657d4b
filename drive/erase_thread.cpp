#include "drive/erase_thread.h"

#include "drive/disc_type.h"
#include "drive/erase_plan.h"
#include "drive/scsi_device.h"
#include "drive/sense_text.h"
#include "drive/transport.h"

#include <vector>

namespace valmuri {
namespace {

constexpr std::uint8_t kRequestSenseLength = 40;
// CLOSE TRACK/SESSION function that ends the background format of a DVD+RW.
constexpr std::uint8_t kCloseDvdPlusRwFormat = 3;
constexpr std::uint32_t kZeroWritesQuick = 65;
constexpr std::uint32_t kZeroWritesFull = 71001;

} // namespace

TEraseThread::TEraseThread(TSCSIDevice& device, std::uint8_t disc_type, std::uint16_t estimate)
    : device_(device)
    , disc_type_(disc_type)
    , estimate_(estimate)
    , hand_over_(device.dispatcher())
{
}

TEraseThread::~TEraseThread()
{
    Abandon();
}

void TEraseThread::Start()
{
    thread_ = std::thread([this] { Execute(); });
}

void TEraseThread::Abandon()
{
    abandoned_ = true;
    hand_over_.close();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void TEraseThread::update_progress()
{
    progress_ = erase_progress(counter_, estimate_);
}

bool TEraseThread::not_ready() const
{
    return device_.LastFailure().not_ready();
}

bool TEraseThread::drive_lost()
{
    if (device_.LastFailure().transport_error())
        drive_lost_ = true;
    return drive_lost_;
}

bool TEraseThread::poll_ready()
{
    const bool ready = device_.TestUnitReady(5000);
    if (!ready && !drive_lost() && !abandoned_)
        device_.clock().sleep_ms(2000);
    return ready;
}

bool TEraseThread::write_zero_blocks(std::uint32_t count, bool stop_at_failure)
{
    const std::vector<std::uint8_t> zeros(kZeroWriteBytes, 0);
    bool all_written = true;
    for (std::uint32_t i = 0; i < count && !abandoned_; ++i) {
        if (device_.Write10(i * kZeroWriteBlocks, kZeroWriteBlocks, kZeroWriteBytes, zeros.data()))
            continue;
        // The old contents stay readable behind a block that was not zeroed.
        all_written = false;
        with_error_ = true;
        if (stop_at_failure || drive_lost())
            break;
    }
    return all_written;
}

void TEraseThread::Execute()
{
    const std::uint8_t type = TSCSIDevice::CurrentDiscType();
    switch (type) {
    case dtDVDRWRestricted:
    case dtDVDRWSequential:
        do {
            update_progress();
            counter_ += 1;
            poll_ready();
            update_progress();
        } while (not_ready() && bounded());
        if (!drive_lost_ && !abandoned_)
            device_.clock().sleep_ms(5000);
        do {
            update_progress();
            counter_ += 1;
            poll_ready();
        } while (not_ready() && bounded());
        break;
    case dtDVDPlusRW:
        // The format runs in the background; the estimate bounds this wait
        // like every other, so a drive stuck "not ready" cannot hang the thread.
        do {
            device_.clock().sleep_ms(2000);
            counter_ += 2;
            device_.read_disc_information();
            drive_lost();
            update_progress();
        } while (not_ready() && bounded());
        if (!drive_lost_
            && write_zero_blocks(device_.blanking_type_ == kBlankQuick ? kZeroWritesQuick : kZeroWritesFull, true)) {
            device_.clock().sleep_ms(300);
            counter_ += 1;
            update_progress();
            device_.SynchronizeCache(30000, false);
            device_.CloseTrackSessionRaw(false, kCloseDvdPlusRwFormat, 0);
        }
        break;
    case dtDVDRAM:
        if (device_.blanking_type_ == kBlankQuick) {
            write_zero_blocks(kZeroWritesQuick, false);
            device_.SynchronizeCache(30000, false);
        }
        break;
    default:
        break;
    }

    if (TSCSIDevice::SlowReadyHost() && !drive_lost_ && !abandoned_) {
        do {
            update_progress();
            counter_ += 2;
            poll_ready();
        } while (not_ready() && bounded());
        device_.read_disc_information();
        device_.clock().sleep_ms(5000);
    }

    bool ready = drive_lost_ || poll_ready();
    if (ready && !drive_lost_)
        ready = device_.read_disc_information() || drive_lost();
    if (!ready) {
        if (disc_type_ != dtDVDRAM) {
            do {
                update_progress();
                device_.read_disc_information();
                drive_lost();
                counter_ += 5;
                if (not_ready())
                    device_.clock().sleep_ms(5000);
            } while (not_ready() && bounded());
        }
        do {
            update_progress();
            counter_ += 2;
            poll_ready();
        } while (not_ready() && bounded());
        std::array<std::uint8_t, kRequestSenseLength> sense{};
        do {
            update_progress();
            sense.fill(0);
            if (!device_.RequestSense(sense.data(), kRequestSenseLength) && drive_lost())
                break;
            counter_ += 2;
            device_.clock().sleep_ms(2000);
            if (operation_ended(sense_from(sense.data(), sense.size())))
                break;
        } while (bounded());
    }

    if (aspi_layer_name() == kEmulationLayerName)
        ReloadASPI();
    progress_ = 100;

    // Back to a plain state: CD write parameters, slowest writing, tray unlocked.
    device_.SetWriteParameters(false, false, false, dtCDROM);
    device_.SetCDSpeed(device_.MaxReadSpeed(), 2);
    device_.RezeroUnit();
    device_.PreventAllowMediumRemoval(true);
    device_.StartStopUnit(false);
    device_.RezeroUnit();
    poll_ready();

    if (drive_lost_)
        with_error_ = true;
    device_.erasing_ = false;
    if (abandoned_)
        return;
    hand_over_.run([this] {
        reported_ = true;
        device_.erasing_ = false;
        if (device_.OnEraseDone)
            device_.OnEraseDone(&device_, with_error_);
    });
}

} // namespace valmuri
