// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes arriving from the sensor, in pieces as a TCP link delivers them, go
// through the header verdict and, when the header passes, the data verdict.

#include "base/state.h"
#include "link/frame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    // First byte: the line-status bits and how the wait ended; the rest: the bytes.
    const std::uint8_t control = data[0];
    data += 1;
    size -= 1;

    std::memset(szReadBuf, 0, sizeof szReadBuf);
    std::size_t received = 0;
    // Accumulate as the conversation callback does: never past the buffer.
    while (size > 0 && received < sizeof szReadBuf) {
        const std::size_t piece = std::min<std::size_t>({size, sizeof szReadBuf - received, 1u + data[0] % 97u});
        std::memcpy(szReadBuf + received, data, piece);
        received += piece;
        data += piece;
        size -= piece;
    }

    WaitResult wait;
    wait.timedOut = (control & 0x80) != 0 && received < 8;
    wait.abandoned = (control & 0x40) != 0;
    wait.lineStatus = control & 0x51;
    FillTxBuf(8, 0, nullptr, 0);
    if (HeaderVerdict(wait, &head.order, &head.address, &head.length, &head.dataCrc) == 1 && head.length > 0) {
        WaitResult dataWait;
        dataWait.timedOut = received < 8u + head.length;
        DataVerdict(dataWait);
    }
    // The status line must always be a terminated text inside its buffer.
    if (std::memchr(szStatus, '\0', sizeof szStatus) == nullptr)
        __builtin_trap();
    return 0;
}
