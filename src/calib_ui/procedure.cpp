// SPDX-License-Identifier: GPL-3.0-or-later

#include "calib_ui/procedure.h"
#include "files/change_watch.h"

#include "display/measure.h"

#include "base/control_ids.h"
#include "base/records.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "link/ident.h"
#include "link/orders.h"
#include "link/xflash.h"
#include "link_ui/ident_page.h"
#include "params/pset.h"
#include "params_ui/mapping.h"
#include "ui/runtime.h"

#include <cmath>
#include <cstring>

using namespace ui;
using namespace panels;

int ActivateCalibration(std::uint16_t mode)
{
    ChangeAction action(mode == 2 ? "CALIBRATION SAVE" : "CALIBRATION");
    unsigned short address = 0;
    const void *data = nullptr;
    unsigned short length = 0;
    if (mode == 1) {
        CopyText(szStatus, "START calibration ...");
        address = 1;
    } else if (mode == 2) {
        CopyText(szStatus, "SAVE calibration ...");
        address = 2;
        data = &pset.um_Slope;
        length = sizeof pset.um_Slope;
    } else {
        CopyText(szStatus, "STOP calibration ...");
    }
    int result = 0;
    if (IssueOrder(ORDER_CALIBRATION, address, data, length) == 1) {
        AppendText(szStatus, " -> Ok!");
    } else {
        CopyText(szStatus,
                 LinkFailureText("Calibration error! - Timeout RS232-Line!", "Calibration error! - TCP-Server-error!"));
        result = -1;
    }
    ShowStatus();
    return result;
}

bool CalibrationLoopRunning() { return stop_flag == 0; }

void ShowSlopeInUse()
{
    YSCALE_FAC = ScaleOfSlopeWord(pset.um_Slope);
    MAXRANGE_MM = RecomputeMillimetrePoints();
    ApplyUnitScaling();
    ShowToleranceMillimetres(pset.Upper_Tolerance, pset.Lower_Tolerance);
    SetCtrlVal(pCal1, CAL1_SLOPE_SHOWN, SlopeWordToMicrons(pset.um_Slope));
}

namespace {

// Step buttons: usable only while a calibration is active.
constexpr int kStepButtons[] = {CAL1_ACCEPT, CAL1_SAVE};

void dimStepButtons(bool dimmed)
{
    for (int id : kStepButtons)
        SetCtrlDimmed(pCal1, id, dimmed);
}

// Back to idle: step buttons dimmed, the check box usable and off.
void endCalibrationOnPage()
{
    dimStepButtons(true);
    SetCtrlDimmed(pCal1, CAL1_ACTIVATE, false);
    SetCtrlVal(pCal1, CAL1_ACTIVATE, 0);
}

void requestStop()
{
    if (!CalibrationLoopRunning())
        ActivateCalibration(0);
    else
        cal_exit_flag = 1;
}

// A slope the sensor can use: positive and within the 32-bit word.
bool usableSlope(double micronsPerPixel)
{
    return std::isfinite(micronsPerPixel) && micronsPerPixel > 0.0 && micronsPerPixel * 16384.0 < 4294967296.0 &&
           MicronsToSlopeWord(micronsPerPixel) > 0;
}

} // namespace

int CC_CheckActivateCalib(int panel, int control, int event, void *, int, int)
{
    if (event != EVENT_VAL_CHANGED)
        return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    dimStepButtons(!on);
    SetCtrlDimmed(pCal1, CAL1_DISCARD, false);
    if (on) {
        if (!CalibrationLoopRunning()) {
            ActivateCalibration(1);
            DelayWithEventProcessing(0.1);
            // Measure continuously: the current-pixel field follows the object.
            PushRUN();
        } else {
            cal_start_flag = 1;
        }
    } else {
        requestStop();
        endCalibrationOnPage();
    }
    return 0;
}

int CC_ButtonAcceptCalib(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    unsigned int reference = 0;
    GetCtrlVal(pCal1, CAL1_REF_SIZE, &reference);
    if (reference == 0 || raw.M_VALUE == 0)
        return 0;
    slopeval = static_cast<double>(reference) / static_cast<double>(raw.M_VALUE);
    SetCtrlVal(pCal1, CAL1_NEW_SLOPE, slopeval);
    return 0;
}

int CC_ButtonRefreshCalib(int, int, int event, void *, int, int)
{
    if (event == EVENT_LEFT_CLICK) {
        // A slope of 0 (nothing accepted yet) or one past the 32-bit word would make
        // every millimetre value wrong in the sensor; the slope in use stays.
        if (!usableSlope(slopeval)) {
            ShowStatusText("No valid new slope: ACCEPT a reference first!");
            return 0;
        }
        ShowStatusText("SAVE new calibration value to RAM ...");
        SetCtrlVal(pCal1, CAL1_SLOPE, slopeval);
        DSLOPE_UM = slopeval;
        pset.um_Slope = MicronsToSlopeWord(DSLOPE_UM);
        return 0;
    }
    if (event != EVENT_COMMIT)
        return 0;
    if (!usableSlope(slopeval)) {
        ShowStatusText("No valid new slope: ACCEPT a reference first!");
        return 0;
    }
    ShowSlopeInUse();
    if (!CalibrationLoopRunning())
        ActivateCalibration(2);
    else
        cal_save_flag = 1;
    endCalibrationOnPage();
    return 0;
}

int CC_ButtonDiscardCalib(int, int, int event, void *, int, int)
{
    if (event == EVENT_LEFT_CLICK) {
        ShowStatusText("STOP calibration...");
        return 0;
    }
    if (event != EVENT_COMMIT)
        return 0;
    requestStop();
    endCalibrationOnPage();
    return 0;
}

int CC_ButtonGetFactorySettings(int, int, int event, void *, int, int)
{
    if (event == EVENT_LEFT_CLICK) {
        ShowStatusText("READ factory-setting from EEPROM ...");
        return 0;
    }
    if (event != EVENT_COMMIT)
        return 0;
    if (ReadCalibDataFromXF(datbuf, sizeof cal) != 1)
        return 0;
    std::memcpy(&cal, datbuf, sizeof cal);
    slopeval = cal.UM_SLOPE / 16384.0;
    SetCtrlVal(pCal1, CAL1_NEW_SLOPE, slopeval);
    ShowCalibrationHeader(DSLOPE_UM);
    return 0;
}
