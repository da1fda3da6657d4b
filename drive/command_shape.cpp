#include "drive/command_shape.h"

#include "drive/aspi_abi.h"
#include "platform/endian.h"

#include <array>

namespace valmuri {
namespace {

constexpr DataPhase kNone = DataPhase::None;
constexpr DataPhase kIn = DataPhase::In;
constexpr DataPhase kOut = DataPhase::Out;
constexpr LengthSource kNoLength = LengthSource::None;
constexpr LengthSource kBytes = LengthSource::CdbBytes;
constexpr LengthSource kBlocks = LengthSource::CdbBlocks;
constexpr LengthSource kList = LengthSource::ParameterList;

// Field positions and widths as MMC-5 (and SPC-3 for INQUIRY and REQUEST
// SENSE) define them. RESERVE TRACK goes out as a 12-byte block, as the
// engine has always sent it; drives read its 10-byte layout from the front.
constexpr std::array kShapes = {
    CommandShape{0x00, 6, kNone, kNoLength, 0, 0},
    CommandShape{0x01, 6, kNone, kNoLength, 0, 0},
    CommandShape{0x03, 6, kIn, kBytes, 4, 1},
    CommandShape{0x04, 6, kOut, kList, 0, 0},
    CommandShape{0x12, 6, kIn, kBytes, 3, 2},
    CommandShape{0x1B, 6, kNone, kNoLength, 0, 0},
    CommandShape{0x1E, 6, kNone, kNoLength, 0, 0},
    CommandShape{0x23, 10, kIn, kBytes, 7, 2},
    CommandShape{0x28, 10, kIn, kBlocks, 7, 2},
    CommandShape{0x2A, 10, kOut, kBlocks, 7, 2},
    CommandShape{0x35, 10, kNone, kNoLength, 0, 0},
    CommandShape{0x43, 10, kIn, kBytes, 7, 2},
    CommandShape{0x46, 10, kIn, kBytes, 7, 2},
    CommandShape{0x51, 10, kIn, kBytes, 7, 2},
    CommandShape{0x52, 10, kIn, kBytes, 7, 2},
    CommandShape{0x53, 12, kNone, kNoLength, 0, 0},
    // The parameter list length (bytes 7-8) is 0 whenever DoOPC is set.
    CommandShape{0x54, 10, kNone, kNoLength, 0, 0},
    CommandShape{0x55, 10, kOut, kBytes, 7, 2},
    CommandShape{0x5A, 10, kIn, kBytes, 7, 2},
    CommandShape{0x5B, 10, kNone, kNoLength, 0, 0},
    CommandShape{0x5C, 10, kIn, kBytes, 7, 2},
    CommandShape{0xA1, 12, kNone, kNoLength, 0, 0},
    CommandShape{0xB6, 12, kOut, kBytes, 9, 2},
    CommandShape{0xBB, 12, kNone, kNoLength, 0, 0},
    CommandShape{0xBF, 12, kOut, kBytes, 8, 2},
};

} // namespace

const CommandShape* command_shape(std::uint8_t opcode)
{
    for (const CommandShape& shape : kShapes)
        if (shape.opcode == opcode)
            return &shape;
    return nullptr;
}

std::uint8_t request_flags(DataPhase phase)
{
    switch (phase) {
    case DataPhase::In:
        return SRB_EVENT_NOTIFY | SRB_DIR_IN;
    case DataPhase::Out:
        return SRB_EVENT_NOTIFY | SRB_DIR_OUT;
    case DataPhase::None:
        break;
    }
    return SRB_EVENT_NOTIFY;
}

std::uint32_t cdb_transfer_length(const CommandShape& shape, const std::uint8_t* cdb)
{
    std::uint32_t field = 0;
    for (std::uint8_t i = 0; i < shape.field_width; ++i)
        field = (field << 8) | cdb[shape.field_offset + i];
    switch (shape.source) {
    case LengthSource::CdbBytes:
        return field;
    case LengthSource::CdbBlocks:
        return field * kCommandBlockBytes;
    case LengthSource::None:
    case LengthSource::ParameterList:
        break;
    }
    return 0;
}

std::uint32_t parameter_list_length(const std::uint8_t* list)
{
    return 4u + get_be16(list + 2);
}

} // namespace valmuri
