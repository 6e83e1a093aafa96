#pragma once
// The sensor's hardware-info record and the hardware-type constants derived from it.

#include "base/records.h"

#include <cstdint>

extern std::uint16_t HWTYPE;
extern std::uint16_t ADCMAX;
extern std::uint16_t PRECISION;
extern double MIN_ITIME;
extern std::uint16_t pixB, pixE;
// 72 bytes of firmware text plus a terminator: the sensor need not send a zero.
extern char szFirmwareVersion[73];

void SetHardwareInfoDefaults(HardwareInfo &h);
// The receiver's pixel count as the unsigned value the comparisons use.
std::uint16_t PixelCount();
// "resolution\t\t\t\t= +/- Nµm" (µ as the Latin-1 byte)
void FormatResolutionLine(char *buffer, int size, int microns);
