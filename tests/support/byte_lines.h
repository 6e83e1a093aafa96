#pragma once
// A record's or a buffer's bytes as text, sixteen to a line after their offset. Compared with
// EXPECT_EQ, a mismatch prints the lines that differ, where a memcmp result would print only 1 != 0.

#include <cstddef>
#include <cstdio>
#include <string>
#include <type_traits>

inline std::string ByteLines(const void *data, std::size_t size)
{
    const auto *bytes = static_cast<const unsigned char *>(data);
    std::string out;
    char cell[32];
    for (std::size_t i = 0; i < size; ++i) {
        if (i % 16 == 0) {
            std::snprintf(cell, sizeof cell, "%s%04zx:", i ? "\n" : "", i);
            out += cell;
        }
        std::snprintf(cell, sizeof cell, " %02x", bytes[i]);
        out += cell;
    }
    return out;
}

template <typename T>
std::string ByteLines(const T &record)
{
    static_assert(std::is_trivially_copyable_v<T>, "only plain records have meaningful bytes");
    return ByteLines(&record, sizeof record);
}
