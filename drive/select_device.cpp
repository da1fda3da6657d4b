// Selecting a device from a Devices entry, identifying it, model quirks.

#include "drive/scsi_device.h"

#include <atomic>
#include <exception>

namespace valmuri {
namespace {

constexpr const char* kInvalidDeviceLine = "INVALID DEVICE ID / NOT A CD OR DVD DRIVE";

std::atomic<bool> slow_ready_host{false};
std::atomic<bool> immediate_close{true};

std::string trim_blanks(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

bool starts_with_one_of(const std::string& text, const char* letters)
{
    return !text.empty() && std::string(letters).find(text[0]) != std::string::npos;
}

} // namespace

bool TSCSIDevice::SlowReadyHost()
{
    return slow_ready_host.load();
}

bool TSCSIDevice::ImmediateClose()
{
    return immediate_close.load();
}

void TSCSIDevice::clear_selection()
{
    selected_ = DeviceAddress{};
    device_id_.clear();
    device_description_.clear();
    device_type_ = kNoDeviceType;
}

void TSCSIDevice::SelectDevice(const std::string& Id)
{
    if (Id.size() <= 4) {
        if (!Id.empty())
            DebugMessage(kInvalidDeviceLine, 0);
        clear_selection();
        return;
    }
    try {
        // "A:T:L,..." with single digits; a two-digit adapter puts a ':'
        // where a digit must be and is refused.
        if (is_digit(Id[0]) && is_digit(Id[2]) && is_digit(Id[4])) {
            selected_ = DeviceAddress{static_cast<std::uint8_t>(Id[0] - '0'), static_cast<std::uint8_t>(Id[2] - '0'),
                static_cast<std::uint8_t>(Id[4] - '0')};
            device_id_ = Id;
            // A device that does not answer must not inherit the type of the
            // one selected before.
            device_type_ = kNoDeviceType;
            Identify();
            if (device_type_ == 5 || device_type_ == 4) {
                const std::string raw_vendor(reinterpret_cast<const char*>(&inquiry_buffer_[8]), 8);
                const std::string raw_product(reinterpret_cast<const char*>(&inquiry_buffer_[16]), 16);
                std::string vendor = trim_blanks(raw_vendor);
                if (vendor.size() < 3)
                    vendor = "     ";
                apply_model_quirks(vendor, trim_blanks(raw_product), raw_product);
                if (OnDeviceChange)
                    OnDeviceChange(this);
                ProbeWriteModes();
                return;
            }
        }
    } catch (const std::exception&) {
    }
    DebugMessage(kInvalidDeviceLine, 0);
    clear_selection();
}

void TSCSIDevice::apply_model_quirks(const std::string& vendor, const std::string& product, const std::string& raw_product)
{
    forced_underrun_protection_ = product == "CD-W512EB";
    link_size_quirk_ = product == "CRX175E" || product == "CD-RW  CRX800E";
    immediate_close.store(product != "CDRW321040X");
    slow_ready_drive_ = raw_product == "DVD-RW  DVR-103 " || raw_product == "DVD-RW  DVR-104 ";
    slow_ready_host.store(starts_with_one_of(product, "UJDA") || starts_with_one_of(vendor, "TDK"));
}

void TSCSIDevice::Identify()
{
    GetCapabilities();
    inquiry_buffer_.fill(0);
    if (!Inquiry()) {
        device_description_ = last_error_text_;
        return;
    }
    device_type_ = inquiry_buffer_[0];
    for (std::size_t i = 8; i <= 55; ++i)
        if (inquiry_buffer_[i] < 32)
            inquiry_buffer_[i] = ' ';
    const char* data = reinterpret_cast<const char*>(inquiry_buffer_.data());
    device_description_
        = std::string(data + 8, 8) + " " + std::string(data + 16, 16) + " " + std::string(data + 32, 4);
}

} // namespace valmuri
