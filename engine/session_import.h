#pragma once
// Import of a previous session: reads the directory tree of a closed session
// from a disc so that a new session can list the old files again, their data
// staying where it lies.
//
// The tree is read whole before anything joins the burner's disc tree, so a
// disc that turns out to be damaged part-way adds nothing.

#include "engine/date_time.h"
#include "engine/disc_reader.h"
#include "engine/disc_tree.h"
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

// Date-time of a directory record's recording date; a date that names no
// day of the calendar gives day 0 with the record's time.
TDateTime imported_date_time(const iso_reader::RecordingDate& date);

// Adds a session read from a disc to the tree below into, as imported
// entries whose data stays on the disc. Folders of the same path are reused;
// a name already present in its folder keeps the node there (an old copy
// never replaces what is to be written now), and a folder whose name is
// taken by a file is left out with its contents.
void add_imported_session(DiscTree& tree, const ImportedSession& session, TDEntry* into);

// Reads session (-1 the last closed one) from the disc and adds it below
// into, the root when none. True when a volume was found and read.
bool ImportPreviousSession(DiscTree& tree, DiscReader& disc, std::int8_t session, TDEntry* into,
    const ImportMessage& message);

class TVordaCDBurner;

// The same for the burner: the disc in its selected drive, into its tree,
// the messages as its debug messages.
bool ImportPreviousSession(TVordaCDBurner& burner, std::int8_t session, TDEntry* into);

} // namespace valmuri
