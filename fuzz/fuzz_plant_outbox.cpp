// SPDX-License-Identifier: GPL-3.0-or-later
// Any file contents through the plant link's outbox-file reader: it keeps only whole
// records, and what it keeps, written again, reads back the same.

#include "plant/outbox_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const PlantOutboxContents c = ReadPlantOutbox(bytes, size);
    if (c.wholeBytes > size || c.damaged != (c.wholeBytes != size) || c.offsets.size() != c.messages.size())
        std::abort();
    // The whole part alone reads the same, undamaged.
    const PlantOutboxContents whole = ReadPlantOutbox(bytes, c.wholeBytes);
    if (whole.messages.size() != c.messages.size() || whole.lastId != c.lastId || whole.damaged)
        std::abort();
    std::string again = PlantOutboxHeader();
    std::uint64_t previous = 0;
    for (std::size_t i = 0; i < c.messages.size(); ++i) {
        const PlantMessage &m = c.messages[i];
        if (m.id <= previous || m.id > c.lastId || m.id <= c.lastDone || c.offsets[i] >= c.wholeBytes)
            std::abort();
        previous = m.id;
        again += PlantOutboxMessageRecord(m);
    }
    const PlantOutboxContents reread = ReadPlantOutbox(again.data(), again.size());
    if (reread.damaged || reread.messages.size() != c.messages.size())
        std::abort();
    for (std::size_t i = 0; i < c.messages.size(); ++i)
        if (reread.messages[i].payload != c.messages[i].payload || reread.messages[i].topic != c.messages[i].topic ||
            reread.messages[i].retain != c.messages[i].retain)
            std::abort();
    return 0;
}
