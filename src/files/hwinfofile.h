// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The hardware information file: program and firmware versions, the sensor's 512-byte
// hardware data block, the parameter set and the calibration header, for service.

#include <cstdint>
#include <string>

constexpr int kHardwareDataSize = 512;

// Fetches the hardware data (order 0xC2) into wbuf, asks for a file name and writes the file.
void GenerateHardwareInfoFile();
// The hardware data as 256 little-endian words of four upper-case hex digits each.
std::string FormatHardwareData(const unsigned char *data);
// Writes the file from wbuf, pset, cal and the version texts; 1, or -1 when it could not be written.
int WriteHardwareInfoFile(const char *path);

inline constexpr const char *kTextHwInfoTransmissionError = "Transmission error [GENERATE HW-INFO-FILE]!";
inline constexpr const char *kTextHwInfoTransmissionOk = "Transmission [HW-INFO-FILE] successful!";
inline constexpr const char *kTextHwInfoNotWritten = "ERROR: HARDWARE INFO FILE COULD NOT BE WRITTEN!";
inline constexpr const char *kTextHwInfoNotSaved = "Hardware-Info not saved to file!";
