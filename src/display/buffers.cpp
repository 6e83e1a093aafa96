// SPDX-License-Identifier: GPL-3.0-or-later

#include "display/buffers.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "ui/runtime.h"

void PlotVIDEOCurve(const std::uint16_t *video, const std::uint16_t *threshold, const double *x)
{
    ui::DeleteGraphPlots(pPA, panels::MAIN_VIDEO_GRAPH);
    ui::SetGraphAutoRefresh(pPA, panels::MAIN_VIDEO_GRAPH, false);
    ui::PlotXYu16(pPA, panels::MAIN_VIDEO_GRAPH, x, video, kCurvePoints, 0xFF0000, false);
    ui::PlotXYu16(pPA, panels::MAIN_VIDEO_GRAPH, x, threshold, kCurvePoints, 0x008000, false);
    ui::RefreshGraph(pPA, panels::MAIN_VIDEO_GRAPH);
}
