#pragma once
// A scripted drive for the writer: it logs every command as a short line and
// answers as the test tells it.

#include "engine/writer_drive.h"

#include <cstdint>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace valmuri::test {

class FakeWriterDrive : public WriterDrive {
public:
    // A failure as the drive reports it.
    struct Failure {
        std::uint8_t asc = 0;
        bool busy = false;
        std::string text;
        // The host adapter reported it (SELECTION TIMEOUT) instead of the drive.
        bool transport = false;
    };

    std::uint8_t disc_type = 2;
    int sessions = 0;
    std::uint32_t buffer_size = 2 * 1024 * 1024;
    std::uint32_t buffer_free = 0xFFFFFFFF;
    bool buffer_readable = true;
    std::uint16_t write_speed = 1411;
    bool immediate = true;
    // Return a Failure pointer to fail the command (nullptr succeeds).
    std::function<const Failure*(std::uint32_t lba, std::uint16_t sectors, const std::uint8_t* data)> on_write;
    std::function<const Failure*(std::uint8_t function, std::uint8_t track)> on_close;
    std::function<bool()> on_read_disc_information;

    std::atomic<std::uint32_t> shown_size{0}, shown_free{0};
    std::vector<std::string> log;
    struct Write {
        std::uint32_t lba;
        std::uint16_t sectors;
    };
    std::vector<Write> writes;         // every accepted WRITE(10)
    std::vector<std::uint8_t> written; // their bytes, in order

    std::vector<std::string> lines_starting(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& line : log)
            if (line.rfind(prefix, 0) == 0)
                out.push_back(line);
        return out;
    }
    bool has(const std::string& prefix) const { return !lines_starting(prefix).empty(); }

    bool read_buffer_capacity(std::uint32_t& size, std::uint32_t& free) override
    {
        add("RBC");
        if (!succeed(buffer_readable))
            return false;
        size = buffer_size;
        free = buffer_free;
        return true;
    }
    void show_buffer(std::uint32_t size, std::uint32_t free) override
    {
        shown_size = size;
        shown_free = free;
        add("SHOW " + std::to_string(size) + " " + std::to_string(free));
    }
    std::uint8_t read_disc_type() override { return add("TYPE"), disc_type; }
    bool load() override { return add("LOAD"), succeed(true); }
    bool rezero() override { return add("REZERO"), succeed(true); }
    bool set_cd_speed(std::uint16_t r, std::uint16_t w) override
    {
        add("SPEED " + std::to_string(r) + " " + std::to_string(w));
        return succeed(true);
    }
    bool wait_for_ready(int budget, int interval) override
    {
        add("READY " + std::to_string(budget) + " " + std::to_string(interval));
        return succeed(true);
    }
    std::uint16_t current_write_speed() override { return write_speed; }
    std::uint16_t max_read_speed() override { return 7056; }
    bool set_write_parameters(bool test, bool underrun, std::uint8_t type, bool finalize) override
    {
        add("WP " + std::to_string(test) + std::to_string(underrun) + " " + std::to_string(type) + " "
            + std::to_string(finalize));
        return succeed(true);
    }
    bool set_streaming(const std::uint8_t* d, std::uint16_t length) override
    {
        std::string line = "STREAM";
        for (std::uint16_t i = 8; i < length; i += 4)
            line += " " + std::to_string((d[i] << 24) | (d[i + 1] << 16) | (d[i + 2] << 8) | d[i + 3]);
        add(line);
        return succeed(true);
    }
    int session_count() override { return add("SESSIONS"), sessions; }
    bool send_timestamp(const std::tm&) override { return add("TIMESTAMP"), succeed(true); }
    bool reserve_track(std::uint32_t sectors) override { return add("RESERVE " + std::to_string(sectors)), succeed(true); }
    bool send_opc() override { return add("OPC"), succeed(true); }
    bool write10(std::uint32_t lba, std::uint16_t sectors, const std::uint8_t* data, std::uint32_t bytes) override
    {
        add("WRITE " + std::to_string(lba) + " " + std::to_string(sectors));
        if (bytes != sectors * 2048u)
            add("BAD LENGTH");
        const Failure* failure = on_write ? on_write(lba, sectors, data) : nullptr;
        if (failure)
            return fail(*failure);
        writes.push_back({lba, sectors});
        written.insert(written.end(), data, data + bytes);
        return succeed(true);
    }
    bool synchronize_cache(std::uint32_t timeout, bool immediate_bit) override
    {
        add("SYNC " + std::to_string(timeout) + " " + std::to_string(immediate_bit));
        return succeed(true);
    }
    bool read_disc_information() override
    {
        add("RDI");
        return on_read_disc_information ? on_read_disc_information() : succeed(true);
    }
    bool format_unit(const std::uint8_t*, std::uint32_t length) override
    {
        add("FORMAT " + std::to_string(length));
        return succeed(true);
    }
    bool close_track_session(bool immediate_bit, std::uint8_t function, std::uint8_t track) override
    {
        add("CLOSE " + std::to_string(function) + " " + std::to_string(track) + " " + std::to_string(immediate_bit));
        const Failure* failure = on_close ? on_close(function, track) : nullptr;
        return failure ? fail(*failure) : succeed(true);
    }
    bool allow_medium_removal() override { return add("ALLOW"), succeed(true); }
    bool test_unit_ready(std::uint32_t timeout) override { return add("TUR " + std::to_string(timeout)), succeed(true); }
    bool immediate_close() override { return immediate; }
    void close_handle_after_command() override { add("CLOSEHANDLE"); }
    void suppress_failure_log() override { add("LATCH"); }
    CommandFailure last_failure() override
    {
        CommandFailure failure;
        if (!failed_)
            return failure;
        failure.status = 0x04;
        failure.host_status = transport_ ? 0x11 : 0;
        failure.target_status = busy_ ? 0x08 : (asc_ != 0 ? 0x02 : 0);
        if (asc_ != 0) {
            failure.sense.bytes[0] = 0x70;
            failure.sense.bytes[7] = 10;
            failure.sense.bytes[12] = asc_;
        }
        return failure;
    }
    std::string last_error_text() override { return text_; }
    void debug(const std::string& text, int type) override { add("DEBUG " + std::to_string(type) + " " + text); }

    // Set asc before a command that should report it (e.g. not ready polls).
    void set_sense(std::uint8_t asc)
    {
        asc_ = asc;
        failed_ = asc != 0;
    }

private:
    void add(const std::string& line)
    {
        std::scoped_lock lock(mutex_);
        log.push_back(line);
    }
    bool succeed(bool ok)
    {
        if (ok) {
            asc_ = 0;
            busy_ = false;
            transport_ = false;
            failed_ = false;
            text_.clear();
        }
        return ok;
    }
    bool fail(const Failure& failure)
    {
        asc_ = failure.asc;
        busy_ = failure.busy;
        transport_ = failure.transport;
        failed_ = true;
        text_ = failure.text;
        return false;
    }

    std::mutex mutex_;
    std::uint8_t asc_ = 0;
    bool busy_ = false;
    bool transport_ = false;
    bool failed_ = false;
    std::string text_;
};

} // namespace valmuri::test
