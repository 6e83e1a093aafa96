// SPDX-License-Identifier: GPL-3.0-or-later

#include "params_ui/mapping.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "link/hwinfo.h"
#include "params/parafile.h"
#include "params/pset.h"
#include "params_ui/para_callbacks.h"
#include "ui/runtime.h"

#include <cmath>
#include <cstdio>

using namespace ui;
using namespace panels;

namespace {

struct FieldControl {
    std::uint16_t ParameterSet::*field;
    int *panel;
    int control;
};

// Fields shown on a control without conversion.
const FieldControl kDirectFields[] = {
    {&ParameterSet::Eval_Begin, &pPA, MAIN_EDGE_LEFT},
    {&ParameterSet::Eval_End, &pPA, MAIN_EDGE_RIGHT},
    {&ParameterSet::Polarity, &pPara1, PARA1_POLARITY},
    {&ParameterSet::Eval_Mode, &pPara1, PARA1_EVAL_MODE},
    {&ParameterSet::Tolerance_Mode, &pPara1, PARA1_TOL_MODE},
    {&ParameterSet::Upper_Tolerance, &pPara1, PARA1_UPPER_TOL},
    {&ParameterSet::Lower_Tolerance, &pPara1, PARA1_LOWER_TOL},
    {&ParameterSet::Teach_Value, &pPara1, PARA1_TEACH_VALUE},
    {&ParameterSet::Average, &pPara1, PARA1_AVERAGE},
    {&ParameterSet::Analog_Mode, &pPara1, PARA1_ANALOG_MODE},
    {&ParameterSet::Output_Mode, &pPara1, PARA1_OUTPUT_MODE},
    {&ParameterSet::Analog_Zoom_Mode, &pPara1, PARA1_ZOOM_MODE},
    {&ParameterSet::Power, &pPara2, PARA2_POWER},
    {&ParameterSet::Power_Mode, &pPara2, PARA2_POWER_MODE},
    {&ParameterSet::Background_Mode, &pPara2, PARA2_BG_MODE},
    {&ParameterSet::Video_Thd_Mode, &pPara2, PARA2_VTHD_MODE},
    {&ParameterSet::Filter_Type, &pPara2, PARA2_FILTER},
    {&ParameterSet::Ext_Trigger_Mode, &pPara3, PARA3_TRIG_MODE},
    {&ParameterSet::Hardware_Mode, &pPara3, PARA3_HW_MODE},
    {&ParameterSet::CCD_OP_Mode, &pPara3, PARA3_OP_MODE},
    {&ParameterSet::Int_Trigger_Mode, &pPara3, PARA3_INTRG_MODE},
    {&ParameterSet::Trigger_Pixel, &pPara3, PARA3_TRG_PIX},
    {&ParameterSet::RS_232_Mode, &pRec, REC_MODE},
    {&ParameterSet::RS_232_Baudrate, &pConn, CONN_BAUD},
};

void fillFixedThreshold()
{
    const auto level = static_cast<std::uint16_t>(ADCMAX * pset.Video_Thd_Fix / 100);
    for (std::uint16_t &v : thdArray)
        v = level;
}

void recomputeScaling()
{
    fillFixedThreshold();
    YSCALE_FAC = ScaleOfSlopeWord(pset.um_Slope);
    MAXRANGE_MM = RecomputeMillimetrePoints();
    ApplyUnitScaling();
}

} // namespace

void ShowToleranceMillimetres(unsigned upper, unsigned lower)
{
    const double up = PixelsToMillimetres(upper, pset.um_Slope);
    const double lo = PixelsToMillimetres(lower, pset.um_Slope);
    SetCtrlVal(pPA, MAIN_UPPER_TOL_MM, up);
    SetCtrlVal(pPara1, PARA1_UPPER_TOL_MM, up);
    SetCtrlVal(pPA, MAIN_LOWER_TOL_MM, lo);
    SetCtrlVal(pPara1, PARA1_LOWER_TOL_MM, lo);
    SetCtrlVal(pPara1, PARA1_TEACH_MM, PixelsToMillimetres(pset.Teach_Value, pset.um_Slope));
}

int ResolutionMicrons(std::uint32_t hardwareType, std::uint16_t opMode)
{
    struct Row {
        std::uint32_t codes[2];
        int microns[3]; // operating modes 0 (and others), 1, 2
    };
    static const Row rows[] = {
        {{517311, 517422}, {10, 15, 20}}, {{517465, 517465}, {14, 20, 28}}, {{517312, 517318}, {20, 30, 40}},
        {{517449, 517204}, {30, 45, 60}}, {{517314, 517437}, {40, 60, 80}},
    };
    for (const Row &row : rows)
        if (row.codes[0] == hardwareType || row.codes[1] == hardwareType)
            return row.microns[opMode == 1 ? 1 : opMode == 2 ? 2 : 0];
    return -1;
}

