// SPDX-License-Identifier: GPL-3.0-or-later

#include "display/measure.h"

#include "base/control_ids.h"
#include "base/hooks.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "display/deferred.h"
#include "display/rollgraph.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "link/transport.h"
#include "params/pset.h"
#include "ui/runtime.h"

#include <algorithm>
#include <cmath>

using namespace ui;
using namespace panels;

unsigned long long framesShown;
bool frameInTolerance;

namespace {

constexpr int kRed = 0xFF0000;
constexpr int kGreen = 0x008000;
constexpr int kBandGreen = 0x00FF00;
constexpr int kConnectionPage = 5;

const char *const kArrowTexts[2] = {"Transmission successful  ---> Line Ok!", "Transmission successful <---  Line Ok!"};

double millimetres(int pixels, std::uint32_t slope) { return static_cast<double>(pixels) * slope / 16384000.0; }

void setLamp(int control, bool on) { SetCtrlVal(pPA, control, on ? 1 : 0); }

// The housing button has a lamp of its own (dimmed on models without one), so IN1 keeps
// its caption and state 4 lights the BTN lamp instead of a second "BTN".
void showInputLamps(int inState)
{
    if (inState == 4 && pset.Hardware_Mode == 0)
        return;
    setLamp(MAIN_BTN_LED, inState == 4);
    switch (inState) {
    case 1:
        setLamp(MAIN_IN0_LED, true);
        setLamp(MAIN_IN1_LED, false);
        break;
    case 2:
    case 6:
        setLamp(MAIN_IN0_LED, false);
        setLamp(MAIN_IN1_LED, true);
        break;
    case 3:
        setLamp(MAIN_IN0_LED, true);
        setLamp(MAIN_IN1_LED, true);
        break;
    default:
        // The housing button (4; only models wired for it report it) and no input.
        setLamp(MAIN_IN0_LED, false);
        setLamp(MAIN_IN1_LED, false);
        break;
    }
}

// The window a frame is judged against, in pixels: the working set point and the
// tolerances above and below it.
struct ToleranceWindow {
    int setpoint;
    int upper;
    int lower;
};

// Pixels as shown: in millimetres while the millimetre display is on.
double shownLength(int pixels, std::uint32_t slope)
{
    return mm_flag == 1 ? millimetres(pixels, slope) : static_cast<double>(pixels);
}

void showValuesAndExtremes(const MeasurementRecord &record, std::uint32_t slope)
{
    SetCtrlVal(pPA, MAIN_ELEFT, static_cast<int>(record.E_LEFT));
    SetCtrlVal(pPA, MAIN_ERIGHT, static_cast<int>(record.E_RIGHT));
    SetCtrlVal(pPA, MAIN_MVALUE, static_cast<int>(record.M_VALUE));
    SetCtrlVal(pPA, MAIN_ANALOG_MAX, shownLength(record.MAX_VALUE, slope));
    SetCtrlVal(pPA, MAIN_ANALOG_MIN, shownLength(record.MIN_VALUE, slope));
}

void showCycleRate(std::uint32_t cycleTime)
{
    const CycleRate rate = CycleRateOf(cycleTime);
    SetCtrlPrecision(pPA, MAIN_CYCLE_RATE, rate.decimals);
    SetCtrlVal(pPA, MAIN_CYCLE_RATE, rate.hertz);
}

// The teach value follows a teach done at the sensor.
void showDarkPixelsAndTeachValue(const MeasurementRecord &record)
{
    SetCtrlVal(pPA, MAIN_DARK_PIXELS, static_cast<int>(record.DARK_PIXELS));
    SetCtrlVal(pPara1, PARA1_TEACH_VALUE, static_cast<int>(record.SETPOINT));
}

// The sensor's set point (at least 1) and its automatic tolerance, a value past the line
// taken as the whole line; the tolerances are the parameter set's unless it asks for the
// automatic one.
ToleranceWindow toleranceWindowOf(const MeasurementRecord &record, int pixelCount)
{
    int setpoint = std::max<int>(1, record.SETPOINT);
    if (setpoint > pixelCount - 1)
        setpoint = pixelCount;
    int automatic = record.AUTO_TOL;
    if (automatic > pixelCount - 1)
        automatic = pixelCount;
    const bool autoTol = pset.Tolerance_Mode > 0;
    return {setpoint, autoTol ? automatic : static_cast<int>(pset.Upper_Tolerance),
            autoTol ? automatic : static_cast<int>(pset.Lower_Tolerance)};
}

// The input lamps and, with the internal trigger on, the trigger lamp.
void showLamps(const MeasurementRecord &record)
{
    showInputLamps(record.IN_STATE);
    if (pset.Int_Trigger_Mode > 0) {
        const bool dark = record.DARK_PIXELS > pset.Trigger_Pixel;
        SetCtrlBackColor(pPA, MAIN_DARK_PIXELS, dark ? 0xC0C0C0 : 0xE0E0E0);
        setLamp(MAIN_TRIG_LED, dark);
    }
}

// What the analog output carries, by analog mode.
int analogOutputValue(const MeasurementRecord &record)
{
    switch (pset.Analog_Mode) {
    case 1:
        return record.MAX_VALUE;
    case 2:
        return record.MIN_VALUE;
    case 3:
        return record.MAX_VALUE - record.MIN_VALUE;
    default:
        return record.M_VALUE;
    }
}

void showAnalogOutput(const MeasurementRecord &record, std::uint32_t slope)
{
    SetCtrlVal(pPA, MAIN_ANALOG_VALUE, shownLength(analogOutputValue(record), slope));
}

// Fixed tolerances in the fields are the operator's, edited or not: they stay until SEND
// takes them or a GET replaces them. Only the sensor's automatic tolerance is shown there,
// while the page is in automatic mode too.
bool automaticToleranceShown()
{
    int pageMode = 0;
    GetCtrlVal(pPara1, PARA1_TOL_MODE, &pageMode);
    return pset.Tolerance_Mode > 0 && pageMode > 0;
}

void showTolerances(const ToleranceWindow &window)
{
    SetCtrlVal(pPara1, PARA1_UPPER_TOL, window.upper);
    SetCtrlVal(pPara1, PARA1_LOWER_TOL, window.lower);
}

void showMillimetres(const MeasurementRecord &record, const ToleranceWindow &window, std::uint32_t slope,
                     bool automaticShown)
{
    SetCtrlVal(pPA, MAIN_MVAL_MM, record.M_VAL_um / 1000.0);
    SetCtrlVal(pPA, MAIN_UPPER_TOL_MM, millimetres(window.upper, slope));
    SetCtrlVal(pPA, MAIN_LOWER_TOL_MM, millimetres(window.lower, slope));
    if (automaticShown) {
        SetCtrlVal(pPara1, PARA1_UPPER_TOL_MM, millimetres(window.upper, slope));
        SetCtrlVal(pPara1, PARA1_LOWER_TOL_MM, millimetres(window.lower, slope));
    }
    SetCtrlVal(pPara1, PARA1_TEACH_MM, millimetres(window.setpoint, slope));
}

// In or out of tolerance, limits included and kept on the line: M-VALUE green or red.
void showToleranceVerdict(const MeasurementRecord &record, const ToleranceWindow &window, int pixelCount)
{
    const int upperLimit = std::min(window.setpoint + window.upper, pixelCount - 1);
    const int lowerLimit = std::max(window.setpoint - window.lower, 1);
    const bool out = record.M_VALUE > upperLimit || record.M_VALUE < lowerLimit;
    frameInTolerance = !out;
    SetCtrlTextColor(pPA, MAIN_MVAL_MM, out ? kRed : kGreen);
    SetCtrlTextColor(pPA, MAIN_MVALUE, out ? kRed : kGreen);
}

// The calibration page follows the raw value while it calibrates.
void followOnCalibrationPage(const MeasurementRecord &record)
{
    int calibrating = 0;
    GetCtrlVal(pCal1, CAL1_ACTIVATE, &calibrating);
    if (calibrating)
        SetCtrlVal(pCal1, CAL1_CUR_PIXEL, static_cast<int>(record.M_VALUE));
}

// Red where the edges are: behind the one edge on its dark side, or between two edges.
void plotEdges(const MeasurementRecord &record, int lineEnd)
{
    if (record.EDGES == 1) {
        if (record.SIDE_VALUE_1 < record.SIDE_VALUE_2)
            PlotRectangle(pPA, MAIN_BAR_GRAPH, record.E_LEFT, 0.5, lineEnd, 1.0, kRed, kRed);
        else
            PlotRectangle(pPA, MAIN_BAR_GRAPH, 1, 0.5, record.E_LEFT, 1.0, kRed, kRed);
    } else if (record.EDGES >= 2) {
        PlotRectangle(pPA, MAIN_BAR_GRAPH, record.E_LEFT, 0.5, record.E_RIGHT, 1.0, kRed, kRed);
    }
}

// The evaluation bar: its window cursors, the position cursor kept inside the sensor's
// limits, the edges found, and green where they should be. Before identification the
// sensor's limits are unknown (0): the whole line stands in for them.
void drawEvaluationBar(const MeasurementRecord &record, const ToleranceWindow &window, int position, int pixelCount)
{
    const int begin = pixE > 0 ? pixB : 1;
    const int end = pixE > 0 ? pixE : pixelCount;
    SetAxisRange(pPA, MAIN_BAR_GRAPH, XAXIS, 1.0, pixelCount);
    SetGraphCursor(pPA, MAIN_BAR_GRAPH, 2, pset.Eval_Begin, 0.5);
    SetGraphCursor(pPA, MAIN_BAR_GRAPH, 3, pset.Eval_End, 0.5);
    DeleteGraphPlots(pPA, MAIN_BAR_GRAPH);
    const int cursor = std::clamp(std::clamp(position, begin, std::max(begin, end)), 1, std::max(1, pixelCount));
    SetGraphCursor(pPA, MAIN_BAR_GRAPH, 1, cursor, 0.5);

    plotEdges(record, end);

    const ToleranceBand band = ToleranceBandOf(pset.Eval_Mode, record.EDGES, position, window.setpoint, window.upper,
                                               window.lower, pixelCount);
    for (int i = 0; i < band.count; ++i)
        PlotRectangle(pPA, MAIN_BAR_GRAPH, band.range[i].from, 0.0, band.range[i].to, 0.5, kBandGreen, kBandGreen);
}

// What the sensor chose for itself: its power or its exposure, when set to choose it.
void showSensorChoices(const MeasurementRecord &record)
{
    if (pset.Power_Mode == 1)
        SetCtrlVal(pPara2, PARA2_POWER, static_cast<int>(record.DYN_POWER));
    else if (pset.Power_Mode == 2)
        SetCtrlVal(pPara2, PARA2_EXPOSURE, record.DYN_EXPOSURE / 1000.0);
}

void showLoopFailure()
{
    SetActiveTabPage(pPA, MAIN_TAB, kConnectionPage);
    SetStatusColor(kRed);
}

} // namespace

