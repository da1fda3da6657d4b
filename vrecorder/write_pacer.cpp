#include "vrecorder/write_pacer.h"

#include <algorithm>
#include <cmath>

namespace valmuri::vrecorder {

void WritePacer::set_speed(std::uint32_t kilobytes_per_second)
{
    update();
    bytes_per_second_ = std::uint64_t{kilobytes_per_second} * 1000;
    if (bytes_per_second_ == 0)
        fill_ = 0;
}

void WritePacer::update()
{
    std::uint64_t now = clock_.now_ms();
    if (started_ && bytes_per_second_ != 0) {
        double drained = static_cast<double>(now - last_ms_) * static_cast<double>(bytes_per_second_) / 1000.0;
        fill_ = std::max(0.0, fill_ - drained);
    }
    started_ = true;
    last_ms_ = now;
}

void WritePacer::accept(std::uint64_t bytes)
{
    update();
    if (bytes_per_second_ == 0)
        return;
    double excess = fill_ + static_cast<double>(bytes) - static_cast<double>(buffer_bytes_);
    if (excess > 0) {
        auto wait = static_cast<std::uint64_t>(std::ceil(excess * 1000.0 / static_cast<double>(bytes_per_second_)));
        clock_.sleep_ms(wait);
        update();
    }
    fill_ = std::min(static_cast<double>(buffer_bytes_), fill_ + static_cast<double>(bytes));
}

void WritePacer::drain()
{
    update();
    if (bytes_per_second_ == 0 || fill_ <= 0)
        return;
    clock_.sleep_ms(static_cast<std::uint64_t>(std::ceil(fill_ * 1000.0 / static_cast<double>(bytes_per_second_))));
    update();
    fill_ = 0;
}

std::uint32_t WritePacer::free_bytes()
{
    update();
    return buffer_bytes_ - static_cast<std::uint32_t>(std::min(fill_, static_cast<double>(buffer_bytes_)));
}

} // namespace valmuri::vrecorder
