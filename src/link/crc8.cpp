// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/crc8.h"

namespace {
constexpr unsigned char tableEntry(unsigned value)
{
    unsigned reg = value;
    for (int bit = 0; bit < 8; ++bit)
        reg = (reg & 1u) ? (reg >> 1) ^ 0x8Cu : reg >> 1;
    return static_cast<unsigned char>(reg);
}

struct Crc8Table {
    unsigned char entries[256];
    constexpr Crc8Table() : entries{}
    {
        for (unsigned i = 0; i < 256; ++i)
            entries[i] = tableEntry(i);
    }
};
constexpr Crc8Table kTable;
static_assert(kTable.entries[1] == 0x5E && kTable.entries[7] == 0x83, "CRC-8 table start");
} // namespace

const unsigned char crc8Array[256] = {
#define E(i) kTable.entries[i]
#define R8(b) E(b), E(b + 1), E(b + 2), E(b + 3), E(b + 4), E(b + 5), E(b + 6), E(b + 7)
#define R64(b) R8(b), R8(b + 8), R8(b + 16), R8(b + 24), R8(b + 32), R8(b + 40), R8(b + 48), R8(b + 56)
    R64(0), R64(64), R64(128), R64(192)
#undef R64
#undef R8
#undef E
};

unsigned char crc8Update(const void *buffer, unsigned start, unsigned count, const unsigned char *table)
{
    const auto *bytes = static_cast<const unsigned char *>(buffer) + start;
    unsigned char reg = 0xAA;
    for (unsigned i = 0; i < count; ++i)
        reg = table[reg ^ bytes[i]];
    return reg;
}
