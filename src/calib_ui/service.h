// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The calibration service section: revealing it, the header and lookup selection, and
// the transfer of the calibration header and lookup table to and from XFLASH.

#include <cstdint>

// XFLASH page of the calibration header and the first page of the lookup table.
constexpr std::uint16_t kXflashTableFirstPage = 0x1200;
constexpr int kXflashTablePiece = 512;

// How many 512-byte table pieces a header's "XF-SIZE: " selects: 8 for 2048, else 4.
int TablePiecesForSize(std::uint16_t xfSize);

// Start-up state of the calibration pages: step buttons and service fields dimmed.
void InitCalibrationPages();

int CC_TEXTcalibration(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_RBTHeader(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_RBTLookup(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_WriteXFLASH(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_ReadXFLASH(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_PICBTNcalibfile(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
