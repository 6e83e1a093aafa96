// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Frames the sensor sends by itself in the triggered serial mode, found at the start of
// the received bytes. Pure: no link, no globals, so it can be fuzzed on its own.

#include "link/frame.h"

struct TriggerScan {
    enum Kind {
        NeedMore, // fewer than a header's bytes
        Drop,     // not the start of a triggered frame: drop `drop` bytes and look again
        Frame,    // a valid header of a triggered frame; its data follows
    };
    Kind kind = NeedMore;
    int drop = 0;
    FrameHeader header{};
};

// Looks at the first bytes of `bytes`. A header that fails its checks is dropped up to
// the next sync byte within it, so one damaged frame does not throw the frames behind
// it out of step; a valid header of another order is dropped whole.
TriggerScan ScanTriggeredBytes(const unsigned char *bytes, int count);