void ApplyUnitScaling()
{
    int on = 0;
    GetCtrlVal(pPA, MAIN_MM_SWITCH, &on);
    // The video scale follows the connected receiver's full scale.
    SetAxisRange(pPA, MAIN_VIDEO_GRAPH, YAXIS, 0.0, ADCMAX);
    if (on) {
        mm_flag = 1;
        xARRAY = xArray_mm;
        SetAxisRange(pPA, MAIN_ROLL_GRAPH, YAXIS, 1.0, std::ceil(MAXRANGE_MM));
        SetAxisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS, 0.0, MAXRANGE_MM);
        SetCtrlVal(pPA, MAIN_AXIS_CAPTION, "Linear-image-sensor [mm]");
        for (int id : {MAIN_ANALOG_VALUE, MAIN_ANALOG_MAX, MAIN_ANALOG_MIN})
            SetCtrlPrecision(pPA, id, PRECISION);
    } else {
        mm_flag = 0;
        xARRAY = xArray_pi;
        SetAxisRange(pPA, MAIN_ROLL_GRAPH, YAXIS, 1.0, ADCMAX);
        SetAxisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS, 1.0, static_cast<double>(PixelCount()));
        SetCtrlVal(pPA, MAIN_AXIS_CAPTION, "linear-image-sensor [pixel]");
        for (int id : {MAIN_ANALOG_VALUE, MAIN_ANALOG_MAX, MAIN_ANALOG_MIN})
            SetCtrlPrecision(pPA, id, 0);
    }
    // The video graph draws only on request; its new axis must show now.
    RefreshGraph(pPA, MAIN_VIDEO_GRAPH);
}

void GetPanelValues()
{
    for (const FieldControl &f : kDirectFields)
        GetCtrlVal(*f.panel, f.control, &(pset.*f.field));
    double exposureMs = 0;
    GetCtrlVal(pPara2, PARA2_EXPOSURE, &exposureMs);
    pset.Exposure_Time = ExposureMsToWord(exposureMs);
    std::uint16_t threshold = 0;
    GetCtrlVal(pPara2, PARA2_VTHD, &threshold);
    (pset.Video_Thd_Mode == 0 ? pset.Video_Thd_Fix : pset.Video_Thd_Auto) = threshold;
    double slope = 0;
    GetCtrlVal(pCal1, CAL1_SLOPE, &slope);
    pset.um_Slope = MicronsToSlopeWord(slope);
    recomputeScaling();
}

