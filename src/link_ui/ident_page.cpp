// SPDX-License-Identifier: GPL-3.0-or-later

#include "link_ui/ident_page.h"

#include "base/control_ids.h"
#include "base/hooks.h"
#include "base/popups.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "link/hwinfo.h"
#include "link/ident.h"
#include "params_ui/mapping.h"
#include "params_ui/transfer.h"
#include "ui/runtime.h"

#include <string>

using namespace ui;
using namespace panels;

namespace {

constexpr int kConnectionPage = 5;

const int kSixMillimetreDisplays[][2] = {{0, MAIN_UPPER_TOL_MM},  {0, MAIN_LOWER_TOL_MM},  {0, MAIN_MVAL_MM},
                                         {1, PARA1_UPPER_TOL_MM}, {1, PARA1_LOWER_TOL_MM}, {1, PARA1_TEACH_MM}};

void twoDecimalsOnMillimetreDisplays()
{
    for (const auto &d : kSixMillimetreDisplays)
        SetCtrlPrecision(d[0] == 0 ? pPA : pPara1, d[1], 2);
}

// The controls that exist on one hardware type only.
void applyHardwareTypeStep()
{
    if (HWTYPE == 1) {
        ClearListCtrl(pPara3, PARA3_HW_MODE);
        InsertListItem(pPara3, PARA3_HW_MODE, -1, "DISABLE BTN", 0);
        InsertListItem(pPara3, PARA3_HW_MODE, -1, "ENABLE BTN", 2);
        SetCtrlDimmed(pPara3, PARA3_HW_MODE, false);
        SetCtrlDimmed(pPara1, PARA1_OUTPUT_MODE, false);
        SetCtrlDimmed(pPA, MAIN_BTN_LED, false);
    } else if (HWTYPE == 2) {
        SetCtrlDimmed(pPara3, PARA3_HW_MODE, true);
        SetCtrlDimmed(pPara1, PARA1_OUTPUT_MODE, true);
        SetCtrlDimmed(pPA, MAIN_BTN_LED, true);
    }
    SetCtrlVal(pPara2, PARA2_THD_TARGET, 0); // RAM
    SetCtrlDimmed(pPara2, PARA2_THD_TARGET, false);
    SetCtrlDimmed(pPara3, PARA3_OP_MODE, hwinfo.firmwareNo <= 403);
}

void showReceiver()
{
    if (receiverView.twoDecimals)
        twoDecimalsOnMillimetreDisplays();
    if (receiverView.described)
        ResetTextBox(pCalib, CALIB_HW_DESC, receiverView.description.c_str());
    if (receiverView.hardwareTypeStep)
        applyHardwareTypeStep();
    if (receiverView.unitScaling)
        ApplyUnitScaling();
}

} // namespace

void ShowCalibrationHeader(double slopeShown)
{
    SetCtrlVal(pCal2, CAL2_SERNO, static_cast<int>(cal.SER_NO));
    SetCtrlVal(pCal2, CAL2_HWTYPE, static_cast<int>(cal.HW_TYPE));
    SetCtrlVal(pCal2, CAL2_OFFSET, static_cast<double>(cal.UM_OFFSET));
    SetCtrlVal(pCal2, CAL2_SLOPE, slopeShown);
    SetCtrlVal(pCal2, CAL2_RANGE, static_cast<double>(cal.UM_RANGE));
    SetCtrlVal(pCal2, CAL2_DIVISOR, static_cast<int>(cal.XF_DIVISOR));
    SetCtrlVal(pCal2, CAL2_SIZE, static_cast<int>(cal.XF_SIZE));
}

int InitDataExchange()
{
    const IdentifyOutcome outcome = IdentifySensor();
    if (!outcome.echoed) {
        SetActiveTabPage(pPA, MAIN_TAB, kConnectionPage);
        SetCtrlDimmed(pConn, CONN_ACCEPT, true);
    }
    if (szFirmwareVersion[0] != '\0' && outcome.echoed)
        SetCtrlTooltip(pPA, MAIN_STATUS, szFirmwareVersion);
    if (outcome.hardwareRead)
        showReceiver();
    if (outcome.dim >= 0)
        DimmButtons(static_cast<std::uint16_t>(outcome.dim));
    if (!outcome.refusal.empty())
        MessagePopup("Attention !!!", outcome.refusal.c_str());
    if (outcome.served) {
        ShowCalibrationHeader(DSLOPE_UM);
        PushGET(RAM);
        // The set's own transfer text gives way to the sensor's version again.
        CopyText(szStatus, szVersion);
        NotifySensorIdentified();
    }
    ShowStatus();
    LogStatusLine((outcome.log + "\n").c_str());
    return outcome.result;
}
