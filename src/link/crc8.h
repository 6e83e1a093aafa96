// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Dallas/Maxim CRC-8 (reflected polynomial 0x8C) as used on the sensor link.
// Kept free of any other dependency so the simulator and fuzz targets can share it.

#include <cstdint>

extern const unsigned char crc8Array[256];

// Register starts at 0xAA (the CRC of an empty sequence); no final XOR.
unsigned char crc8Update(const void *buffer, unsigned start, unsigned count, const unsigned char *table);
