#pragma once
// Turning a failed request into one line of English text.
//
// The request status picks the text; a CHECK CONDITION is replaced by the
// sense key's text, and the additional sense code and qualifier are added in
// parentheses when the drive sent additional sense bytes. The polling loops
// ask CommandFailure (drive/command_failure.h) for the decision instead.

#include <array>
#include <cstdint>
#include <string>

namespace valmuri {

// Fixed-format sense data as the drive returns it in the request's sense area.
struct SenseData {
    static constexpr std::size_t kSize = 33;
    std::array<std::uint8_t, kSize> bytes{};

    std::uint8_t response_code() const { return bytes[0]; }
    // Byte 2 whole: filemark, end-of-medium and ILI bits with the sense key.
    std::uint8_t flags_and_key() const { return bytes[2]; }
    std::uint8_t sense_key() const { return bytes[2] & 0x0F; }
    std::uint8_t additional_length() const { return bytes[7]; }
    std::uint8_t asc() const { return bytes[12]; }
    std::uint8_t ascq() const { return bytes[13]; }
};
static_assert(sizeof(SenseData) == SenseData::kSize);

// Additional sense code 0x04: the logical unit is not ready yet (becoming
// ready, formatting, blanking, long write). The ready waits poll on it.
inline constexpr std::uint8_t kAscNotReady = 0x04;
inline constexpr std::uint8_t kAscqLongWriteInProgress = 0x08;

// Sense data as REQUEST SENSE returned it into a buffer of length bytes.
SenseData sense_from(const std::uint8_t* bytes, std::size_t length);
// REQUEST SENSE during a long operation: current sense with VALID set (F0h)
// or additional sense code 04h means it still runs; ended means the drive
// reports nothing pending any more.
bool operation_under_way(const SenseData& sense);
inline bool operation_ended(const SenseData& sense)
{
    return !operation_under_way(sense) && sense.asc() == 0;
}

// The text of the request status (with host and target status for an
// error); sets target_busy when the target answered BUSY.
std::string request_status_text(std::uint8_t status, std::uint8_t host_status, std::uint8_t target_status,
    bool& target_busy);

// The text replacing "CHECK CONDITION": empty when there is no sense data,
// "UNKNOWN" for a response code other than 70h/71h, else the sense key's text.
std::string sense_key_text(const SenseData& sense);

// The description of an additional sense code and qualifier; a pair without
// one reads as both numbers in decimal, "36,5".
std::string additional_sense_text(std::uint8_t asc, std::uint8_t ascq);

struct FailureText {
    std::string text;
    bool target_busy = false;
};

// The whole error text of a failed request.
FailureText describe_failure(std::uint8_t status, std::uint8_t host_status, std::uint8_t target_status,
    const SenseData& sense);

} // namespace valmuri
