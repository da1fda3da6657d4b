// Feeds arbitrary bytes to the session import as a one-session disc image,
// and what it reads into a disc tree.

#include "engine/disc_reader.h"
#include "engine/disc_tree.h"
#include "engine/session_import.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace valmuri;
    MemoryDiscReader disc(std::span(data, size));
    std::size_t message_bytes = 0;
    auto message = [&](const std::string& text, std::uint8_t) { message_bytes += text.size(); };
    const auto session = read_previous_session(disc, -1, message);
    if (!session)
        return 0;
    for (std::size_t i = 0; i < session->nodes.size(); ++i) {
        const int parent = session->nodes[i].parent;
        if (parent >= static_cast<int>(i) || session->nodes[i].entry.name.empty())
            __builtin_trap();
    }
    DiscTree tree;
    tree.Now = [] { return 0.0; };
    tree.OnDebug = message;
    add_imported_session(tree, *session, nullptr);
    if (tree.FileCount() > static_cast<int>(session->nodes.size()))
        __builtin_trap();
    return 0;
}
