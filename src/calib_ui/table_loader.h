// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Loading a calibration table file into linArray for the XFLASH write.

#include <string>

// Largest table file accepted; a valid one is far smaller.
constexpr long kMaxCalibTableFileBytes = 1L << 20;

// Reads and checks the file against the service page's size field. Only a complete and
// valid load fills linArray, sets calib_fname and cal_file_flag; otherwise false with
// the reason in error, and everything stays as it was.
bool LoadCalibrationTable(const std::string &path, std::string *error);
// Bytes of linArray the last valid load filled (0 before one).
int LoadedTableBytes();

// The service page's "load table" button: file selection, load, outcome.
int CC_BTNloadtable(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
