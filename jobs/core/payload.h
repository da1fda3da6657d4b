#pragma once
// Payload writer: appends data to the end of a program file behind a 24-byte
// footer (16-byte signature, 32-bit little-endian offset where the payload
// begins, 32-bit little-endian payload length), as the disc's player reads it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace valmuri::jobs {

// {9FABA105-EDA8-45C3-89F4-369315A947EB} in its binary form.
inline constexpr std::uint8_t kPayloadSignature[16]
    = {0x05, 0xA1, 0xAB, 0x9F, 0xA8, 0xED, 0xC3, 0x45, 0x89, 0xF4, 0x36, 0x93, 0x15, 0xA9, 0x47, 0xEB};
inline constexpr std::size_t kPayloadFooterSize = 24;

enum class PayloadRemoval { Removed, NoPayload, FooterDisagrees, Failed };

class TPayload {
public:
    explicit TPayload(std::filesystem::path file_name);

    // The footer's length field; 0 without a footer (or a file under 25 bytes).
    std::uint32_t read_payload_length() const;
    // Cuts the payload and its footer off. A footer whose offset and length
    // do not add up to the file's size is damaged: the file is left alone.
    PayloadRemoval remove_payload(std::string& error);
    // Removes any payload, then appends data and a new footer (nothing is
    // appended for empty data). False with an error text when writing fails.
    bool write_payload(std::string_view data, std::string& error);

private:
    std::filesystem::path file_name_;
};

} // namespace valmuri::jobs
