// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Continuous measurement: the Run loop, its end, the display of one measurement frame,
// and the requests other callbacks leave for a running loop.

#include "base/records.h"
#include "display/deferred.h"

#include <cstdint>

// Runs the measurement loop until stop_flag leaves 0, then calls PushSTOP.
void PushRUN();
// Releases the buttons a loop dimmed and reports how the loop ended. Safe to call twice.
void PushSTOP();
// Shows the current raw record: values, lamps, tolerance window and the evaluation bar.
void PlotVIDEOBarGraph();

// Frames shown since start (every call of PlotVIDEOBarGraph), for figures and diagnostics.
extern unsigned long long framesShown;
// Whether the frame shown last had M-VALUE inside its evaluation window, limits included.
extern bool frameInTolerance;

// Sends a loop's next measurement request before the frame just received is shown, so
// that showing it overlaps the answer's time on the line instead of adding to it. Not when
// the loop is to end or requests wait: those follow this frame. True when it went out;
// its answer is then taken with AwaitAnswer.
bool RequestNextFrameEarly();
// Whether a GET, SEND, teach or reset is left to a loop rather than done at once: while a
// loop runs or takes the answer it asked for before STOP. After a loop's time-out
// (stop_flag -1) none runs, and a request left now would go out later, unasked.
bool RequestsWaitForLoop();
// Shows why a loop ended on its link: a time-out, added to the connection page's log, or the
// lost link, which was logged as it went.
void ReportLoopLinkFailure();
// Marks a Run or Video loop as under way for its lifetime.
struct LoopUnderWay {
    LoopUnderWay();
    ~LoopUnderWay();
    LoopUnderWay(const LoopUnderWay &) = delete;
    LoopUnderWay &operator=(const LoopUnderWay &) = delete;
};
// Switches the storage target to RAM on the panel and in `target`.
void SelectRamTarget();
// Dims or releases the buttons that must not be used while a loop runs.
void DimLoopButtons();

// The cycle rate display: rate in Hz (0 for a zero cycle time) and its decimals.
struct CycleRate {
    double hertz;
    int decimals;
};
CycleRate CycleRateOf(std::uint32_t cycleTimeMicroseconds);

// Measurement position by evaluation mode (left edge, right edge or centre).
int MeasurementPosition(const MeasurementRecord &record, int evalMode);

// The tolerance band of the evaluation bar, as pixel ranges (at most two).
struct BandRange {
    int from;
    int to;
};
struct ToleranceBand {
    int count;
    BandRange range[2];
};
ToleranceBand ToleranceBandOf(int evalMode, int edges, int position, int setpoint, int upper, int lower,
                              int pixelCount);
