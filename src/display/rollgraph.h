// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The roll graph: the last 100 frames as six traces, in pixels or millimetres, with a
// zoom onto the tolerance window.

#include "base/records.h"

constexpr int kRollPoints = 100;
constexpr int kRollTraces = 6;
constexpr int kRollPointsPerScreen = 101;

// History, point by point (6 values each); point 99 is the newest.
extern double arrayNORM[kRollPoints * kRollTraces];

// One frame's point and the y range that goes with it.
struct RollPoint {
    double values[kRollTraces]; // upper limit, lower limit, set point, M-VALUE, analog B, analog A
    double zoomBottom;
    double zoomTop;
    double fullTop;
    int decimals;
    int upperTolerance; // pixels shown as millimetres in the tolerance displays
    int lowerTolerance;
};
struct RollInputs {
    int pixelCount;
    int analogMode;
    int toleranceMode;
    int upperTolerance;
    int lowerTolerance;
    bool millimetres;
    double scale; // mm per pixel
    double rangeMm;
};
RollPoint ComputeRollPoint(const MeasurementRecord &record, const RollInputs &in);

// Adds the current raw record to the history and draws it.
void PlotRAWGraph();
// Prepares the strip chart for a run: six traces, 101 points per screen.
void PrepareRollGraph();
