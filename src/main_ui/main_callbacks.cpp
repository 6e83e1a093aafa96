// SPDX-License-Identifier: GPL-3.0-or-later

#include "main_ui/main_callbacks.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "base/statusline.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "display/measure.h"
#include "display/rollgraph.h"
#include "display/video.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "params/pset.h"
#include "params_ui/help.h"
#include "ui/runtime.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

using namespace ui;
using namespace panels;

namespace {

const char *const kHelpRun = "RUN-BUTTON:\nStart the continuosly serial RS232-data-transfer\nbetween PC and sensor...\n"
                             "A frame of 16 meas.-values is transferred!";
const char *const kHelpStop = "STOP-BUTTON:\nStop the serial RS232-data-transfer\nbetween PC and sensor.";
const char *const kHelpVideo = "VIDEO-BUTTON:\nTransfer video-signal (pixel information) = intensity\nprofile of the "
                               "linear-image sensor via the serial communication interface to PC.";
const char *const kHelpReset = "RESET-BUTTON:\nReset the actual maxima und minima\nvalues at the analog output /PIN8/ "
                               "of the sensor.\nNo software/hardware reset is done !";
const char *const kHelpMillimetre = "MM/PIXEL SWITCH:\nWith this switch, the scaling of the Y-axis can be \nswitched "
                                    "between [mm] or [pixel]";
const char *const kHelpZoom = "ZOOM-TOGGLE-BUTTON:\nActivate / Deactivate automatic zoom function for y-axis.   The "
                              "y-axis is scaled automatically to the measurement-values";
const char *const kHelpEdgeLeft = "E-BEG:\nSet evaluation begin at the sensor\nEvaluation starts with this pixel ...";
const char *const kHelpEdgeRight = "E-END:\nSet evaluation end at the sensor\nEvaluation ends with this pixel ...";
const char *const kHelpRoll =
    "ROLL-GRAPH-WINDOW:\nVisualizes the actual meas. value in \xB4roll-mode\xB4. \n The latest "
    "value is rolling from the left (index=100) to the right.";
const char *const kHelpVideoGraph = "VIDEO-GRAPH-WINDOW:\nVisualizes the actual video signal of the line-sensor.\nThe "
                                    "video signal represents the analog-value over each pixel.";

enum class HelpPlace { Beside, AtRight, AtLeft };

// The help pop-up next to the control; the evaluation fields keep it clear of each other.
void showHelp(int panel, int control, const char *text, HelpPlace place = HelpPlace::Beside)
{
    switch (place) {
    case HelpPlace::Beside:
        ShowHelpBesideControl(panel, control, 25, 5, text);
        break;
    case HelpPlace::AtRight:
        ShowHelpBesideControl(panel, control, 0, 0, text);
        break;
    case HelpPlace::AtLeft: {
        Rect r;
        GetCtrlBoundingRect(panel, control, &r);
        ShowHelpBesideControl(panel, control, 0, -2 * r.width - 200, text);
        break;
    }
    }
}

void setUnitDecimals(int decimals)
{
    for (int id : {MAIN_ANALOG_VALUE, MAIN_ANALOG_MAX, MAIN_ANALOG_MIN})
        SetCtrlPrecision(pPA, id, decimals);
}

// Evaluation limits of the sensor; before identification (pixE 0) the whole line.
void evaluationLimits(int &begin, int &end)
{
    begin = pixE > 0 ? pixB : 1;
    end = pixE > 0 ? pixE : PixelCount();
}

} // namespace

int CC_BTNRun(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_LEFT_CLICK:
        PrepareRollGraph();
        SetStatusColor(VAL_BLACK);
        break;
    case EVENT_COMMIT:
        PushRUN();
        break;
    case EVENT_RIGHT_CLICK:
        showHelp(panel, control, kHelpRun);
        break;
    default:
        break;
    }
    return 0;
}

int CC_BTNStop(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_COMMIT:
        stop_flag = 1;
        PushSTOP();
        break;
    case EVENT_LEFT_CLICK:
    case EVENT_KEYPRESS:
        stop_flag = 1;
        break;
    case EVENT_RIGHT_CLICK:
        showHelp(panel, control, kHelpStop);
        break;
    default:
        break;
    }
    return 0;
}

int CC_BTNVideo(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_LEFT_CLICK: {
        int millimetre = 0;
        GetCtrlVal(pPA, MAIN_MM_SWITCH, &millimetre);
        SetAxisRange(pPA, MAIN_VIDEO_GRAPH, YAXIS, 1.0, ADCMAX);
        if (millimetre) {
            SetAxisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS, 0.0, MAXRANGE_MM);
            SetCtrlVal(pPA, MAIN_AXIS_CAPTION, "Linear Image Sensor [mm]");
            xARRAY = xArray_mm;
        } else {
            SetAxisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS, 1.0, PixelCount());
            SetCtrlVal(pPA, MAIN_AXIS_CAPTION, "Linear Image Sensor [pixel]");
            xARRAY = xArray_pi;
        }
        SetStatusColor(VAL_BLACK);
        break;
    }
    case EVENT_COMMIT:
        SelectRamTarget();
        PushVIDEO();
        break;
    case EVENT_RIGHT_CLICK:
        showHelp(panel, control, kHelpVideo);
        break;
    default:
        break;
    }
    return 0;
}

