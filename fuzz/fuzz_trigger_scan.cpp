// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes from a sensor in the triggered serial mode, consumed as the recorder consumes
// its receive buffer: every verdict must move forward and stay inside the bytes.

#include "link/crc8.h"
#include "link/frame.h"
#include "recorder/trigger_scan.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t at = 0;
    while (at < size) {
        const int left = static_cast<int>(size - at > kLinkBufferSize ? kLinkBufferSize : size - at);
        const TriggerScan scan = ScanTriggeredBytes(data + at, left);
        if (scan.kind == TriggerScan::NeedMore)
            break;
        if (scan.kind == TriggerScan::Drop) {
            if (scan.drop <= 0 || scan.drop > left)
                std::abort();
            at += static_cast<std::size_t>(scan.drop);
            continue;
        }
        if (scan.header.order != 0x12 || scan.header.length > kMaxFrameData)
            std::abort();
        const std::size_t end = at + kHeaderSize + scan.header.length;
        if (end > size)
            break; // the rest of the frame has not arrived
        (void)crc8Update(data, static_cast<unsigned>(at + kHeaderSize), scan.header.length, crc8Array);
        at = end;
    }
    return 0;
}
