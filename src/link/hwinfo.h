// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The sensor's hardware-info record and the hardware-type constants derived from it.

#include "base/records.h"

#include <cstdint>

// Set by the identification (start-up defaults before); read by the pages as noted.
extern std::uint16_t HWTYPE;    // 1 a -CL model, 2 another of the served family, 0 other: ident page, settings
extern std::uint16_t ADCMAX;    // largest video value (255 at start-up, 256 or 1024): graph axes, thresholds
extern std::uint16_t PRECISION; // decimals of the millimetre displays (1, 2 once identified)
extern double MIN_ITIME;        // shortest integration time of the model, ms: exposure limits
extern std::uint16_t pixB;      // first pixel of the sensor's evaluation (1 once identified)
extern std::uint16_t pixE;      // last pixel of its evaluation; 0 before identification: whole line
// 72 bytes of firmware text plus a terminator: the sensor need not send a zero. Read by the
// identification; the status tooltip, hardware info file and plant identity show it.
extern char szFirmwareVersion[73];

void SetHardwareInfoDefaults(HardwareInfo &h);
// The receiver's pixel count as the unsigned value the comparisons use.
std::uint16_t PixelCount();
// "resolution\t\t\t\t= +/- Nµm" (µ as the Latin-1 byte)
void FormatResolutionLine(char *buffer, int size, int microns);
