// SPDX-License-Identifier: GPL-3.0-or-later

#include "display/video.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "display/measure.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "ui/runtime.h"

using namespace ui;
using namespace panels;

namespace {
constexpr int kConnectionPage = 5;
constexpr int kFixed = 0;
const char *const kArrowTexts[2] = {"Transmission successful  ---> Line Ok!", "Transmission successful <---  Line Ok!"};

void endOnFailure()
{
    SetActiveTabPage(pPA, MAIN_TAB, kConnectionPage);
    SetStatusColor(0xFF0000);
    ReportLoopLinkFailure();
    stop_flag = -1;
}
} // namespace

void CompareWithThreshold(unsigned short *video, const unsigned short *threshold, unsigned short adcMax)
{
    const unsigned short high = adcMax > 0 ? static_cast<unsigned short>(adcMax - 1) : 0;
    for (int i = 0; i < kCurvePoints; ++i)
        video[i] = video[i] > threshold[i] ? high : 0;
}

void PushVIDEO()
{
    SetCtrlVisible(pPA, MAIN_ROLL_GRAPH, false);
    SetCtrlVisible(pPA, MAIN_ZOOM, false);
    SetCtrlVisible(pPA, MAIN_COMPARE, true);
    SetCtrlVisible(pPA, MAIN_VIDEO_GRAPH, true);
    SetCtrlVisible(pPA, MAIN_AXIS_CAPTION, true);
    DimLoopButtons();

    const LoopUnderWay underWay;
    int arrow = 0;
    stop_flag = 0;
    int thresholdMode = kFixed;
    bool requested = false; // the next pass's measurement request is already on the line
    do {
        const int measured = requested ? AwaitAnswer() : IssueOrder(ORDER_MEASUREMENT, 0);
        requested = false;
        if (measured != 1) {
            if (exit_flag == 1) {
                stop_flag = 1;
                break;
            }
            ReportLoopLinkFailure();
            stop_flag = -1;
            break;
        }
        CopyAnswerData(&raw, sizeof raw);
        if (stop_flag != 0) {
            // STOP came while this frame was on its way: it is shown, no profile is asked
            // for, and requests pressed meanwhile go out now instead of meeting a busy line.
            PlotVIDEOBarGraph();
            CarryOutDeferredRequests(false);
            break;
        }
        if (IssueOrder(ORDER_CURVE, 0) != 1) {
            if (exit_flag == 1) {
                stop_flag = 1;
                break;
            }
            endOnFailure();
            break;
        }
        CopyAnswerData(adbuf, sizeof adbuf);
        requested = RequestNextFrameEarly();
        CopyText(szStatus, kArrowTexts[arrow]);
        arrow ^= 1;
        ShowStatus();
        PlotVIDEOBarGraph();
        DeleteGraphPlots(pPA, MAIN_VIDEO_GRAPH);
        SetGraphAutoRefresh(pPA, MAIN_VIDEO_GRAPH, false);

        // Compared against the mode of the previous pass: the first pass uses the fixed level.
        int compare = 0;
        GetCtrlVal(pPA, MAIN_COMPARE, &compare);
        if (compare)
            CompareWithThreshold(adbuf, thresholdMode == kFixed ? thdArray : thdArrayEE, ADCMAX);

        GetCtrlVal(pPara2, PARA2_VTHD_MODE, &thresholdMode);
        if (thresholdMode == kFixed)
            PlotVIDEOCurve(adbuf, thdArray, xARRAY);
        else if (compare)
            PlotVIDEOCurve(adbuf, thdArrayDYN, xARRAY);
        else
            PlotVIDEOCurve(adbuf, vtbuf, xARRAY);

        // Requests that came up while a request was under way follow the next pass.
        if (!requested)
            CarryOutDeferredRequests(false);
        ProcessPendingEvents();
        // A request already on the line is followed to its answer, which is shown.
    } while (stop_flag == 0 || requested);
    PushSTOP();
}
