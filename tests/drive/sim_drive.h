#pragma once
// A small MMC recorder behind the fake pass-through system: enough state to
// answer the commands of the drive control and erase layers, and a record
// of every CDB and data-out payload it received.

#include "drive/scsi_device.h"
#include "drive/transport.h"
#include "tests/drive/transport_fixture.h"

#include <functional>
#include <map>
#include <set>
#include <vector>

#include <scsi/sg.h>

namespace valmuri::test {

struct SimSense {
    std::uint8_t key = 0, asc = 0, ascq = 0;
};

class SimDrive {
public:
    std::uint16_t profile = 0x0A; // CD-RW
    bool disc_present = true;
    std::array<std::uint8_t, 56> disc_info{};
    std::map<std::uint8_t, std::array<std::uint8_t, 40>> tracks;
    // MODE SENSE pages by page code; defaults answered only when set.
    std::map<std::uint8_t, std::vector<std::uint8_t>> current_pages, default_pages;
    std::map<std::uint16_t, std::uint8_t> features; // feature -> byte 12
    std::vector<std::uint8_t> atip;                 // empty: READ TOC format 4 fails
    std::map<std::uint32_t, std::vector<std::uint8_t>> blocks;
    std::vector<std::uint8_t> format_capacities;
    std::set<std::uint8_t> rejected; // opcodes answered ILLEGAL REQUEST
    std::set<std::uint8_t> lost;     // opcodes the kernel fails: the drive no longer answers (DID_NO_CONNECT)
    std::set<std::uint8_t> rejected_write_types; // MODE SELECT page 05 write types refused
    bool blank_refused = false;
    int blank_polls = 3;   // polls answered "not ready" after BLANK or FORMAT UNIT
    int not_ready = 0;     // polls (TUR, READ DISC INFORMATION, REQUEST SENSE) still not ready
    bool forever_not_ready = false;

    std::vector<std::vector<std::uint8_t>> cdbs;
    std::vector<std::vector<std::uint8_t>> payloads; // data-out of each command, empty otherwise
    std::function<void(std::uint8_t opcode)> on_command; // runs before each answer

    SimDrive()
    {
        set_disc(kDiscEmptyState, 1, 1);
        std::vector<std::uint8_t> page05(0x34, 0);
        page05[0] = 0x05;
        page05[1] = 0x32;
        current_pages[0x05] = page05;
    }

    static constexpr std::uint8_t kDiscEmptyState = 0;

    // status 0 empty, 1 appendable, 2 complete; last session state in bits 2-3.
    void set_disc(std::uint8_t status, std::uint8_t sessions, std::uint8_t last_track, bool erasable = true,
        std::uint8_t last_session_state = 0)
    {
        disc_info.fill(0);
        disc_info[1] = 32;
        disc_info[2] = static_cast<std::uint8_t>(status | (last_session_state << 2) | (erasable ? 0x10 : 0));
        disc_info[4] = sessions;
        disc_info[6] = last_track;
    }

    void set_track(std::uint8_t number, std::uint32_t start, std::uint32_t next_writable, std::uint32_t free,
        std::uint32_t size, std::uint32_t last_recorded = 0)
    {
        std::array<std::uint8_t, 40> t{};
        t[1] = 38;
        put_be32(&t[8], start);
        put_be32(&t[12], next_writable);
        put_be32(&t[16], free);
        put_be32(&t[24], size);
        put_be32(&t[28], last_recorded);
        tracks[number] = t;
    }

    // Capabilities page with the given read/write bytes and speeds.
    static std::vector<std::uint8_t> capabilities_page(std::uint8_t read, std::uint8_t write, std::uint8_t buf,
        std::uint16_t max_read, std::uint16_t max_write, std::uint16_t current_write)
    {
        std::vector<std::uint8_t> p(0x1C + 2, 0);
        p[0] = 0x2A;
        p[1] = 0x1C;
        p[2] = read;
        p[3] = write;
        p[4] = buf;
        put_be16(&p[8], max_read);
        put_be16(&p[12], 2048);
        put_be16(&p[14], max_read);
        put_be16(&p[18], max_write);
        put_be16(&p[20], current_write);
        return p;
    }

    int count(std::uint8_t opcode) const
    {
        int n = 0;
        for (const auto& cdb : cdbs)
            n += cdb[0] == opcode;
        return n;
    }

    std::vector<std::vector<std::uint8_t>> sent(std::uint8_t opcode) const
    {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto& cdb : cdbs)
            if (cdb[0] == opcode)
                out.push_back(cdb);
        return out;
    }

    std::vector<std::uint8_t> payload_of_last(std::uint8_t opcode) const
    {
        for (std::size_t i = cdbs.size(); i-- > 0;)
            if (cdbs[i][0] == opcode)
                return payloads[i];
        return {};
    }

