// SPDX-License-Identifier: GPL-3.0-or-later

#include "recorder/trigger_scan.h"

#include "link/orders.h"

TriggerScan ScanTriggeredBytes(const unsigned char *bytes, int count)
{
    TriggerScan scan;
    if (!bytes || count < kHeaderSize)
        return scan;
    const unsigned length = bytes[4] | (bytes[5] << 8);
    const bool valid =
        bytes[0] == kSyncByte && crc8Update(bytes, 0, kHeaderSize, crc8Array) == 0 && length <= kMaxFrameData;
    if (!valid) {
        scan.kind = TriggerScan::Drop;
        scan.drop = kHeaderSize;
        for (int i = 1; i < kHeaderSize; ++i)
            if (bytes[i] == kSyncByte) {
                scan.drop = i;
                break;
            }
        return scan;
    }
    if (bytes[1] != ORDER_TRIGGERED_FRAME) {
        scan.kind = TriggerScan::Drop;
        scan.drop = kHeaderSize;
        return scan;
    }
    scan.kind = TriggerScan::Frame;
    scan.header = {
        bytes[0], bytes[1], static_cast<std::uint16_t>(bytes[2] | (bytes[3] << 8)), static_cast<std::uint16_t>(length),
        bytes[6], bytes[7]};
    return scan;
}
