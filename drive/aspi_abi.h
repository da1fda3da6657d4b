#pragma once
// The ASPI request blocks as they cross the two library entry points.
//
// This header is the whole contract between the engine and an ASPI library
// (the virtual recorder, or a third-party libwnaspi32.so): plain C, byte
// packed, little-endian, every block zero-filled by the sender before use.
//
// On 64-bit Linux a buffer address does not fit the 4-byte pointer field of
// the execute block. The 97-byte layout and all other offsets stay as they
// are; the full address is carried little-endian in the reserved bytes 28-35
// and its low 32 bits in the pointer field at 16. The post event is an
// eventfd descriptor: a library that completes a request after
// SendASPI32Command has returned writes 1 to it.

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Command codes (byte 0 of every block). */
enum {
    SC_HA_INQUIRY = 0x00,
    SC_GET_DEV_TYPE = 0x01,
    SC_EXEC_SCSI_CMD = 0x02,
    SC_ABORT_SRB = 0x03,
    SC_GET_DISK_INFO = 0x06
};

/* Status values (byte 1). */
enum {
    SS_PENDING = 0x00,
    SS_COMP = 0x01,
    SS_ABORTED = 0x02,
    SS_ABORT_FAIL = 0x03,
    SS_ERR = 0x04,
    SS_INVALID_CMD = 0x80,
    SS_INVALID_HA = 0x81,
    SS_NO_DEVICE = 0x82,
    SS_INVALID_SRB = 0xE0,
    SS_BUFFER_ALIGN = 0xE1,
    SS_NOT_SENT = 0xE2, /* the sender could not send at all */
    SS_ASPI_IS_BUSY = 0xE5,
    SS_BUFFER_TO_BIG = 0xE6,
    SS_NO_ADAPTERS = 0xE8
};

/* Flags (byte 3). */
enum {
    SRB_DIR_IN = 0x08,
    SRB_DIR_OUT = 0x10,
    SRB_EVENT_NOTIFY = 0x40
};

/* Host adapter status values the engine reads (byte 22 of the execute block). */
enum {
    HASTAT_OK = 0x00,
    HASTAT_TIMEOUT = 0x09,
    HASTAT_SEL_TO = 0x11,   /* selection timeout: the target did not answer */
    HASTAT_BUS_FREE = 0x13  /* unexpected bus free: the request broke off */
};

#pragma pack(push, 1)

/* Execute SCSI command, 97 bytes. */
typedef struct SRB_ExecSCSICmd {
    uint8_t SRB_Cmd;        /* 0: SC_EXEC_SCSI_CMD */
    uint8_t SRB_Status;     /* 1: out */
    uint8_t SRB_HaId;       /* 2 */
    uint8_t SRB_Flags;      /* 3 */
    uint8_t SRB_Hdr_Rsvd[4]; /* 4 */
    uint8_t SRB_Target;     /* 8 */
    uint8_t SRB_Lun;        /* 9 */
    uint8_t SRB_Rsvd1[2];   /* 10 */
    uint32_t SRB_BufLen;    /* 12 */
    uint32_t SRB_BufPointer; /* 16: low 32 bits of the buffer address */
    uint8_t SRB_SenseLen;   /* 20: always 24 */
    uint8_t SRB_CDBLen;     /* 21: 6, 10 or 12 */
    uint8_t SRB_HaStat;     /* 22: out */
    uint8_t SRB_TargStat;   /* 23: out */
    uint32_t SRB_PostProc;  /* 24: eventfd descriptor, or 0 */
    uint64_t SRB_BufPointer64; /* 28: the full buffer address (reserved field on 32-bit) */
    uint8_t SRB_Rsvd2[12];  /* 36 */
    uint8_t CDBByte[16];    /* 48 */
    uint8_t SenseArea[33];  /* 64: out */
} SRB_ExecSCSICmd;

/* Host adapter inquiry, 60 bytes. */
typedef struct SRB_HAInquiry {
    uint8_t SRB_Cmd;        /* 0: SC_HA_INQUIRY */
    uint8_t SRB_Status;     /* 1 */
    uint8_t SRB_HaId;       /* 2 */
    uint8_t SRB_Flags;      /* 3 */
    uint8_t SRB_Hdr_Rsvd[4]; /* 4 */
    uint8_t HA_Count;       /* 8 */
    uint8_t HA_SCSI_ID;     /* 9 */
    uint8_t HA_ManagerId[16]; /* 10 */
    uint8_t HA_Identifier[16]; /* 26 */
    uint8_t HA_Unique[16];  /* 42 */
    uint8_t HA_Rsvd1[2];    /* 58 */
} SRB_HAInquiry;

