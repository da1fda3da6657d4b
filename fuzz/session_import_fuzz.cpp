// Feeds arbitrary bytes to the session import as a one-session disc image.

#include "engine/disc_reader.h"
#include "engine/session_import.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace valmuri;
    MemoryDiscReader disc(std::span(data, size));
    std::size_t messages = 0;
    const auto session = read_previous_session(disc, -1, [&](const std::string& text, std::uint8_t) {
        messages += text.size();
    });
    if (session) {
        for (const auto& node : session->nodes) {
            if (node.parent >= static_cast<int>(session->nodes.size()) || node.entry.name.empty())
                __builtin_trap();
        }
    }
    return 0;
}
