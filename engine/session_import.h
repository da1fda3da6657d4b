#pragma once
// Import of a previous session: reads the directory tree of a closed session
// from a disc so that a new session can list the old files again, their data
// staying where it lies.
//
// The tree is read whole before anything joins the burner's disc tree, so a
// disc that turns out to be damaged part-way adds nothing.

#include "engine/disc_reader.h"
#include "engine/iso_reader.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace valmuri {

// Receives the import's messages: text and debug message type (1 progress,
// 4 invalid request).
using ImportMessage = std::function<void(const std::string& message, std::uint8_t type)>;

struct ImportedNode {
    iso_reader::DirectoryEntry entry;
    int parent = -1;   // index of the node's directory in the node list; -1 for the top directory
};

struct ImportedSession {
    int session = 0;
    bool joliet = false;
    // Directories come before their contents, each directory's entries in disc order.
    std::vector<ImportedNode> nodes;
};

// Bounds of one read, fixed so that no disc can make the import run long or
// grow without limit.
struct SessionReadLimits {
    std::uint32_t max_nodes = 65536;                 // one past what the disc tree can hold
    std::uint32_t max_path_table_bytes = 4 * 1024 * 1024;
};

// Reads the tree of session (1..127, or -1 for the last closed one; a
// number above the disc's count means the last one). Messages go to message
// when it is set. None when there is no session, no volume, or the volume's
// structures are damaged (directories that loop, nest deeper than its path
// table, or lie outside the volume).
std::optional<ImportedSession> read_previous_session(
    DiscReader& disc, int session, const ImportMessage& message, const SessionReadLimits& limits = {});

// The 13-character alternate name the tree gives an imported node: upper
// case a-z, characters below "!" or above "z" as "_".
std::string imported_alternate_name(const std::string& long_name);

} // namespace valmuri
