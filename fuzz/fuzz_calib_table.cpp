// SPDX-License-Identifier: GPL-3.0-or-later
// Any file contents through the calibration-table parser, for both table layouts: a
// failed parse must leave the table untouched.

#include "calib/table_format.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *text = reinterpret_cast<const char *>(data);
    for (std::uint16_t xfSize : {std::uint16_t{2048}, std::uint16_t{1024}}) {
        unsigned char table[kCalibTableBytes];
        std::memset(table, 0xA5, sizeof table);
        std::string error;
        const bool ok = ParseCalibrationTable(text, size, xfSize, table, &error);
        if (ok != error.empty())
            std::abort();
        if (!ok)
            for (unsigned char b : table)
                if (b != 0xA5)
                    std::abort();
        if (ok && xfSize != 2048)
            for (std::size_t i = 2048; i < sizeof table; ++i)
                if (table[i] != 0)
                    std::abort();
    }
    return 0;
}
