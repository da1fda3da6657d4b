// Starting an erase: the drive is prepared, blanking or formatting starts
// with IMMED, and the erase thread takes over the wait.

#include "drive/scsi_device.h"

#include "drive/disc_type.h"
#include "drive/erase_plan.h"
#include "drive/erase_thread.h"
#include "drive/speed_text.h"

#include <vector>

namespace valmuri {
namespace {

constexpr std::uint32_t kDvdRamQuickWrites = 11;

} // namespace

void TSCSIDevice::EraseThreadDeleter::operator()(TEraseThread* thread) const
{
    delete thread;
}

bool TSCSIDevice::EraseDisc(std::uint8_t blanking_type)
{
    reap_erase_thread();
    if (erasing_ || erase_thread_)
        return false; // one erase per drive at a time

    TestUnitReady(5000);
    StartStopUnit(false);
    const TDiscType type = GetDiscType();
    SetCurrentDiscType(type);
    blanking_type_ = blanking_type;

    const auto ready = [this] { return TestUnitReady(5000) || WaitForReady(30000, 5000); };
    if (!ready())
        return false;
    if (type != dtDVDRAM) {
        SetCDSpeed(read_speed_, write_speed_);
        SetWriteParameters(false, false, false, type);
    }
    const std::uint16_t speed = CurrentWriteSpeed();
    if (!ready())
        return false;

    DebugMessage(">>> STARTING ERASE PROCESS ON " + disc_type_name(type) + " AT "
            + speed_text(speed, type, current_number_format()),
        1);

    if (!start_erase(type, blanking_type)) {
        erasing_ = false;
        if (OnEraseDone)
            OnEraseDone(this, true);
        return false;
    }

    erase_thread_.reset(new TEraseThread(*this, type, erase_estimate(type, blanking_type)));
    erasing_ = true;
    erase_thread_->Start();
    return true;
}

bool TSCSIDevice::start_erase(std::uint8_t type, std::uint8_t blanking_type)
{
    if (type == dtDVDRAM && blanking_type == kBlankQuick) {
        // Overwriting the start of the disc is all a quick erase of DVD-RAM needs.
        const std::vector<std::uint8_t> zeros(kZeroWriteBytes, 0);
        for (std::uint32_t i = 0; i < kDvdRamQuickWrites; ++i)
            Write10(i * kZeroWriteBlocks, kZeroWriteBlocks, kZeroWriteBytes, zeros.data());
        SynchronizeCache(30000, false);
        return true;
    }
    if (type == dtDVDRAM) {
        const FormatList list = dvd_ram_format_list();
        return FormatUnit(kFormatUnitByte1, list.data(), kFormatListSize);
    }
    if (type == dtDVDPlusRW) {
        // Quick or full, a DVD+RW is formatted; the choice decides how much
        // the thread overwrites afterwards.
        const FormatList list = dvd_plus_rw_format_list();
        if (FormatUnit(kFormatUnitByte1, list.data(), kFormatListSize))
            return true;
        RezeroUnit();
        clock().sleep_ms(1000);
        return FormatUnit(kFormatUnitByte1, list.data(), kFormatListSize);
    }
    return Blank(blanking_type);
}

int TSCSIDevice::EraseProgress() const
{
    return erasing_ && erase_thread_ ? erase_thread_->Progress() : 0;
}

void TSCSIDevice::reap_erase_thread()
{
    if (erase_thread_ && erase_thread_->Reported())
        erase_thread_.reset();
}

void TSCSIDevice::stop_erase_thread()
{
    if (erase_thread_)
        erase_thread_->Abandon();
    erase_thread_.reset();
}

} // namespace valmuri
