// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/hwinfo.h"

#include <cstdio>
#include <cstring>

std::uint16_t HWTYPE;
std::uint16_t ADCMAX = 255;
std::uint16_t PRECISION = 1;
double MIN_ITIME;
std::uint16_t pixB, pixE;
char szFirmwareVersion[73];

void SetHardwareInfoDefaults(HardwareInfo &h)
{
    std::memset(&h, 0, sizeof h);
    h.receiverType = 736214;
    h.hardwareType = 517318;
    h.pixelCount = 4096;
    h.word12 = 1024;
    h.word16 = 1;
    h.word18 = 1024;
}

std::uint16_t PixelCount() { return static_cast<std::uint16_t>(hwinfo.pixelCount); }

void FormatResolutionLine(char *buffer, int size, int microns)
{
    std::snprintf(buffer, static_cast<size_t>(size), "resolution\t\t\t\t= +/- %d\xB5m", microns);
}
