// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The calibration table file: plain text, one unsigned 16-bit entry per line (decimal
// or 0x-hexadecimal), blank lines and '#' comments ignored. "XF-SIZE: " 2048 takes
// 2048 entries (eight XFLASH pages), any other size 1024 (four pages). No Qt, so the
// fuzz target can link it alone.

#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::size_t kCalibTableBytes = 4096;

// Entries a table must hold for a header size.
int CalibrationTableEntries(std::uint16_t xfSize);

// Parses text into table: entry i as little-endian bytes 2i and 2i+1, the rest of the
// 4096 bytes zero. Only a complete and valid text writes table. On failure false,
// table untouched, and error names the line at fault.
bool ParseCalibrationTable(const char *text, std::size_t size, std::uint16_t xfSize,
                           unsigned char (&table)[kCalibTableBytes], std::string *error);
