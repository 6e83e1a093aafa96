// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Erasing and writing the sensor's external flash, and the calibration header in page 1.

#include <cstdint>

constexpr unsigned short kXflashFirstPage = 0x1000;
constexpr unsigned short kXflashPageStep = 0x100;
constexpr unsigned short kXflashLastAddress = 0x1FFF;
constexpr unsigned short kXflashHeaderAddress = 0x1100;
constexpr unsigned short kXflashMaxBlock = 512;

int ClearXFLASHpage(std::uint16_t pageAddress);
int WriteXFLASH(std::uint16_t address, const void *data, std::uint16_t length);
int WriteCalibDataToXF(const void *data, std::uint16_t length);
int ReadCalibDataFromXF(void *buffer, std::uint16_t length);
