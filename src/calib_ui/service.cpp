// SPDX-License-Identifier: GPL-3.0-or-later

#include "calib_ui/service.h"
#include "files/change_watch.h"

#include "base/control_ids.h"
#include "base/popups.h"
#include "base/records.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "calib/table_format.h"
#include "calib_ui/procedure.h"
#include "calib_ui/table_loader.h"
#include "link/ident.h"
#include "link/xflash.h"
#include "link_ui/ident_page.h"
#include "params/pset.h"
#include "ui/runtime.h"

#include <cstring>

using namespace ui;
using namespace panels;

namespace {

constexpr double kFlashSettle = 0.1; // seconds the sensor needs after an erase or a piece

// Controls of pCalib shown only in the service section.
constexpr int kServiceControls[] = {CALIB_RBT_HEADER, CALIB_RBT_LOOKUP, CALIB_WRITE_XF, CALIB_SERVICE_FRAME};
// Header fields the technician edits.
constexpr int kEditableFields[] = {CAL2_HWTYPE, CAL2_SERNO, CAL2_SLOPE, CAL2_RANGE, CAL2_LOAD_TABLE};
// Fields that only show what the header or the table file holds.
constexpr int kFixedFields[] = {CAL2_OFFSET, CAL2_DIVISOR, CAL2_SIZE, CAL2_FILENAME, CAL2_FILE_BTN};

void followRadioButtons()
{
    int header = 0, lookup = 0;
    GetCtrlVal(pCalib, CALIB_RBT_HEADER, &header);
    GetCtrlVal(pCalib, CALIB_RBT_LOOKUP, &lookup);
    SetCtrlDimmed(pCalib, CALIB_WRITE_XF, header == 0 && lookup == 0);
}

void hideServiceSection()
{
    hide_flag = 1;
    SetActiveTabPage(pCalib, CALIB_TAB, 1);
    for (int id : kServiceControls)
        SetCtrlVisible(pCalib, id, false);
    SetCtrlVisible(pCalib, CALIB_HW_DESC, true);
    for (int id : kEditableFields)
        SetCtrlDimmed(pCal2, id, true);
    for (int id : kFixedFields)
        SetCtrlDimmed(pCal2, id, true);
}

void showServiceSection()
{
    hide_flag = 0;
    SetActiveTabPage(pCalib, CALIB_TAB, 1);
    for (int id : kServiceControls)
        SetCtrlVisible(pCalib, id, true);
    SetCtrlVisible(pCalib, CALIB_HW_DESC, false);
    // The table can be chosen for writing only once a valid one is loaded.
    SetCtrlDimmed(pCalib, CALIB_RBT_LOOKUP, cal_file_flag != 1);
    followRadioButtons();
    // A header written now carries the slope in use, also one a calibration just saved.
    SetCtrlVal(pCal2, CAL2_SLOPE, SlopeWordToMicrons(pset.um_Slope));
    for (int id : kEditableFields)
        SetCtrlDimmed(pCal2, id, false);
    for (int id : kFixedFields)
        SetCtrlDimmed(pCal2, id, true);
    // Parameters and the header must not cross while the technician edits it.
    SetCtrlDimmed(pPA, MAIN_SEND, true);
    SetCtrlDimmed(pPA, MAIN_GET, true);
}

void takeHeaderFieldsIntoCal()
{
    int serial = 0, type = 0, offset = 0, range = 0, size = 0, divisor = 0;
    GetCtrlVal(pCal2, CAL2_SERNO, &serial);
    GetCtrlVal(pCal2, CAL2_HWTYPE, &type);
    GetCtrlVal(pCal2, CAL2_OFFSET, &offset);
    GetCtrlVal(pCal2, CAL2_RANGE, &range);
    GetCtrlVal(pCal2, CAL2_SIZE, &size);
    GetCtrlVal(pCal2, CAL2_DIVISOR, &divisor);
    cal.SER_NO = static_cast<std::uint16_t>(serial);
    cal.HW_TYPE = type;
    cal.UM_OFFSET = offset;
    cal.UM_RANGE = range;
    cal.XF_SIZE = static_cast<std::uint16_t>(size);
    cal.XF_DIVISOR = static_cast<std::uint16_t>(divisor);
    GetCtrlVal(pCal2, CAL2_SLOPE, &DSLOPE_UM);
    cal.UM_SLOPE = MicronsToSlopeWord(DSLOPE_UM);
}

void writeHeader()
{
    ChangeAction action("WRITE HEADER");
    const int erased = ClearXFLASHpage(kXflashHeaderAddress);
    DelayWithEventProcessing(kFlashSettle);
    if (erased != 0)
        return;
    takeHeaderFieldsIntoCal();
    WriteCalibDataToXF(&cal, sizeof cal);
    // The header's slope is the one in use from now on: the next SEND and every
    // millimetre display follow it.
    pset.um_Slope = cal.UM_SLOPE;
    SetCtrlVal(pCal1, CAL1_SLOPE, DSLOPE_UM);
    ShowSlopeInUse();
    SetCtrlVal(pCal1, CAL1_NEW_SLOPE, 0.0);
}

// Names the page where the table write stopped, on the status line and in the link log.
void reportTableStopped(int piece, const char *what)
{
    char text[kTextSize];
    FormatText(text, sizeof text, "XFLASH-PAGE%d %s - table incomplete!", piece + 2, what);
    ShowStatusText(text);
    LogStatusLine(text);
}

void writeTable()
{
    if (cal_file_flag != 1) {
        MessagePopup("Info", "No valid calibration file selected!");
        return;
    }
    const int pieces = TablePiecesForSize(cal.XF_SIZE);
    // The table must be as long as the header says: a shorter one would send stale bytes,
    // a longer one only its first part.
    const int loaded = LoadedTableBytes() / 2;
    if (loaded != CalibrationTableEntries(cal.XF_SIZE)) {
        char text[160];
        FormatText(text, sizeof text,
                   "The loaded calibration table holds %d entries, the header's XF-SIZE is %d:\n"
                   "the table is not written!",
                   loaded, static_cast<int>(cal.XF_SIZE));
        MessagePopup("Info", text);
        return;
    }
    ChangeAction action("WRITE TABLE");
    for (int i = 0; i < pieces; ++i) {
        const int erased = ClearXFLASHpage(static_cast<std::uint16_t>(kXflashTableFirstPage + i * kXflashPageStep));
        DelayWithEventProcessing(kFlashSettle);
        if (erased != 0)
            return reportTableStopped(i, "not erased");
    }
    for (int i = 0; i < pieces; ++i) {
        const int written = WriteXFLASH(static_cast<std::uint16_t>(kXflashTableFirstPage + i * kXflashPageStep),
                                        linArray + i * kXflashTablePiece, kXflashTablePiece);
        DelayWithEventProcessing(kFlashSettle);
        if (written != 1)
            return reportTableStopped(i, "not written");
    }
}

} // namespace

