// SPDX-License-Identifier: GPL-3.0-or-later
// Second parameter page: light source, exposure, video threshold and its save.

#include "files/change_watch.h"
#include "params_ui/para_callbacks.h"

#include "base/control_ids.h"
#include "base/popups.h"
#include "base/state.h"
#include "base/statusline.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "params/pset.h"
#include "params_ui/help.h"
#include "params_ui/transfer.h"
#include "ui/runtime.h"

#include <cstring>
#include <string>

using namespace ui;
using namespace panels;

namespace {

unsigned short thresholdMode()
{
    unsigned short mode = 0;
    GetCtrlVal(pPara2, PARA2_VTHD_MODE, &mode);
    return mode;
}

void fillThreshold(std::uint16_t *curve, unsigned percent)
{
    const auto level = static_cast<std::uint16_t>(ADCMAX * percent / 100);
    for (int i = 0; i < kCurvePoints; ++i)
        curve[i] = level;
}

constexpr char kThresholdWarning[] = "V-THD above 100 %: the fixed threshold leaves no edge to find!";
std::string g_shownBeforeWarning; // the status field's text the warning covers

// The warning stands while the fixed threshold lies above 100 %; once it is back within, the
// status field shows again what the warning covered (other texts stay as they are).
void judgeThreshold(unsigned short mode, unsigned percent, bool warn)
{
    const std::string shown = GetCtrlString(pPA, MAIN_STATUS);
    const bool warned = shown == kThresholdWarning;
    if (mode == 0 && percent > 100) {
        if (warn && !warned) {
            g_shownBeforeWarning = shown;
            ShowStatusText(kThresholdWarning);
        }
    } else if (warned) {
        ShowStatusText(g_shownBeforeWarning.c_str());
    }
}

void showVideoGraph()
{
    SetCtrlVisible(pPA, MAIN_VIDEO_GRAPH, true);
    SetCtrlVisible(pPA, MAIN_ROLL_GRAPH, false);
}

} // namespace

int CC_SLIDEpower(int panel, int control, int event, void *, int, int)
{
    ParameterHelpOnRightClick(panel, control, event,
                              "POWER:\nWith this slider, the power of the light-\nsource at the sensor can be set.");
    return 0;
}

int CC_SLIDEIntegrationTime(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "EXPOSURE-TIME [ms]:\nWith this slider, the exposure time of the\nccd-receiver can be set."))
        return 0;
    if (event != EVENT_VAL_CHANGED)
        return 0;
    unsigned short mode = 0;
    double exposure = 0;
    GetCtrlVal(pPara3, PARA3_OP_MODE, &mode);
    GetCtrlVal(panel, control, &exposure);
    const double limit = mode == 2 ? MIN_ITIME / 4 : mode == 1 ? MIN_ITIME / 2 : MIN_ITIME;
    if (exposure < limit)
        SetCtrlVal(panel, control, limit);
    return 0;
}

void ShowVideoThreshold(unsigned percent)
{
    SetCtrlVal(pPara2, PARA2_VTHD, static_cast<int>(percent));
    SetCtrlVal(pPara2, PARA2_VTHD_ENTRY, static_cast<int>(percent));
    judgeThreshold(thresholdMode(), percent, false);
}

int CC_NEDITVideoThreshold(int panel, int control, int event, void *data, int data1, int data2)
{
    // The entry is the slider's exact twin: the slider takes its value and acts as on a commit.
    // While the operator types, the entry is left alone (the slider would put its value back).
    if (event == EVENT_VAL_CHANGED)
        return 0;
    if (event == EVENT_COMMIT) {
        int percent = 0;
        GetCtrlVal(panel, control, &percent);
        SetCtrlVal(pPara2, PARA2_VTHD, percent);
    }
    if (event == EVENT_RIGHT_CLICK)
        return CC_SLIDEVideoThreshold(panel, control, event, data, data1, data2);
    return CC_SLIDEVideoThreshold(pPara2, PARA2_VTHD, event, data, data1, data2);
}