int CC_ButtonReset(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_COMMIT:
        if (!RequestsWaitForLoop()) {
            PushRESET();
            reset_flag = 0;
        } else {
            reset_flag = 1;
        }
        break;
    case EVENT_RIGHT_CLICK:
        showHelp(panel, control, kHelpReset);
        break;
    default:
        break;
    }
    return 0;
}

int CC_BINSWmillimeter(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_VAL_CHANGED: {
        int on = 0;
        GetCtrlVal(panel, control, &on);
        if (on) {
            mm_flag = 1;
            xARRAY = xArray_mm;
            SetAxisRange(pPA, MAIN_ROLL_GRAPH, YAXIS, 1.0, std::ceil(MAXRANGE_MM));
            SetAxisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS, 0.0, std::ceil(MAXRANGE_MM));
            SetAxisPrecision(pPA, MAIN_VIDEO_GRAPH, XAXIS, 1);
            SetCtrlVal(pPA, MAIN_AXIS_CAPTION, "Linear Image Sensor [mm]");
            setUnitDecimals(PRECISION);
        } else {
            mm_flag = 0;
            xARRAY = xArray_pi;
            SetAxisRange(pPA, MAIN_ROLL_GRAPH, YAXIS, 1.0, ADCMAX);
            SetAxisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS, 1.0, PixelCount());
            SetAxisPrecision(pPA, MAIN_VIDEO_GRAPH, XAXIS, 0);
            SetCtrlVal(pPA, MAIN_AXIS_CAPTION, "Linear Image Sensor [pixel]");
            setUnitDecimals(0);
        }
        // A running loop redraws the curve itself with its next pass.
        if (stop_flag == 1) {
            int thresholdMode = 0;
            GetCtrlVal(pPara2, PARA2_VTHD_MODE, &thresholdMode);
            PlotVIDEOCurve(adbuf, thresholdMode == 0 ? thdArray : vtbuf, xARRAY);
        }
        break;
    }
    case EVENT_RIGHT_CLICK:
        showHelp(panel, control, kHelpMillimetre);
        break;
    default:
        break;
    }
    return 0;
}

int CC_TOGGButtonZoom(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        showHelp(panel, control, kHelpZoom);
    return 0;
}

int CC_TOGGButtonRaw(int panel, int control, int event, void *, int, int)
{
    if (event != EVENT_VAL_CHANGED)
        return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    if (!on)
        return 0;
    const auto fixed = static_cast<std::uint16_t>(ADCMAX * pset.Video_Thd_Fix / 100);
    const auto automatic = static_cast<std::uint16_t>(ADCMAX * pset.Video_Thd_Auto / 100);
    std::fill(thdArray, thdArray + kCurvePoints, fixed);
    std::fill(thdArrayDYN, thdArrayDYN + kCurvePoints, automatic);
    return 0;
}

namespace {

// An evaluation edge entered on the panel, corrected against the usable pixels (a
// corrected value is also stored in the set); the field and the bar's cursor show it.
void commitEdge(int panel, int control, int cursor, std::uint16_t ParameterSet::*field, bool beginEdge)
{
    std::uint16_t v = 0;
    GetCtrlVal(panel, control, &v);
    int begin, end;
    evaluationLimits(begin, end);
    int value = v;
    auto take = [&](int corrected) {
        value = corrected;
        pset.*field = static_cast<std::uint16_t>(value);
    };
    if (beginEdge) {
        if (value < begin)
            take(begin);
        if (value > end)
            take(std::max(end - 1, 0));
    } else {
        if (value > end)
            take(end);
        if (value < begin)
            take(begin + 1);
    }
    SetCtrlVal(panel, control, value);
    SetGraphCursor(pPA, MAIN_BAR_GRAPH, cursor, value, 1.0);
}

} // namespace

int CC_NEDITEdgeLeft(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        commitEdge(panel, control, 2, &ParameterSet::Eval_Begin, true);
    else if (event == EVENT_RIGHT_CLICK)
        showHelp(panel, control, kHelpEdgeLeft, HelpPlace::AtRight);
    return 0;
}

int CC_NEDITEdgeRight(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        commitEdge(panel, control, 3, &ParameterSet::Eval_End, false);
    else if (event == EVENT_RIGHT_CLICK)
        showHelp(panel, control, kHelpEdgeRight, HelpPlace::AtLeft);
    return 0;
}

int CC_GRAPHRaw(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        showHelp(panel, control, kHelpRoll);
    return 0;
}

int CC_GRAPHVideo(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        showHelp(panel, control, kHelpVideoGraph);
    return 0;
}

int CC_DECOmaxmin1(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_LEFT_DOUBLE_CLICK)
        return 0;
    const bool show = deco_flag == 0;
    for (int id : {MAIN_ANALOG_VALUE, MAIN_ANALOG_MAX, MAIN_ANALOG_MIN, MAIN_RESET})
        SetCtrlVisible(panel, id, show);
    deco_flag = show ? 1 : 0;
    SetCtrlVisible(panel, MAIN_ANALOG_LABEL, true);
    return 0;
}

int CC_DECOrunstop(int, int, int, void *, int, int) { return 0; }

int CC_TABmain(int, int, int, void *, int, int) { return 0; }