int TablePiecesForSize(std::uint16_t xfSize) { return xfSize == 2048 ? 8 : 4; }

void InitCalibrationPages()
{
    SetCtrlDimmed(pCal1, CAL1_ACCEPT, true);
    SetCtrlDimmed(pCal1, CAL1_SAVE, true);
    // An edit of the slope would reach the sensor with the next SEND: only the recorder's
    // service value opens the field.
    SetCtrlDimmed(pCal1, CAL1_SLOPE, true);
    for (int id : kEditableFields)
        SetCtrlDimmed(pCal2, id, true);
    for (int id : kFixedFields)
        SetCtrlDimmed(pCal2, id, true);
}

int CC_TEXTcalibration(int, int, int event, void *, int, int)
{
    if (event != EVENT_RIGHT_DOUBLE_CLICK)
        return 0;
    if (hide_flag == 1) {
        showServiceSection();
    } else {
        hideServiceSection();
        // SEND and GET stay dimmed while no usable sensor is connected.
        SetCtrlDimmed(pPA, MAIN_SEND, err_flag == 1);
        SetCtrlDimmed(pPA, MAIN_GET, err_flag == 1);
    }
    return 0;
}

int CC_RBTHeader(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        followRadioButtons();
    return 0;
}

int CC_RBTLookup(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        followRadioButtons();
    return 0;
}

int CC_WriteXFLASH(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    int header = 0, lookup = 0;
    GetCtrlVal(pCalib, CALIB_RBT_HEADER, &header);
    GetCtrlVal(pCalib, CALIB_RBT_LOOKUP, &lookup);
    if (header == 1)
        writeHeader();
    if (lookup == 1)
        writeTable();
    return 0;
}

int CC_ReadXFLASH(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    if (ReadCalibDataFromXF(datbuf, sizeof cal) != 1)
        return 0;
    std::memcpy(&cal, datbuf, sizeof cal);
    DSLOPE_UM = cal.UM_SLOPE / 16384.0;
    ShowCalibrationHeader(DSLOPE_UM);
    return 0;
}

int CC_PICBTNcalibfile(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    SetCtrlVal(pCal2, CAL2_FILENAME, calib_fname);
    ShowCalibrationHeader(cal.UM_SLOPE / 16384.0);
    return 0;
}
