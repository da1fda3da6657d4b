#pragma once
// What each MMC command the engine sends moves over the bus: the length of
// its CDB, the direction of its data phase and where the CDB says how many
// bytes travel.
//
// The command builders take the direction flags and the transfer length from
// this table, so a request cannot carry a data phase its CDB does not
// announce: a WRITE (10) without data, or a read into a buffer of another
// size than the drive sends.

#include <cstdint>

namespace valmuri {

enum class DataPhase : std::uint8_t { None, In, Out };

// Where the number of bytes of the data phase comes from.
enum class LengthSource : std::uint8_t {
    None,          // no data phase
    CdbBytes,      // a byte count in the CDB (allocation or parameter list length)
    CdbBlocks,     // a block count in the CDB, times 2048
    ParameterList, // the header of the parameter list (FORMAT UNIT)
};

struct CommandShape {
    std::uint8_t opcode;
    std::uint8_t cdb_length;
    DataPhase phase;
    LengthSource source;
    std::uint8_t field_offset; // first CDB byte of the length field
    std::uint8_t field_width;  // its width in bytes, big-endian
};

inline constexpr std::uint32_t kCommandBlockBytes = 2048;

// The shape of an opcode the engine sends; nullptr for any other.
const CommandShape* command_shape(std::uint8_t opcode);

// Request flags of a data phase: 0x40 none, 0x48 in, 0x50 out.
std::uint8_t request_flags(DataPhase phase);

// Bytes the CDB asks to move. For LengthSource::ParameterList the CDB does
// not say; use parameter_list_length on the list instead.
std::uint32_t cdb_transfer_length(const CommandShape& shape, const std::uint8_t* cdb);

// Length of a FORMAT UNIT parameter list: its 4-byte header plus the format
// descriptors the header counts.
std::uint32_t parameter_list_length(const std::uint8_t* list);

} // namespace valmuri
