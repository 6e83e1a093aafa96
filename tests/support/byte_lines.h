// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Records and buffers compared byte for byte. Where a memcmp result would print only 1 != 0,
// SameBytes prints the lines of sixteen bytes that differ, with their offset, as found and as
// expected: a 4 KiB table with one changed byte shows one line, not twice 256.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <type_traits>

// Up to sixteen bytes as " xx xx ...".
inline std::string HexLine(const unsigned char *bytes, std::size_t count)
{
    std::string out;
    char cell[8];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(cell, sizeof cell, " %02x", bytes[i]);
        out += cell;
    }
    return out;
}

inline ::testing::AssertionResult SameBytes(const void *found, const void *expected, std::size_t size)
{
    const auto *f = static_cast<const unsigned char *>(found);
    const auto *e = static_cast<const unsigned char *>(expected);
    std::string differing;
    std::size_t lines = 0, changed = 0;
    for (std::size_t at = 0; at < size; at += 16, ++lines) {
        const std::size_t n = std::min<std::size_t>(16, size - at);
        const std::string fl = HexLine(f + at, n), el = HexLine(e + at, n);
        if (fl == el)
            continue;
        ++changed;
        char offset[32];
        std::snprintf(offset, sizeof offset, "%04zx:", at);
        differing += std::string("\n  found    ") + offset + fl + "\n  expected " + offset + el;
    }
    if (changed == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << changed << " of " << lines << " lines of 16 bytes differ:" << differing;
}

template <typename T>::testing::AssertionResult SameBytes(const T &found, const T &expected)
{
    static_assert(std::is_trivially_copyable_v<T>, "only plain records have meaningful bytes");
    return SameBytes(&found, &expected, sizeof found);
}