CycleRate CycleRateOf(std::uint32_t cycleTime)
{
    // A sensor reporting no cycle time gets a rate of 0, not a division by zero.
    const double f = cycleTime == 0 ? 0.0 : 1000000.0 / cycleTime;
    if (f > 10.0)
        return {std::round(f), 0};
    return {f, 1};
}

int MeasurementPosition(const MeasurementRecord &r, int evalMode)
{
    switch (evalMode) {
    case 0:
        return r.E_LEFT;
    case 1:
        return r.E_RIGHT;
    default:
        if (r.E_LEFT == 0 || r.E_RIGHT == 0)
            return 1;
        return (r.E_LEFT + r.E_RIGHT) / 2;
    }
}

ToleranceBand ToleranceBandOf(int evalMode, int edges, int position, int setpoint, int upper, int lower, int pixelCount)
{
    ToleranceBand band{};
    if (evalMode == 2) {
        if (edges <= 0)
            return band;
        int from = position - setpoint / 2 - upper / 2;
        int to = position - setpoint / 2 + lower / 2;
        if (from < 0)
            from = 1;
        if (to > pixelCount - 1)
            to = pixelCount;
        band.range[0] = {from, to};
        band.range[1] = {position + setpoint / 2 - lower / 2, position + setpoint / 2 + upper / 2};
        band.count = 2;
        return band;
    }
    int from = setpoint - lower;
    int to = setpoint + upper;
    if (from < 0)
        from = 1;
    if (to > pixelCount - 1)
        to = pixelCount;
    band.range[0] = {from, to};
    band.count = 1;
    return band;
}

