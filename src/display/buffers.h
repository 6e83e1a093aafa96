// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The last measurement record and the video and threshold curves.

#include "base/records.h"

#include <cstdint>

// Redraws the video graph: the video curve in red, the threshold in green.
void PlotVIDEOCurve(const std::uint16_t *video, const std::uint16_t *threshold, const double *x);