/* Get device type. */
typedef struct SRB_GDEVBlock {
    uint8_t SRB_Cmd;        /* 0: SC_GET_DEV_TYPE */
    uint8_t SRB_Status;     /* 1 */
    uint8_t SRB_HaId;       /* 2 */
    uint8_t SRB_Flags;      /* 3 */
    uint8_t SRB_Hdr_Rsvd[4]; /* 4 */
    uint8_t SRB_Target;     /* 8 */
    uint8_t SRB_Lun;        /* 9 */
    uint8_t SRB_DeviceType; /* 10: out */
    uint8_t SRB_Rsvd1;      /* 11 */
} SRB_GDEVBlock;

/* Get disk information, 24 bytes. */
typedef struct SRB_GetDiskInfo {
    uint8_t SRB_Cmd;        /* 0: SC_GET_DISK_INFO */
    uint8_t SRB_Status;     /* 1 */
    uint8_t SRB_HaId;       /* 2 */
    uint8_t SRB_Flags;      /* 3 */
    uint8_t SRB_Hdr_Rsvd[4]; /* 4 */
    uint8_t SRB_Target;     /* 8 */
    uint8_t SRB_Lun;        /* 9 */
    uint8_t SRB_DriveFlags; /* 10 */
    uint8_t SRB_Int13HDriveInfo; /* 11: drive number, 0 = A */
    uint8_t SRB_Heads;      /* 12 */
    uint8_t SRB_Sectors;    /* 13 */
    uint8_t SRB_Rsvd1[10];  /* 14 */
} SRB_GetDiskInfo;

/* Abort a pending request, 16 bytes: the full address of the request to abort. */
typedef struct SRB_Abort {
    uint8_t SRB_Cmd;        /* 0: SC_ABORT_SRB */
    uint8_t SRB_Status;     /* 1 */
    uint8_t SRB_HaId;       /* 2 */
    uint8_t SRB_Flags;      /* 3 */
    uint8_t SRB_Hdr_Rsvd[4]; /* 4 */
    uint64_t SRB_ToAbort;   /* 8 */
} SRB_Abort;

#pragma pack(pop)

/* The two entry points an ASPI library exports with C linkage. */
typedef uint32_t (*GetASPI32SupportInfoFn)(void);
typedef uint32_t (*SendASPI32CommandFn)(void* request);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(SRB_ExecSCSICmd) == 97, "execute block is 97 bytes");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 12);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_SenseLen) == 20);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_HaStat) == 22);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 24);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer64) == 28);
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 48);
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 64);
static_assert(sizeof(SRB_HAInquiry) == 60, "host adapter inquiry block is 60 bytes");
static_assert(offsetof(SRB_HAInquiry, HA_Identifier) == 26);
static_assert(offsetof(SRB_HAInquiry, HA_Unique) == 42);
static_assert(offsetof(SRB_GDEVBlock, SRB_DeviceType) == 10);
static_assert(sizeof(SRB_GetDiskInfo) == 24, "disk information block is 24 bytes");
static_assert(sizeof(SRB_Abort) == 16, "abort block is 16 bytes");

#include "platform/endian.h"

namespace valmuri {

// Stores a data buffer in an execute block: the length, the full address in
// bytes 28-35 and its low 32 bits in the classic pointer field.
inline void set_srb_buffer(SRB_ExecSCSICmd& srb, void* data, uint32_t length)
{
    const uint64_t address = reinterpret_cast<uintptr_t>(data);
    valmuri::put_le32(reinterpret_cast<uint8_t*>(&srb) + offsetof(SRB_ExecSCSICmd, SRB_BufLen), length);
    valmuri::put_le32(reinterpret_cast<uint8_t*>(&srb) + offsetof(SRB_ExecSCSICmd, SRB_BufPointer),
        static_cast<uint32_t>(address));
    valmuri::put_le64(reinterpret_cast<uint8_t*>(&srb) + offsetof(SRB_ExecSCSICmd, SRB_BufPointer64), address);
}

// The data buffer of an execute block, from the full 64-bit address.
inline uint8_t* srb_buffer(const SRB_ExecSCSICmd& srb)
{
    const uint64_t address
        = valmuri::get_le64(reinterpret_cast<const uint8_t*>(&srb) + offsetof(SRB_ExecSCSICmd, SRB_BufPointer64));
    return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(address));
}

} // namespace valmuri
#endif
