#include "engine/burn_log_header.h"

#include "drive/disc_type.h"
#include "drive/scsi_device.h"

#include <cstdio>

namespace valmuri {
namespace {

std::string inquiry_text(const std::array<std::uint8_t, TSCSIDevice::kInquiryBufferSize>& data, std::size_t from,
                         std::size_t count)
{
    std::string text;
    for (std::size_t i = from; i < from + count; ++i)
        text += data[i] >= 0x20 && data[i] < 0x7F ? static_cast<char>(data[i]) : ' ';
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

std::string grouped(std::uint64_t value)
{
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

} // namespace

BurnLogFacts burn_log_facts(TSCSIDevice& device, const std::string& program)
{
    BurnLogFacts facts;
    facts.program = program;
    if (device.Inquiry()) {
        const auto& data = device.InquiryData();
        facts.vendor = inquiry_text(data, 8, 8);
        facts.product = inquiry_text(data, 16, 16);
        facts.revision = inquiry_text(data, 32, 4);
    }
    facts.disc_type = device.GetDiscType();
    facts.free_blocks = device.GetDiscFreeBlocks();
    return facts;
}

std::vector<std::string> burn_log_header(const BurnLogFacts& facts, const std::string& engine_version)
{
    char megabytes[32];
    std::snprintf(megabytes, sizeof megabytes, "%.1f", facts.free_blocks * 2048.0 / 1048576.0);
    std::string drive = facts.vendor;
    for (const std::string* part : {&facts.product, &facts.revision})
        if (!part->empty())
            drive += (drive.empty() ? "" : " ") + *part;
    return {facts.program + " (engine " + engine_version + ")",
            "Drive: " + (drive.empty() ? std::string("UNKNOWN") : drive),
            "Medium: " + disc_type_name(facts.disc_type) + ", " + grouped(facts.free_blocks) + " sectors free ("
                + megabytes + " MB)"};
}

} // namespace valmuri
