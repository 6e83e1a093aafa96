// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The calibration header kept in the sensor's external flash, the slope in its forms,
// and the pixel/millimetre scaling derived from it.

#include "base/records.h"

#include <cstdint>

constexpr int kVideoPoints = 256;

extern double DSLOPE_UM;               // working slope, µm per pixel
extern double slopeval;                // candidate slope of a calibration in progress
extern double YSCALE_FAC;              // mm per pixel
extern double MAXRANGE_MM;             // largest x of the video graph in mm
extern double xArray_pi[kVideoPoints]; // pixel of each video point: start-up, identification
extern double xArray_mm[kVideoPoints]; // the same in mm, RecomputeMillimetrePoints from it
extern double *xARRAY;                 // xArray_pi or xArray_mm
extern int mm_flag;                    // 1 millimetres, 0 pixels
extern unsigned char linArray[4096];   // the calibration table loaded from file, for the XFLASH write

void SetCalibrationDefaults(CalibrationHeader &c);
// YSCALE_FAC from a slope word.
double ScaleOfSlopeWord(std::uint32_t slopeWord);
// xArray_mm from xArray_pi with the current YSCALE_FAC; returns the largest entry.
double RecomputeMillimetrePoints();
