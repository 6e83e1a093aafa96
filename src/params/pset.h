// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The parameter set: the sensor's whole configuration as the 60-byte record that is
// read from and written to the sensor and stored in parameter files.

#include "base/records.h"

#include <cstdint>

// Start-up values of the parameter set.
void SetParameterDefaults(ParameterSet &p);
// Corrects out-of-range fields in place, against the receiver's pixel count.
void NormalizeParameterSet(ParameterSet &p, std::uint16_t pixelCount);

// Slope word <-> µm per pixel.
double SlopeWordToMicrons(std::uint32_t word);
std::uint32_t MicronsToSlopeWord(double micronsPerPixel);
// Millimetres of a pixel quantity with a slope word.
double PixelsToMillimetres(std::uint32_t pixels, std::uint32_t slopeWord);
// Exposure slider (ms) <-> stored exposure time (µs in steps of 100).
std::uint16_t ExposureMsToWord(double milliseconds);
double ExposureWordToMs(std::uint16_t word);
