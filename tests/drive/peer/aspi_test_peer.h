#pragma once
// Control interface of the test ASPI library (see aspi_test_peer.cpp).

#include "drive/aspi_abi.h"

#include <stdint.h>

enum AspiPeerMode {
    ASPI_PEER_AT_ONCE = 0, // completes inside SendASPI32Command
    ASPI_PEER_LATER = 1,   // completes from a thread and signals the post event
    ASPI_PEER_NEVER = 2    // stays pending
};

struct AspiPeerDevice {
    uint8_t host_adapter;
    uint8_t target;
    uint8_t lun;
    uint8_t type;
    char identification[29]; // vendor 8, product 16, revision 4
    uint8_t write_bits;      // byte 3 of its capabilities page (1: CD-R)
};

struct AspiPeerConfig {
    int mode = ASPI_PEER_AT_ONCE;
    int later_ms = 20;
    uint8_t adapter_count = 1;
    bool fail_adapter_inquiry = false;
    uint8_t answer_status = 0; // 0: SS_COMP
    bool record_inquiries = true;
    uint8_t disk_info_status = SS_ERR;
    uint8_t disk_info_drive = 0;
    int device_count = 0;
    AspiPeerDevice devices[8] = {};
};

struct AspiPeerRecord {
    int support_info_calls = 0;
    int adapter_inquiries = 0;
    int highest_adapter_inquired = -1;
    int executes = 0;
    int aborts = 0;
    int disk_info_requests = 0;
    uint64_t aborted_address = 0;
    uint8_t abort_adapter = 0;
    bool event_open_at_abort = false;
    uint64_t last_request_address = 0;
    SRB_ExecSCSICmd last{};
};

using AspiPeerConfigureFn = void (*)(const AspiPeerConfig*);
using AspiPeerRecordFn = void (*)(AspiPeerRecord*);
