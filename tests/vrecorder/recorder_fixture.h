#pragma once
// Drives the built virtual recorder library the way the engine does: dlopen
// and raw ASPI request blocks, with a configuration in a temporary folder.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "drive/aspi_abi.h"
#include "platform/endian.h"

namespace valmuri::vrecorder::test {

namespace fs = std::filesystem;

struct Reply {
    std::uint8_t status = 0;
    std::uint8_t host_status = 0;
    std::uint8_t target_status = 0;
    std::array<std::uint8_t, 33> sense{};

    std::uint8_t key() const { return sense[2] & 0x0F; }
    std::uint8_t asc() const { return sense[12]; }
    std::uint8_t ascq() const { return sense[13]; }
    bool good() const { return status == SS_COMP; }
    // "key/asc/ascq" in hexadecimal, for readable failures.
    std::string sense_text() const;
};

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the configuration and makes the library read it.
    void configure(const std::string& ini);
    // Rebuilds the recorders from the same configuration, as a new process would.
    void restart();
    fs::path folder() const { return folder_; }

    Reply none(std::vector<std::uint8_t> cdb, std::uint8_t target = 0);
    Reply in(std::vector<std::uint8_t> cdb, std::vector<std::uint8_t>& data, std::uint8_t target = 0);
    Reply out(std::vector<std::uint8_t> cdb, const std::vector<std::uint8_t>& data, std::uint8_t target = 0);
    Reply send(SRB_ExecSCSICmd& block);
    // A command with the given request flags, whatever its data phase is.
    Reply flagged(std::vector<std::uint8_t> cdb, std::uint8_t flags, std::vector<std::uint8_t>& data,
                  std::uint8_t target = 0);

    // Common commands.
    std::vector<std::uint8_t> disc_information(std::uint8_t target = 0);
    std::vector<std::uint8_t> track_information(std::uint32_t track, std::uint8_t target = 0);
    std::uint16_t current_profile(std::uint8_t target = 0);
    Reply write(std::uint32_t lba, std::uint32_t blocks, std::uint8_t fill = 0x5A, std::uint8_t target = 0);
    Reply read(std::uint32_t lba, std::uint32_t blocks, std::vector<std::uint8_t>& data, std::uint8_t target = 0);
    Reply synchronize_cache(std::uint8_t target = 0);
    Reply close(std::uint8_t function, std::uint16_t track, std::uint8_t target = 0);
    // Sets mode page 05 as the engine does: track at once, mode 1, and the
    // multisession field (3 leaves the disc open, 0 closes it).
    Reply set_write_parameters(std::uint8_t multisession, bool test_write = false, std::uint8_t target = 0);
    Reply start_stop(std::uint8_t byte4, std::uint8_t target = 0);
    Reply test_unit_ready(std::uint8_t target = 0) { return none({0x00, 0, 0, 0, 0, 0}, target); }

    static std::uint32_t nwa(const std::vector<std::uint8_t>& track) { return get_be32(&track[12]); }
    static std::uint32_t free_blocks(const std::vector<std::uint8_t>& track) { return get_be32(&track[16]); }
    static std::uint32_t start(const std::vector<std::uint8_t>& track) { return get_be32(&track[8]); }
    static std::uint32_t track_size(const std::vector<std::uint8_t>& track) { return get_be32(&track[24]); }
    static std::uint8_t disc_status(const std::vector<std::uint8_t>& info) { return info[2] & 0x03; }

    GetASPI32SupportInfoFn support_info_ = nullptr;
    SendASPI32CommandFn send_command_ = nullptr;

private:
    fs::path folder_;
    std::string ini_;
    int generation_ = 0;
};

} // namespace valmuri::vrecorder::test