    bool answer(sg_io_hdr& io)
    {
        std::vector<std::uint8_t> cdb(io.cmdp, io.cmdp + io.cmd_len);
        cdbs.push_back(cdb);
        auto* data = static_cast<std::uint8_t*>(io.dxferp);
        payloads.push_back(io.dxfer_direction == SG_DXFER_TO_DEV && data
                ? std::vector<std::uint8_t>(data, data + io.dxfer_len)
                : std::vector<std::uint8_t>{});
        const std::uint8_t op = cdb[0];
        if (on_command)
            on_command(op);
        if (rejected.count(op))
            return check(io, {5, 0x20, 0});
        if (lost.count(op)) {
            io.host_status = 0x01;
            return true;
        }

        const bool poll = op == 0x00 || op == 0x51 || op == 0x03;
        if (poll && (not_ready > 0 || forever_not_ready)) {
            if (not_ready > 0)
                --not_ready;
            if (op == 0x03)
                return give(io, sense_bytes({2, 0x04, 0x07}));
            return check(io, {2, 0x04, 0x07});
        }
        if (!disc_present && op != 0x03 && op != 0x5A && op != 0x46 && op != 0x1B && op != 0x1E && op != 0xBB)
            return check(io, {2, 0x3A, 0});

        switch (op) {
        case 0x03:
            return give(io, sense_bytes({0, 0, 0}));
        case 0x46: {
            std::vector<std::uint8_t> r(16, 0);
            put_be16(&r[6], profile);
            const std::uint16_t feature = cdb[3];
            auto it = features.find(feature);
            if (feature != 0 && it != features.end()) {
                put_be16(&r[8], feature);
                r[12] = it->second;
            }
            return give(io, r);
        }
        case 0x43:
            if ((cdb[2] & 0x0F) == 4 && !atip.empty())
                return give(io, atip);
            return check(io, {5, 0x24, 0});
        case 0x51:
            return give(io, std::vector<std::uint8_t>(disc_info.begin(), disc_info.end()));
        case 0x52: {
            auto it = tracks.find(cdb[5]);
            if (it == tracks.end())
                return check(io, {5, 0x24, 0});
            return give(io, std::vector<std::uint8_t>(it->second.begin(), it->second.end()));
        }
        case 0x5A: {
            const std::uint8_t page = cdb[2] & 0x3F;
            const auto& pages = (cdb[2] & 0xC0) == 0x80 ? default_pages : current_pages;
            auto it = pages.find(page);
            if (it == pages.end())
                return check(io, {5, 0x24, 0});
            std::vector<std::uint8_t> r(8, 0);
            r.insert(r.end(), it->second.begin(), it->second.end());
            put_be16(&r[0], static_cast<std::uint16_t>(r.size() - 2));
            return give(io, r);
        }
        case 0x55:
            if (io.dxfer_len > 10 && data[8] == 0x05 && rejected_write_types.count(data[10] & 0x0F))
                return check(io, {5, 0x26, 0});
            return true;
        case 0x28: {
            const std::uint32_t lba = get_be32(&cdb[2]);
            auto it = blocks.find(lba);
            return give(io, it == blocks.end() ? std::vector<std::uint8_t>(2048, 0) : it->second);
        }
        case 0x23:
            if (format_capacities.empty())
                return check(io, {5, 0x24, 0});
            return give(io, format_capacities);
        case 0xA1:
            if (blank_refused)
                return check(io, {5, 0x64, 0});
            not_ready = blank_polls;
            return true;
        case 0x04:
            not_ready = blank_polls;
            return true;
        default:
            return true;
        }
    }

    static std::vector<std::uint8_t> sense_bytes(SimSense s)
    {
        std::vector<std::uint8_t> b(18, 0);
        b[0] = 0x70;
        b[2] = s.key;
        b[7] = 10;
        b[12] = s.asc;
        b[13] = s.ascq;
        return b;
    }

private:
    static bool give(sg_io_hdr& io, const std::vector<std::uint8_t>& bytes)
    {
        std::memset(io.dxferp, 0, io.dxfer_len);
        std::memcpy(io.dxferp, bytes.data(), std::min<std::size_t>(bytes.size(), io.dxfer_len));
        return true;
    }

    static bool check(sg_io_hdr& io, SimSense s)
    {
        io.status = 0x02;
        const auto b = sense_bytes(s);
        std::memcpy(io.sbp, b.data(), std::min<std::size_t>(b.size(), io.mx_sb_len));
        io.sb_len_wr = static_cast<unsigned char>(std::min<std::size_t>(b.size(), io.mx_sb_len));
        return true;
    }
};

// A device selected on a SimDrive through the pass-through emulation, with a
// virtual clock so that every poll loop runs at once.
class SimDriveTest : public TransportTest {
protected:
    void SetUp() override
    {
        TransportTest::SetUp();
        system.add("/dev/sr0", 0, 0).answer = [this](sg_io_hdr& io) { return sim.answer(io); };
        ASSERT_TRUE(LoadASPI(true, ""));
        ASSERT_EQ(aspi_layer_name(), kEmulationLayerName);
        // Selecting also resets the process-wide drive-model quirks.
        device.set_clock(clock);
        device.SelectDevice("0:0:0,/dev/sr0 VALMURI TEST DRIVE      1.00");
        ASSERT_EQ(device.SelectedAddress(), (DeviceAddress{0, 0, 0}));
        ASSERT_FALSE(TSCSIDevice::SlowReadyHost());
        sim.cdbs.clear();
        sim.payloads.clear();
        device.OnDebugMessage = [this](TSCSIDevice*, const std::string& message, int type) {
            lines.push_back(std::to_string(type) + " " + message);
        };
        TSCSIDevice::SetCurrentDiscType(dtUnknown);
    }

    SimDrive sim;
    TSCSIDevice device;
    VirtualClock clock;
    std::vector<std::string> lines;
};

} // namespace valmuri::test
