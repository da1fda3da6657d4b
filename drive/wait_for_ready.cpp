// Waiting for a drive to come back from a long operation (loading a disc,
// closing a session, blanking).

#include "drive/scsi_device.h"

#include "drive/disc_type.h"
#include "drive/sense_text.h"

namespace valmuri {
namespace {

constexpr std::uint8_t kRequestSenseLength = 40;
constexpr int kSlowReadyPollMs = 1500;

} // namespace

bool TSCSIDevice::WaitForReady(int budget_ms, int interval_ms)
{
    std::array<std::uint8_t, kRequestSenseLength> sense{};
    long budget = budget_ms;
    const auto not_ready = [this] { return LastFailure().not_ready(); };

    // Some drives and hosts answer "becoming ready" only after a while.
    if (SlowReadyDrive() || SlowReadyHost()) {
        do {
            clock().sleep_ms(kSlowReadyPollMs);
            budget -= kSlowReadyPollMs;
            if (budget < 0)
                break;
            TestUnitReady(5000);
        } while (not_ready());
    }

    // A DVD-RAM has no disc information to wait on; its readiness is asked
    // of REQUEST SENSE below.
    const bool dvd_ram = CurrentDiscType() == dtDVDRAM;
    if (!dvd_ram) {
        do {
            clock().sleep_ms(interval_ms);
            read_disc_information();
            budget -= interval_ms;
            if (budget < 0)
                return false;
        } while (not_ready());
    }

    if (TestUnitReady(5000) && !dvd_ram)
        return true;

    do {
        clock().sleep_ms(interval_ms);
        budget -= interval_ms;
        if (budget < 0)
            return false;
        TestUnitReady(5000);
    } while (not_ready());

    do {
        sense.fill(0);
        // A drive the host adapter no longer reaches is not ready, whatever
        // the empty sense buffer says.
        if (!RequestSense(sense.data(), kRequestSenseLength) && LastFailure().transport_error())
            return false;
        budget -= interval_ms;
        if (budget < 0)
            return false;
        const SenseData reported = sense_from(sense.data(), sense.size());
        if (operation_ended(reported))
            return true;
        if (operation_under_way(reported))
            clock().sleep_ms(interval_ms);
    } while (true);
}

} // namespace valmuri