void SetPanelValues()
{
    const std::uint16_t pixels = PixelCount();
    NormalizeParameterSet(pset, pixels);

    for (const FieldControl &f : kDirectFields)
        SetCtrlVal(*f.panel, f.control, static_cast<int>(pset.*f.field));
    // The slider clamps to the minimum it has: the new mode's minimum comes first.
    double minimum = MIN_ITIME, lifted = MIN_ITIME;
    if (pset.CCD_OP_Mode == 2) {
        minimum = lifted = 0.4;
    } else if (pset.CCD_OP_Mode == 1) {
        minimum = MIN_ITIME / 2;
        lifted = std::floor(10.0 * MIN_ITIME / 2) / 10.0;
    }
    SetCtrlMin(pPara2, PARA2_EXPOSURE, minimum);
    SetCtrlVal(pPara2, PARA2_EXPOSURE, ExposureWordToMs(pset.Exposure_Time));
    const double slope = SlopeWordToMicrons(pset.um_Slope);
    SetCtrlVal(pCal1, CAL1_SLOPE, slope);
    SetCtrlVal(pCal1, CAL1_SLOPE_SHOWN, slope);

    SetCtrlDimmed(pPara2, PARA2_POWER, pset.Power_Mode != 0);

    if (pset.Video_Thd_Mode == 0) {
        ShowVideoThreshold(pset.Video_Thd_Fix);
        SetCtrlDimmed(pPara2, PARA2_SAVE_THD, true);
        fillFixedThreshold();
        PlotVIDEOCurve(adbuf, thdArray, xARRAY);
    } else {
        ShowVideoThreshold(pset.Video_Thd_Auto);
        SetCtrlDimmed(pPara2, PARA2_SAVE_THD, false);
        PlotVIDEOCurve(adbuf, thdArrayEE, xARRAY);
    }

    unsigned upper = pset.Upper_Tolerance, lower = pset.Lower_Tolerance;
    if (pset.Tolerance_Mode > 0) {
        SetCtrlDimmed(pPara1, PARA1_TOL_MODE, false);
        if (raw.AUTO_TOL != 0) {
            SetCtrlVal(pPara1, PARA1_UPPER_TOL, static_cast<int>(raw.AUTO_TOL));
            SetCtrlVal(pPara1, PARA1_LOWER_TOL, static_cast<int>(raw.AUTO_TOL));
            upper = lower = raw.AUTO_TOL;
        }
    }
    const bool dimTolerances = pset.Hardware_Mode == 1 || pset.Hardware_Mode == 3 || pset.Tolerance_Mode > 0;
    SetCtrlDimmed(pPara1, PARA1_UPPER_TOL, dimTolerances);
    SetCtrlDimmed(pPara1, PARA1_LOWER_TOL, dimTolerances);

    const bool intTrigger = pset.Int_Trigger_Mode > 0;
    SetCtrlDimmed(pPara3, PARA3_TRG_PIX, !intTrigger);
    for (int id : {MAIN_DARK_PIXELS, MAIN_TRIG_LED, MAIN_TRIG_LABEL})
        SetCtrlVisible(pPA, id, intTrigger);

    double exposureShown = 0;
    GetCtrlVal(pPara2, PARA2_EXPOSURE, &exposureShown);
    if (exposureShown < minimum)
        SetCtrlVal(pPara2, PARA2_EXPOSURE, lifted);
    const int microns = ResolutionMicrons(hwinfo.hardwareType, pset.CCD_OP_Mode);
    if (microns > 0) {
        char line[kTextSize];
        FormatResolutionLine(line, sizeof line, microns);
        ReplaceTextBoxLine(pCalib, CALIB_HW_DESC, 1, line);
    }

    SetCtrlDimmed(pRec, REC_INTERVAL, pset.RS_232_Mode != 0);

    recomputeScaling();
    ShowToleranceMillimetres(upper, lower);

    // The bar spans the identified receiver, and each call replaces the grey window
    // instead of stacking another rectangle on the old ones.
    SetAxisRange(pPA, MAIN_BAR_GRAPH, XAXIS, 1.0, pixels);
    DeleteGraphPlots(pPA, MAIN_BAR_GRAPH);
    SetGraphCursor(pPA, MAIN_BAR_GRAPH, 2, pset.Eval_Begin, 0.75);
    SetGraphCursor(pPA, MAIN_BAR_GRAPH, 3, pset.Eval_End, 0.75);
    PlotRectangle(pPA, MAIN_BAR_GRAPH, 0.0, 0.0, pixels, 1.0, VAL_GRAY, VAL_GRAY);
}

void DimmButtons(std::uint16_t dim)
{
    const bool dimmed = dim >= 1;
    SetStatusColor(dimmed ? VAL_RED : VAL_BLACK);
    for (int id : {MAIN_SEND, MAIN_GET, MAIN_VIDEO, MAIN_RUN, MAIN_RESET})
        SetCtrlDimmed(pPA, id, dimmed);
    SetCtrlDimmed(pPara1, PARA1_TEACH, dimmed);
}

std::string ShownParameterText(const std::string &key, std::uint32_t value)
{
    char text[64] = "";
    if (key == "um-Slope") {
        std::snprintf(text, sizeof text, "%.4f \xb5m/pixel", SlopeWordToMicrons(value));
    } else if (key == "Exposure-Time") {
        std::snprintf(text, sizeof text, "%.1f ms", ExposureWordToMs(static_cast<std::uint16_t>(value)));
    } else if (key == "Video-Thd-Fix" || key == "Video-Thd-Auto") {
        std::snprintf(text, sizeof text, "%u %%", value);
    } else if (key == "Teach-Value" || key == "Upper-Tolerance" || key == "Lower-Tolerance" || key == "Eval-Begin" ||
               key == "Eval-End" || key == "Trigger-Pixel") {
        std::snprintf(text, sizeof text, "%.*f mm", static_cast<int>(PRECISION),
                      PixelsToMillimetres(value, pset.um_Slope));
    } else {
        for (int i = 0; i < kParaKeyCount; ++i) {
            if (key != kParaKeys[i].name)
                continue;
            for (const FieldControl &f : kDirectFields) {
                std::string label;
                if (f.field == kParaKeys[i].field && *f.panel != 0 &&
                    GetRingLabelOfValue(*f.panel, f.control, static_cast<int>(value), &label) == 0)
                    return label;
            }
        }
    }
    return text;
}
