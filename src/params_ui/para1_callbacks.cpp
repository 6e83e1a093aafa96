// SPDX-License-Identifier: GPL-3.0-or-later
// First parameter page: evaluation, tolerances, set point and teach, analog output.

#include "files/change_watch.h"
#include "params_ui/para_callbacks.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "display/measure.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "params/pset.h"
#include "params_ui/help.h"
#include "ui/runtime.h"

using namespace ui;
using namespace panels;

namespace {

double millimetres(unsigned pixels) { return PixelsToMillimetres(pixels, pset.um_Slope); }

} // namespace

int PushTEACH()
{
    ChangeAction action("TEACH");
    const int result = TeachSetPoint();
    if (result == 0) {
        SetCtrlVal(pPara1, PARA1_TEACH_VALUE, static_cast<int>(pset.Teach_Value));
        SetCtrlVal(pPara1, PARA1_TEACH_MM, millimetres(pset.Teach_Value));
        SetGraphCursor(pPA, MAIN_BAR_GRAPH, 1, pset.Teach_Value, 0.75);
    }
    return result;
}

unsigned short ClampUpperTolerance(unsigned short upper, unsigned short teach, unsigned short pixelCount)
{
    if (teach + upper <= pixelCount)
        return upper;
    // pixelCount - teach - 1 in unsigned words would wrap to 65535 once the set point
    // reaches the last pixel; there is no room above it then.
    return teach + 1 < pixelCount ? static_cast<unsigned short>(pixelCount - teach - 1) : 0;
}

unsigned short ClampLowerTolerance(unsigned short lower, unsigned short teach)
{
    if (lower <= teach)
        return lower;
    return teach > 0 ? static_cast<unsigned short>(teach - 1) : 0;
}

int CC_DROPevalmode(int panel, int control, int event, void *, int, int)
{
    ParameterHelpOnRightClick(panel, control, event,
                              "EVALUATION-MODE:\nDrop-down element to select an evaluation mode at the sensor.");
    return 0;
}

int CC_DROPtolMode(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "TOLERANCE-MODE:\nWith this drop-down list the mode for the tolerance-window-calculation can be set."))
        return 0;
    if (event != EVENT_COMMIT)
        return 0;
    unsigned short mode = 0;
    GetCtrlVal(panel, control, &mode);
    if (mode > 0) {
        SetCtrlDimmed(pPara1, PARA1_UPPER_TOL, true);
        SetCtrlDimmed(pPara1, PARA1_LOWER_TOL, true);
    } else {
        SetCtrlDimmed(pPara1, PARA1_UPPER_TOL, false);
        SetCtrlDimmed(pPara1, PARA1_LOWER_TOL, false);
        SetCtrlVal(pPara1, PARA1_UPPER_TOL, static_cast<int>(pset.Upper_Tolerance));
        SetCtrlVal(pPara1, PARA1_LOWER_TOL, static_cast<int>(pset.Lower_Tolerance));
        // The frames leave fixed tolerances to the page: their millimetres follow here.
        SetCtrlVal(pPara1, PARA1_UPPER_TOL_MM, millimetres(pset.Upper_Tolerance));
        SetCtrlVal(pPara1, PARA1_LOWER_TOL_MM, millimetres(pset.Lower_Tolerance));
    }
    return 0;
}

int CC_DROPpolarity(int panel, int control, int event, void *, int, int)
{
    ParameterHelpOnRightClick(
        panel, control, event,
        "POLARITY:\nDrop-down element to change the polarity (0V,+24VDC) of the digital outputs OUTx of the sensor.");
    return 0;
}

int CC_DROPaverage(int panel, int control, int event, void *, int, int)
{
    ParameterHelpOnRightClick(
        panel, control, event,
        "AVERAGE:\nNumber N of line-scans which are stored\nin a ring-buffer. On each main-loop-cycle\na "
        "mean-value is calculated out of the ring-buffer.\nThe switching frequency is reduced by 1/N .\n");
    return 0;
}

