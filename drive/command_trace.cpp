#include "drive/command_trace.h"

#include "drive/command_failure.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace valmuri {
namespace {

// The writer and the main thread may both send commands: one lock orders
// the lines.
struct Trace {
    std::mutex mutex;
    std::FILE* file = nullptr;
    std::atomic<bool> on{false};
};

Trace& trace()
{
    static Trace instance;
    return instance;
}

void append_hex(std::string& out, const std::uint8_t* bytes, std::size_t count)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            out += ' ';
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
}

std::string hex_byte(std::uint8_t value)
{
    std::string out;
    append_hex(out, &value, 1);
    return out;
}

} // namespace

bool set_command_trace(const std::string& path)
{
    Trace& t = trace();
    std::scoped_lock lock(t.mutex);
    if (t.file)
        std::fclose(t.file);
    t.file = path.empty() ? nullptr : std::fopen(path.c_str(), "a");
    t.on = t.file != nullptr;
    return path.empty() || t.file != nullptr;
}

void trace_from_environment()
{
    const char* path = std::getenv("VALMURI_TRACE");
    if (path && *path && !command_trace_on())
        set_command_trace(path);
}

bool command_trace_on()
{
    return trace().on.load();
}

std::string command_trace_line(const SRB_ExecSCSICmd& request, std::uint64_t elapsed_ms)
{
    const std::size_t cdb_length = std::min<std::size_t>(request.SRB_CDBLen, sizeof request.CDBByte);
    std::string line = "CDB ";
    append_hex(line, request.CDBByte, cdb_length);
    line += " | flags " + hex_byte(request.SRB_Flags) + " length " + std::to_string(request.SRB_BufLen);
    line += " | status " + hex_byte(request.SRB_Status) + " host " + hex_byte(request.SRB_HaStat) + " target "
        + hex_byte(request.SRB_TargStat);
    const SenseData sense = failure_of(request).sense;
    if (sense.response_code() != 0) {
        // Fixed-format sense: 8 header bytes and the additional length.
        const std::size_t sense_length
            = std::min<std::size_t>(8 + sense.additional_length(), std::min<std::size_t>(request.SRB_SenseLen, 18));
        line += " sense ";
        append_hex(line, sense.bytes.data(), std::max<std::size_t>(sense_length, 14));
    }
    line += " | " + std::to_string(elapsed_ms) + " ms";
    return line;
}

void trace_command(const SRB_ExecSCSICmd& request, std::uint64_t elapsed_ms)
{
    if (!command_trace_on())
        return;
    const std::string line = command_trace_line(request, elapsed_ms);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    Trace& t = trace();
    std::scoped_lock lock(t.mutex);
    if (t.file) {
        std::fprintf(t.file, "%s %s\n", stamp, line.c_str());
        std::fflush(t.file);
    }
}

} // namespace valmuri