int CC_SLIDEVideoThreshold(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_VAL_CHANGED: {
        int percent = 0;
        GetCtrlVal(pPara2, PARA2_VTHD, &percent);
        SetCtrlVal(pPara2, PARA2_VTHD_ENTRY, percent);
        break;
    }
    case EVENT_RIGHT_CLICK:
        ShowParameterHelp(panel, control,
                          "V-THD:\nWith this slider, the video-threshold for the calculation of the edges can be set. "
                          "It is displayed by the green horiz. line!");
        break;
    case EVENT_LEFT_CLICK:
        // Adjusting the automatic threshold needs a still video curve: end a running loop.
        if (thresholdMode() == 1)
            stop_flag = 1;
        break;
    case EVENT_COMMIT: {
        showVideoGraph();
        const unsigned short mode = thresholdMode();
        unsigned short percent = 0;
        GetCtrlVal(panel, control, &percent);
        SetCtrlVal(pPara2, PARA2_VTHD_ENTRY, static_cast<int>(percent));
        if (mode == 0) {
            fillThreshold(thdArray, percent);
            PlotVIDEOCurve(adbuf, thdArray, xARRAY);
            // The video signal never reaches a fixed level above its full scale.
            judgeThreshold(mode, percent, true);
            break;
        }
        judgeThreshold(mode, percent, true);
        for (int i = 0; i < kCurvePoints; ++i)
            thdArrayDYN[i] = static_cast<std::uint16_t>(static_cast<std::int16_t>(adbuf[i]) * percent / 100);
        DeleteGraphPlots(pPA, MAIN_VIDEO_GRAPH);
        SetGraphAutoRefresh(pPA, MAIN_VIDEO_GRAPH, false);
        PlotXYu16(pPA, MAIN_VIDEO_GRAPH, xARRAY, adbuf, kCurvePoints, 0xFF0000, true);
        PlotXYu16(pPA, MAIN_VIDEO_GRAPH, xARRAY, thdArrayEE, kCurvePoints, 0x008000, true);
        PlotXYu16(pPA, MAIN_VIDEO_GRAPH, xARRAY, thdArrayDYN, kCurvePoints, 0x008000, false);
        RefreshGraph(pPA, MAIN_VIDEO_GRAPH);
        break;
    }
    default:
        break;
    }
    return 0;
}

int CC_DROPpowerMode(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "POWER-MODE:\nDrop-down element to enable or disable \nthe dynamic-power control at the\nlighting "
            "unit of the sensor hardware."))
        return 0;
    if (event != EVENT_COMMIT)
        return 0;
    int mode = 0;
    GetCtrlVal(panel, control, &mode);
    SetCtrlDimmed(pPara2, PARA2_POWER, mode == 1);
    SetCtrlDimmed(pPara2, PARA2_EXPOSURE, mode == 2);
    return 0;
}

int CC_DROPbgMode(int panel, int control, int event, void *, int, int)
{
    ParameterHelpOnRightClick(
        panel, control, event,
        "BACKGROUND-COMP-MODE:\nWith this drop-down element the background light-\ncompensation can be "
        "activated.");
    return 0;
}

int CC_DROP_FilterType(int panel, int control, int event, void *, int, int)
{
    ParameterHelpOnRightClick(
        panel, control, event,
        "SMOOTH-VIDEO-SIGNAL:\nActivate/Deactivate digital filtering of the\nvideo-signal. A moving average of "
        "n-th\norder is applied to the video-data.");
    return 0;
}

int CC_DROPvthdmode(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "VIDEO-THD-MODE:\nFIXED: Horizontal video-threshold is used. \nAUTO:  Video-threshold is calculated "
            "from\nthe intensity profile."))
        return 0;
    if (event != EVENT_COMMIT)
        return 0;
    const unsigned short mode = thresholdMode();
    int compare = 0;
    GetCtrlVal(pPA, MAIN_COMPARE, &compare);
    if (mode == 0) {
        SetCtrlDimmed(pPara2, PARA2_SAVE_THD, true);
        fillThreshold(thdArray, pset.Video_Thd_Fix);
        ShowVideoThreshold(pset.Video_Thd_Fix);
        PlotVIDEOCurve(adbuf, thdArray, xARRAY);
    } else {
        SetCtrlDimmed(pPara2, PARA2_SAVE_THD, false);
        ShowVideoThreshold(pset.Video_Thd_Auto);
        PlotVIDEOCurve(adbuf, compare == 1 ? thdArrayDYN : thdArrayEE, xARRAY);
    }
    return 0;
}

int CC_CBTNSaveThreshold(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "SAVE V-THD:\nWith this button the actual video-threshold\nis stored to the EEPROM of the "
            "sensor.\nATTENTION: LIGHT-MEASURING \nSECTION MUST BE FREE !"))
        return 0;
    if (event != EVENT_COMMIT)
        return 0;
    showVideoGraph();
    if (!ConfirmPopup("ATTENTION!", "Light measureing section must be uncovered!"))
        return 0;
    std::memcpy(thdArrayEE, thdArrayDYN, sizeof thdArrayEE);
    unsigned short percent = 0;
    int toEeprom = 0;
    GetCtrlVal(pPara2, PARA2_VTHD, &percent);
    GetCtrlVal(pPara2, PARA2_THD_TARGET, &toEeprom);
    pset.Video_Thd_Auto = percent;
    {
        ChangeAction action("SAVE V-THD");
        // The switch's off position is RAM.
        if (!toEeprom)
            WriteVideoDataToRAM(pset.Video_Thd_Auto);
        else
            WriteVideoDataToEE(pset.Video_Thd_Auto);
    }
    DelayWithEventProcessing(0.2);
    if (GetDATA(1) == 1) {
        std::memcpy(thdArrayEE, vtbuf, sizeof thdArrayEE);
        PlotVIDEOCurve(adbuf, thdArrayEE, xARRAY);
    }
    return 0;
}

int CC_BINSWTarget(int panel, int control, int event, void *, int, int)
{
    ParameterHelpOnRightClick(
        panel, control, event,
        "TARGET SWITCH\nSelect storage location for video-threshold.\nRAM:    store in volatile RAM "
        "memory.\nEEPROM: store in nonvolatile EEPROM.");
    return 0;
}
