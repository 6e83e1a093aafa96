// SPDX-License-Identifier: GPL-3.0-or-later
// Third parameter page (trigger, housing controls, receiver operating mode), the slope
// field of the first calibration page and the spare help-text control.

#include "params_ui/para_callbacks.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "link/hwinfo.h"
#include "params_ui/help.h"
#include "params_ui/mapping.h"
#include "ui/runtime.h"

#include <cmath>

using namespace ui;
using namespace panels;

int CC_DROP_TrigMode(int panel, int control, int event, void *, int, int)
{
    ParameterHelpOnRightClick(
        panel, control, event,
        "EXT-IN0-TRIG-MODE:\nSelect a working-mode at K-VOR-sensor\nfor external IN0 digital input <pin3> wire "
        "of \n8-pole. female connector.");
    return 0;
}

int CC_DROPhardware(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "HARDWARE OPERATION-MODE:\nDrop-down element to enable or disable \nharware components e.g. the "
            "button or\npotentiometer at the sensor-housing."))
        return 0;
    if (event != EVENT_COMMIT)
        return 0;
    int mode = 0;
    GetCtrlVal(panel, control, &mode);
    // With 1 or 3 the tolerances are set at the sensor housing.
    const bool atHousing = mode == 1 || mode == 3;
    SetCtrlDimmed(pPara1, PARA1_UPPER_TOL, atHousing);
    SetCtrlDimmed(pPara1, PARA1_LOWER_TOL, atHousing);
    return 0;
}

int CC_DROPopMode(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "CCD-OPERATION-MODE:\nSet the operation mode of the linear-image sensor.\nNORMAL-SPEED -> HIGH "
            "RESOLUTION\nDOUBLE-SPEED -> HALF RESOLUTION"))
        return 0;
    if (event != EVENT_VAL_CHANGED)
        return 0;
    double exposure = 0;
    unsigned short mode = 0;
    GetCtrlVal(pPara2, PARA2_EXPOSURE, &exposure);
    GetCtrlVal(panel, control, &mode);
    double minimum = MIN_ITIME, lifted = MIN_ITIME;
    if (mode == 2) {
        minimum = lifted = 0.4;
    } else if (mode == 1) {
        minimum = MIN_ITIME / 2;
        lifted = std::floor(10.0 * MIN_ITIME / 2) / 10.0;
    }
    SetCtrlMin(pPara2, PARA2_EXPOSURE, minimum);
    if (exposure < minimum)
        SetCtrlVal(pPara2, PARA2_EXPOSURE, lifted);
    const int microns = ResolutionMicrons(hwinfo.hardwareType, mode);
    if (microns > 0) {
        char line[kTextSize];
        FormatResolutionLine(line, sizeof line, microns);
        ReplaceTextBoxLine(pCalib, CALIB_HW_DESC, 1, line);
    }
    return 0;
}

int CC_DROPintrgMode(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "INTERNAL-TRIGGGER-MODE:\nDrop-down element to select an\ninternal trigger mode at the sensor."))
        return 0;
    if (event != EVENT_VAL_CHANGED)
        return 0;
    int mode = 0;
    GetCtrlVal(panel, control, &mode);
    const bool on = mode == 1 || mode == 2;
    SetCtrlDimmed(pPara3, PARA3_TRG_PIX, !on);
    for (int id : {MAIN_DARK_PIXELS, MAIN_TRIG_LED, MAIN_TRIG_LABEL})
        SetCtrlVisible(pPA, id, on);
    return 0;
}

int CC_NUMtrgPix(int panel, int control, int event, void *, int, int)
{
    ParameterHelpOnRightClick(
        panel, control, event,
        "MIN-TRIGGER-PIXEL:\nNumerical input to set the minimum \nnumber of dark-pixel for the internal-trigger "
        "\nevent at the sensor.");
    return 0;
}

int CC_NUMslope(int panel, int control, int event, void *, int, int)
{
    if (event != EVENT_VAL_CHANGED)
        return 0;
    double slope = 0;
    GetCtrlVal(panel, control, &slope);
    slopeval = DSLOPE_UM = slope;
    SetCtrlVal(pCal1, CAL1_NEW_SLOPE, slope);
    return 0;
}

int CC_HelpText3(int, int, int, void *, int, int) { return 0; }