void SelectRamTarget()
{
    SetCtrlVal(pPA, MAIN_RAM, 1);
    SetCtrlVal(pPA, MAIN_EEPROM, 0);
    SetCtrlVal(pPA, MAIN_FILE, 0);
    target = RAM;
}

void DimLoopButtons()
{
    SetCtrlDimmed(pPA, MAIN_STOP, false);
    for (int id : {MAIN_RUN, MAIN_VIDEO, MAIN_GET})
        SetCtrlDimmed(pPA, id, true);
    SetCtrlDimmed(pPara2, PARA2_SAVE_THD, true);
    SetCtrlDimmed(pCal1, CAL1_FACTORY, true);
}

namespace {
// A Run or Video loop is under way, up to its last answer (STOP does not end it at once).
bool loopUnderWay = false;
} // namespace

LoopUnderWay::LoopUnderWay() { loopUnderWay = true; }
LoopUnderWay::~LoopUnderWay() { loopUnderWay = false; }

namespace {
const char *lostLinkText() { return LinkFailureText(kTextPortLost, kTextServerClosed); }
} // namespace

void ReportLoopLinkFailure()
{
    if (link_lost == 1) {
        CopyText(szStatus, lostLinkText());
        ShowStatus();
        return;
    }
    CopyText(szStatus, LinkFailureText("Timeout RS232-Line!", "Timeout TCP-Server-error!"));
    ShowStatus();
    // The link's history on the connection page includes the time-out that ended the loop.
    LogStatusLine(szStatus);
}

