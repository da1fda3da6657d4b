#pragma once
// Puts the process-wide transport under a test's control: a fake
// pass-through system, a program folder without a library, and the test
// ASPI library at hand. Every layer is released again after the test.

#include "drive/aspi_library.h"
#include "drive/pass_through_system.h"
#include "drive/transport.h"
#include "tests/drive/fake_pass_through.h"
#include "tests/drive/peer/aspi_test_peer.h"

#include <gtest/gtest.h>

#include <cstring>

#include <dlfcn.h>

namespace valmuri::test {

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        release_aspi_layers();
        set_pass_through_system(&system);
        set_program_folder("/nonexistent/valmuri-test");
        set_close_handle_after_command(true);
        peer_ = ::dlopen(ASPI_TEST_PEER_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(peer_, nullptr) << ::dlerror();
        configure_ = reinterpret_cast<AspiPeerConfigureFn>(::dlsym(peer_, "aspi_peer_configure"));
        record_ = reinterpret_cast<AspiPeerRecordFn>(::dlsym(peer_, "aspi_peer_record"));
        ASSERT_TRUE(configure_ && record_);
        configure(AspiPeerConfig{});
    }

    void TearDown() override
    {
        configure(AspiPeerConfig{}); // joins completions still running
        release_aspi_layers();
        set_pass_through_system(nullptr);
        set_program_folder("");
        set_close_handle_after_command(true);
        if (peer_)
            ::dlclose(peer_);
    }

    void configure(const AspiPeerConfig& config)
    {
        if (configure_)
            configure_(&config);
    }

    AspiPeerRecord peer_record()
    {
        AspiPeerRecord record;
        record_(&record);
        return record;
    }

    static AspiPeerDevice peer_device(std::uint8_t ha, std::uint8_t target, std::uint8_t lun, std::uint8_t type,
        const char* identification, std::uint8_t write_bits = 0)
    {
        AspiPeerDevice device{ha, target, lun, type, {}, write_bits};
        std::memset(device.identification, ' ', 28);
        std::memcpy(device.identification, identification, std::min<std::size_t>(std::strlen(identification), 28));
        return device;
    }

    // Loads the test library as the library layer.
    void load_peer() { ASSERT_TRUE(LoadASPI(false, ASPI_TEST_PEER_PATH)); }

    FakePassThrough system;

private:
    void* peer_ = nullptr;
    AspiPeerConfigureFn configure_ = nullptr;
    AspiPeerRecordFn record_ = nullptr;
};

} // namespace valmuri::test
