#include "display/buffers.h"

#include "app/state.h"
#include "panels/resource.h"
#include "ui/runtime.h"

MeasurementRecord raw;
std::uint16_t adbuf[kCurvePoints];
std::uint16_t vtbuf[kCurvePoints];
std::uint16_t thdArray[kCurvePoints];
std::uint16_t thdArrayEE[kCurvePoints];
std::uint16_t thdArrayDYN[kCurvePoints];
unsigned char datbuf[512];
unsigned char wbuf[520];

void PlotVIDEOCurve(const std::uint16_t *video, const std::uint16_t *threshold, const double *x)
{
    ui::DeleteGraphPlots(pPA, panels::MAIN_VIDEO_GRAPH);
    ui::SetGraphAutoRefresh(pPA, panels::MAIN_VIDEO_GRAPH, false);
    ui::PlotXYu16(pPA, panels::MAIN_VIDEO_GRAPH, x, video, kCurvePoints, 0xFF0000, false);
    ui::PlotXYu16(pPA, panels::MAIN_VIDEO_GRAPH, x, threshold, kCurvePoints, 0x008000, false);
    ui::RefreshGraph(pPA, panels::MAIN_VIDEO_GRAPH);
}