bool RequestsWaitForLoop() { return stop_flag == 0 || loopUnderWay; }

namespace {
// How long showing a frame waits for the next request to be through; a sensor that is
// slow to answer delays the display no longer than this.
constexpr double kRequestThroughWait = 0.01;
} // namespace

bool RequestNextFrameEarly()
{
    if (stop_flag != 0 || exit_flag == 1 || DeferredRequestsPending())
        return false;
    if (SendOrder(ORDER_MEASUREMENT, 0) != 1)
        return false;
    // On a busy machine the request would otherwise reach the sensor only after the drawing.
    LetRequestThrough(kRequestThroughWait);
    return true;
}

void PushRUN()
{
    SetCtrlVisible(pPA, MAIN_VIDEO_GRAPH, false);
    SetCtrlVisible(pPA, MAIN_AXIS_CAPTION, false);
    SetCtrlVisible(pPA, MAIN_COMPARE, false);
    SetCtrlVisible(pPA, MAIN_ROLL_GRAPH, true);
    SetCtrlVisible(pPA, MAIN_ZOOM, true);
    DimLoopButtons();
    SelectRamTarget();

    const LoopUnderWay underWay;
    stop_flag = 0;
    int arrow = 0;
    bool requested = false; // the next frame's request is already on the line
    PacedRepaints paced;
    do {
        const int answer = requested ? AwaitAnswer() : IssueOrder(ORDER_MEASUREMENT, 0);
        requested = false;
        if (answer != 1) {
            // A close abandons the wait: that is the end of the program, not a time-out.
            if (exit_flag == 1) {
                stop_flag = 1;
                break;
            }
            showLoopFailure();
            ReportLoopLinkFailure();
            stop_flag = -1;
            break;
        }
        CopyAnswerData(&raw, sizeof raw);
        requested = RequestNextFrameEarly();
        CopyText(szStatus, kArrowTexts[arrow]);
        arrow ^= 1;
        ShowStatus();
        PlotVIDEOBarGraph();
        NotifyFrameShown();
        PlotRAWGraph();
        RepaintIfDue();
        // Requests that came up while the next frame was on its way follow that frame.
        if (requested)
            continue;
        if (CarryOutDeferredRequests(true))
            break;
        // A request already on the line is followed to its answer, which is shown.
    } while (stop_flag == 0 || requested);
    PushSTOP();
}

void PushSTOP()
{
    // What needs the link stays dimmed after a loss, until Connect restores the link.
    const bool lost = link_lost == 1;
    for (int id : {MAIN_STOP, MAIN_VIDEO, MAIN_RUN, MAIN_SEND, MAIN_GET})
        SetCtrlDimmed(pPA, id, lost);
    SetCtrlDimmed(pPara1, PARA1_TEACH, lost);
    SetCtrlDimmed(pCal1, CAL1_FACTORY, false);
    if (stop_flag == -1 && lost)
        CopyText(szStatus, lostLinkText());
    else if (stop_flag == -1)
        CopyText(szStatus, LinkFailureText("Timeout RS232 Line!", "Timeout TCP-Server-error!"));
    else
        CopyText(szStatus, "Data-Transfer Stopped!");
    ShowStatus();
    int thdMode = 0;
    GetCtrlVal(pPara2, PARA2_VTHD_MODE, &thdMode);
    SetCtrlDimmed(pPara2, PARA2_SAVE_THD, thdMode == 0);
    if (stop_flag == 0)
        stop_flag = 1;
}

void PlotVIDEOBarGraph()
{
    ++framesShown;
    const MeasurementRecord &record = raw;
    const int pixelCount = PixelCount();
    const std::uint32_t slope = pset.um_Slope;

    showValuesAndExtremes(record, slope);
    showCycleRate(record.CYCLE_TIME);
    showDarkPixelsAndTeachValue(record);
    const ToleranceWindow window = toleranceWindowOf(record, pixelCount);
    showLamps(record);
    showAnalogOutput(record, slope);
    const bool automaticShown = automaticToleranceShown();
    if (automaticShown)
        showTolerances(window);
    const int position = MeasurementPosition(record, pset.Eval_Mode);
    showMillimetres(record, window, slope, automaticShown);
    showToleranceVerdict(record, window, pixelCount);
    followOnCalibrationPage(record);
    drawEvaluationBar(record, window, position, pixelCount);
    showSensorChoices(record);
}