int CC_DROPanaMode(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "ANALOG-OUT:\nDrop-down element to preset the mode\nof the analog output. The analog-output is "
            "connected to /pin8/red/8-pole socket."))
        return 0;
    if (event != EVENT_COMMIT)
        return 0;
    int mode = 0;
    GetCtrlVal(panel, control, &mode);
    for (int id : {MAIN_ANALOG_VALUE, MAIN_ANALOG_MAX, MAIN_ANALOG_MIN, MAIN_RESET})
        SetCtrlVisible(pPA, id, mode > 0);
    return 0;
}

int CC_BINSWoutMode(int panel, int control, int event, void *, int, int)
{
    ParameterHelpOnRightClick(
        panel, control, event,
        "ANALOG-OUT-MODE:\nBinary-Switch to set the mode U[0...10V] or I[4...20mA] \nof the analog output. The "
        "analog-output is connected to /pin8/red/8-pole socket.");
    return 0;
}

int CC_DROPzoomMode(int panel, int control, int event, void *, int, int)
{
    ParameterHelpOnRightClick(panel, control, event,
                              "ZOOM-MODE:\nDrop-down element to preset the zoom mode of the analog output.");
    return 0;
}

int CC_NEDITToleranceUP(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "TOLERANCE-HIGH:\nNumerical input field to preset the upper\ntolerance limit in [pixel] at the "
            "hardware."))
        return 0;
    if (event != EVENT_VAL_CHANGED)
        return 0;
    unsigned short upper = 0;
    GetCtrlVal(panel, control, &upper);
    upper = ClampUpperTolerance(upper, pset.Teach_Value, PixelCount());
    SetCtrlVal(panel, control, static_cast<int>(upper));
    SetCtrlVal(pPA, MAIN_UPPER_TOL_MM, millimetres(upper));
    SetCtrlVal(pPara1, PARA1_UPPER_TOL_MM, millimetres(upper));
    return 0;
}

int CC_NEDITToleranceLO(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "TOLERANCE-LOW:\nNumerical input field to preset the lower tolerance limit in [pixel] at the "
            "sensor."))
        return 0;
    if (event != EVENT_VAL_CHANGED)
        return 0;
    unsigned short lower = 0;
    GetCtrlVal(panel, control, &lower);
    lower = ClampLowerTolerance(lower, pset.Teach_Value);
    SetCtrlVal(panel, control, static_cast<int>(lower));
    SetCtrlVal(pPA, MAIN_LOWER_TOL_MM, millimetres(lower));
    SetCtrlVal(pPara1, PARA1_LOWER_TOL_MM, millimetres(lower));
    return 0;
}

int CC_ButtonTeach(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_RIGHT_CLICK:
        ShowParameterHelp(panel, control,
                          "TEACH-BUTTON:\nStart teach procedure at sensor.\nThe actual pixel-position == teach value");
        break;
    case EVENT_LEFT_CLICK:
        teach_flag = 1;
        break;
    case EVENT_COMMIT:
        if (!RequestsWaitForLoop()) {
            PushTEACH();
            teach_flag = 0;
        } else {
            teach_flag = 1; // the running loop teaches after its current pass
        }
        break;
    default:
        break;
    }
    return 0;
}

int CC_NEDITTeach(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "TEACH-VALUE [Pixel]:\nEdit-field to preset the pixel-position of the setpoint value == teach value."))
        return 0;
    if (event != EVENT_COMMIT)
        return 0;
    unsigned short teach = 0;
    GetCtrlVal(panel, control, &teach);
    const unsigned short pixels = PixelCount();
    if (teach > pixels)
        teach = static_cast<unsigned short>(pixels - 1);
    if (teach < 1)
        teach = 1;
    SetCtrlVal(panel, control, static_cast<int>(teach));
    SetCtrlVal(pPara1, PARA1_TEACH_MM, millimetres(teach));
    return 0;
}
