#pragma once
// The drive as the writer thread uses it: the commands of one burn, each
// reporting success, and after a failure what the drive said about it.
// DeviceWriterDrive sends them to a TSCSIDevice; tests put a scripted drive
// in its place.

#include "drive/command_failure.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace valmuri {

class TSCSIDevice;

class WriterDrive {
public:
    virtual ~WriterDrive() = default;

    virtual bool read_buffer_capacity(std::uint32_t& size, std::uint32_t& free) = 0;
    // Sets the buffer figures the user interface shows.
    virtual void show_buffer(std::uint32_t size, std::uint32_t free) = 0;
    // Reads the disc type and records it as the current one.
    virtual std::uint8_t read_disc_type() = 0;
    virtual bool load() = 0;
    virtual bool rezero() = 0;
    virtual bool set_cd_speed(std::uint16_t read_speed, std::uint16_t write_speed) = 0;
    virtual bool wait_for_ready(int budget_ms, int interval_ms) = 0;
    virtual std::uint16_t current_write_speed() = 0;
    virtual std::uint16_t max_read_speed() = 0;
    virtual bool set_write_parameters(bool test_write, bool underrun_protection, std::uint8_t disc_type,
                                      bool finalize_disc) = 0;
    virtual bool set_streaming(const std::uint8_t* descriptor, std::uint16_t length) = 0;
    virtual int session_count() = 0;
    virtual bool send_timestamp(const std::tm& local_time) = 0;
    virtual bool reserve_track(std::uint32_t sectors) = 0;
    virtual bool send_opc() = 0;
    virtual bool write10(std::uint32_t lba, std::uint16_t sectors, const std::uint8_t* data, std::uint32_t bytes) = 0;
    virtual bool synchronize_cache(std::uint32_t timeout_ms, bool immediate) = 0;
    virtual bool read_disc_information() = 0;
    // FORMAT UNIT with format data (byte 1 = 0x11) and a 12-byte list.
    virtual bool format_unit(const std::uint8_t* list, std::uint32_t length) = 0;
    virtual bool close_track_session(bool immediate, std::uint8_t function, std::uint8_t track) = 0;
    virtual bool allow_medium_removal() = 0;
    virtual bool test_unit_ready(std::uint32_t timeout_ms) = 0;
    // Closing a CD session may carry IMMED on this drive model.
    virtual bool immediate_close() = 0;
    // The device handle is closed after every command from now on.
    virtual void close_handle_after_command() = 0;
    // No more failure lines in the debug log (set before DVD data).
    virtual void suppress_failure_log() = 0;

    // About the last failed command.
    virtual CommandFailure last_failure() = 0;
    virtual std::string last_error_text() = 0;

    // A line for the debug log (type 1 progress).
    virtual void debug(const std::string& text, int type) = 0;
};

class DeviceWriterDrive final : public WriterDrive {
public:
    explicit DeviceWriterDrive(TSCSIDevice& device) : device_(device) {}

    bool read_buffer_capacity(std::uint32_t& size, std::uint32_t& free) override;
    void show_buffer(std::uint32_t size, std::uint32_t free) override;
    std::uint8_t read_disc_type() override;
    bool load() override;
    bool rezero() override;
    bool set_cd_speed(std::uint16_t read_speed, std::uint16_t write_speed) override;
    bool wait_for_ready(int budget_ms, int interval_ms) override;
    std::uint16_t current_write_speed() override;
    std::uint16_t max_read_speed() override;
    bool set_write_parameters(bool test_write, bool underrun_protection, std::uint8_t disc_type,
                              bool finalize_disc) override;
    bool set_streaming(const std::uint8_t* descriptor, std::uint16_t length) override;
    int session_count() override;
    bool send_timestamp(const std::tm& local_time) override;
    bool reserve_track(std::uint32_t sectors) override;
    bool send_opc() override;
    bool write10(std::uint32_t lba, std::uint16_t sectors, const std::uint8_t* data, std::uint32_t bytes) override;
    bool synchronize_cache(std::uint32_t timeout_ms, bool immediate) override;
    bool read_disc_information() override;
    bool format_unit(const std::uint8_t* list, std::uint32_t length) override;
    bool close_track_session(bool immediate, std::uint8_t function, std::uint8_t track) override;
    bool allow_medium_removal() override;
    bool test_unit_ready(std::uint32_t timeout_ms) override;
    bool immediate_close() override;
    void close_handle_after_command() override;
    void suppress_failure_log() override;
    CommandFailure last_failure() override;
    std::string last_error_text() override;
    void debug(const std::string& text, int type) override;

private:
    TSCSIDevice& device_;
};

} // namespace valmuri
