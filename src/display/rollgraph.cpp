// SPDX-License-Identifier: GPL-3.0-or-later

#include "display/rollgraph.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "calib/calrec.h"
#include "link/hwinfo.h"
#include "params/pset.h"
#include "ui/runtime.h"

#include <cmath>
#include <cstring>

using namespace ui;
using namespace panels;

double arrayNORM[kRollPoints * kRollTraces];

namespace {

// Around the set point the window is at least 40 pixels wide on each side; a value
// outside it pulls the window out with a margin.
void zoomSide(int s, int tolerance, int direction, int value, double &edge)
{
    const bool narrow = tolerance < 40;
    edge = s + direction * (narrow ? 40 : 2 * tolerance);
    const int margin = narrow ? 60 : 100;
    if (direction > 0 && value > edge)
        edge = value + margin;
    if (direction < 0 && value < edge)
        edge = value - margin;
}

} // namespace

RollPoint ComputeRollPoint(const MeasurementRecord &r, const RollInputs &in)
{
    const int n = in.pixelCount;
    RollPoint point{};
    int a;
    int b;
    switch (in.analogMode) {
    case 1:
        a = r.MAX_VALUE;
        b = r.M_VALUE;
        break;
    case 2:
        a = r.M_VALUE;
        b = r.MIN_VALUE == n - 1 ? 1 : r.MIN_VALUE;
        break;
    case 3:
        a = r.MAX_VALUE;
        b = r.MIN_VALUE;
        break;
    case 4:
    case 5:
    case 6:
    case 7:
        a = 1;
        b = n - 1;
        break;
    default:
        a = r.M_VALUE;
        b = r.M_VALUE;
        break;
    }

    int s = r.SETPOINT < 1 ? 1 : r.SETPOINT;
    if (s > n - 1)
        s = n;
    int autoTol = r.AUTO_TOL < 1 ? 1 : r.AUTO_TOL;
    if (autoTol > n - 1)
        autoTol = n;

    const int m = r.M_VALUE;
    int upperTol;
    int lowerTol;
    if (in.toleranceMode > 0) {
        upperTol = lowerTol = autoTol;
    } else {
        upperTol = in.upperTolerance;
        lowerTol = in.lowerTolerance;
    }
    point.upperTolerance = upperTol;
    point.lowerTolerance = lowerTol;
    double upperLimit = s + upperTol;
    double lowerLimit = s - lowerTol;
    zoomSide(s, upperTol, +1, m, point.zoomTop);
    zoomSide(s, lowerTol, -1, m, point.zoomBottom);

    if (upperLimit > n - 1)
        upperLimit = n - 1;
    if (lowerLimit < 1)
        lowerLimit = 1;
    if (point.zoomTop > n - 1)
        point.zoomTop = n - 1;
    if (point.zoomBottom < 1)
        point.zoomBottom = 1;

    const double values[kRollTraces] = {upperLimit,
                                        lowerLimit,
                                        static_cast<double>(s),
                                        static_cast<double>(m),
                                        static_cast<double>(b),
                                        static_cast<double>(a)};
    if (in.millimetres) {
        for (int t = 0; t < kRollTraces; ++t)
            point.values[t] = values[t] * in.scale;
        point.zoomBottom = std::trunc(point.zoomBottom * in.scale);
        point.zoomTop = std::ceil(point.zoomTop * in.scale);
        point.fullTop = std::ceil(in.rangeMm);
        point.decimals = PRECISION;
    } else {
        std::memcpy(point.values, values, sizeof values);
        point.fullTop = n;
        point.decimals = 0;
    }
    return point;
}

void PrepareRollGraph()
{
    SetStripChartTraces(pPA, MAIN_ROLL_GRAPH, kRollTraces);
    SetStripChartPointsPerScreen(pPA, MAIN_ROLL_GRAPH, kRollPointsPerScreen);
}

void PlotRAWGraph()
{
    RollInputs in{};
    in.pixelCount = PixelCount();
    in.analogMode = pset.Analog_Mode;
    in.toleranceMode = pset.Tolerance_Mode;
    in.upperTolerance = pset.Upper_Tolerance;
    in.lowerTolerance = pset.Lower_Tolerance;
    in.millimetres = mm_flag == 1;
    in.scale = YSCALE_FAC;
    in.rangeMm = MAXRANGE_MM;
    const RollPoint point = ComputeRollPoint(raw, in);

    const double perMm = 1.0 / 16384000.0;
    SetCtrlVal(pPA, MAIN_UPPER_TOL_MM, point.upperTolerance * static_cast<double>(pset.um_Slope) * perMm);
    SetCtrlVal(pPA, MAIN_LOWER_TOL_MM, point.lowerTolerance * static_cast<double>(pset.um_Slope) * perMm);

    std::memmove(arrayNORM, arrayNORM + kRollTraces, sizeof(double) * kRollTraces * (kRollPoints - 1));
    std::memcpy(arrayNORM + kRollTraces * (kRollPoints - 1), point.values, sizeof point.values);
    SetStripChartPointsPerScreen(pPA, MAIN_ROLL_GRAPH, kRollPointsPerScreen);

    SetAxisPrecision(pPA, MAIN_ROLL_GRAPH, YAXIS, point.decimals);
    SetAxisCaption(pPA, MAIN_ROLL_GRAPH, YAXIS,
                   in.millimetres ? "Measurement-Value [mm]" : "Measurement-Value [pixel]");
    int zoom = 0;
    GetCtrlVal(pPA, MAIN_ZOOM, &zoom);
    if (zoom)
        SetAxisRange(pPA, MAIN_ROLL_GRAPH, YAXIS, point.zoomBottom, point.zoomTop);
    else
        SetAxisRange(pPA, MAIN_ROLL_GRAPH, YAXIS, 0.0, point.fullTop);
    PlotStripChart(pPA, MAIN_ROLL_GRAPH, arrayNORM, kRollPoints * kRollTraces);
}
