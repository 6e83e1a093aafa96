// SPDX-License-Identifier: GPL-3.0-or-later
// The display of one measurement frame, the roll graph, the main panel's measurement
// controls and SAVE by the graph, driven offscreen without a sensor.

#include "base/control_ids.h"
#include "base/state.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "display/measure.h"
#include "display/rollgraph.h"
#include "display/video.h"
#include "link/hwinfo.h"
#include "params/pset.h"
#include "support/app_fixture.h"
#include "support/record_samples.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;
using namespace std::string_literals;

namespace {

class FrameDisplayTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        pixB = 1;
        pixE = 4096;
        std::memset(&raw, 0, sizeof raw);
        std::memset(arrayNORM, 0, sizeof arrayNORM);
        raw.E_LEFT = 1000;
        raw.E_RIGHT = 1400;
        raw.M_VALUE = 1400;
        raw.EDGES = 2;
        raw.SETPOINT = 1400;
        raw.CYCLE_TIME = 1000;
        raw.MIN_VALUE = 4095;
        PrepareRollGraph();
    }

    double cursorX(int cursor)
    {
        double x = -1, y = -1;
        GetGraphCursor(pPA, MAIN_BAR_GRAPH, cursor, &x, &y);
        return x;
    }
    // The bar graph's rectangles as {x1, x2}; y: the first one's y1 and the last one's y2.
    using Spans = std::vector<std::pair<double, double>>;
    Spans spans(std::pair<double, double> *y = nullptr)
    {
        Spans out;
        double x1, y1, x2, y2;
        for (int i = 0; GetGraphRect(pPA, MAIN_BAR_GRAPH, i, &x1, &y1, &x2, &y2) == 0; ++i) {
            out.push_back({x1, x2});
            if (y && i == 0)
                y->first = y1;
            if (y)
                y->second = y2;
        }
        return out;
    }
};

TEST_F(FrameDisplayTest, CycleRateDecimalsFollowTheRate)
{
    for (auto [cycle, hertz, decimals] :
         {std::tuple{50000u, 20.0, 0}, {200000u, 5.0, 1}, {100000u, 10.0, 1}, {1512u, 661.0, 0}, {0u, 0.0, 1}}) {
        raw.CYCLE_TIME = cycle;
        PlotVIDEOBarGraph();
        EXPECT_EQ(std::pair(doubleOf(pPA, MAIN_CYCLE_RATE), GetCtrlPrecision(pPA, MAIN_CYCLE_RATE)),
                  std::pair(hertz, decimals))
            << "cycle " << cycle;
    }
}

TEST_F(FrameDisplayTest, InputLampsByInState)
{
    // IN0, IN1 and the button's own lamp in turn; without the housing button (hardware mode 0)
    // state 4 changes nothing. The IN1 lamp keeps its label.
    for (auto [hardwareMode, state, in0, in1, button] : {std::tuple{1, 1, 1, 0, 0},
                                                         {1, 2, 0, 1, 0},
                                                         {1, 3, 1, 1, 0},
                                                         {0, 4, 1, 1, 0},
                                                         {1, 4, 0, 0, 1},
                                                         {1, 5, 0, 0, 0},
                                                         {1, 6, 0, 1, 0},
                                                         {1, 0, 0, 0, 0},
                                                         {1, 9, 0, 0, 0}}) {
        SCOPED_TRACE("hardware mode " + std::to_string(hardwareMode) + ", IN_STATE " + std::to_string(state));
        pset.Hardware_Mode = static_cast<std::uint16_t>(hardwareMode);
        raw.IN_STATE = static_cast<std::uint16_t>(state);
        PlotVIDEOBarGraph();
        EXPECT_EQ(intOf(pPA, MAIN_IN0_LED), in0) << "IN0 lamp";
        EXPECT_EQ(intOf(pPA, MAIN_IN1_LED), in1) << "IN1 lamp";
        EXPECT_EQ(intOf(pPA, MAIN_BTN_LED), button) << "housing button lamp";
        EXPECT_EQ(GetCtrlLabel(pPA, MAIN_IN1_LED), "IN1");
    }
}

TEST_F(FrameDisplayTest, InternalTriggerLampAndAnalogValueByMode)
{
    pset.Int_Trigger_Mode = 1;
    pset.Trigger_Pixel = 300;
    for (auto [dark, lamp, colour] : {std::tuple{301, 1, 0xC0C0C0}, {300, 0, 0xE0E0E0}}) {
        raw.DARK_PIXELS = static_cast<std::uint16_t>(dark);
        PlotVIDEOBarGraph();
        EXPECT_EQ(std::pair(intOf(pPA, MAIN_TRIG_LED), GetCtrlBackColor(pPA, MAIN_DARK_PIXELS)),
                  std::pair(lamp, colour))
            << "DARK_PIXELS " << dark << " against the trigger pixel 300";
    }

    raw.MAX_VALUE = 1500;
    raw.MIN_VALUE = 1200;
    const double expected[] = {1400, 1500, 1200, 300, 1400};
    for (int mode = 0; mode <= 4; ++mode) {
        pset.Analog_Mode = static_cast<std::uint16_t>(mode);
        PlotVIDEOBarGraph();
        EXPECT_DOUBLE_EQ(doubleOf(pPA, MAIN_ANALOG_VALUE), expected[mode]) << mode;
    }
    mm_flag = 1; // 5 µm per pixel
    pset.Analog_Mode = 1;
    PlotVIDEOBarGraph();
    EXPECT_EQ(std::pair(doubleOf(pPA, MAIN_ANALOG_VALUE), doubleOf(pPA, MAIN_ANALOG_MIN)), std::pair(7.5, 6.0));
    mm_flag = 0;
}

TEST_F(FrameDisplayTest, MeasuredValueTurnsRedBeyondAToleranceLimit)
{
    pset.Tolerance_Mode = 0;
    pset.Upper_Tolerance = 100;
    pset.Lower_Tolerance = 50;
    raw.SETPOINT = 1000;
    raw.M_VALUE = 1100;
    raw.M_VAL_um = 5500;
    PlotVIDEOBarGraph();
    // On the upper limit is inside (green); the value, set point and lower tolerance in mm.
    EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_MVALUE), 0x008000) << "green: inside the tolerances";
    EXPECT_EQ(doubleOf(pPA, MAIN_MVAL_MM), 5.5) << "measured value in mm";
    EXPECT_EQ(doubleOf(pPara1, PARA1_TEACH_MM), 5.0) << "set point in mm";
    EXPECT_EQ(doubleOf(pPA, MAIN_LOWER_TOL_MM), 0.25) << "lower tolerance in mm";
    raw.M_VALUE = 1101;
    PlotVIDEOBarGraph();
    EXPECT_EQ(std::pair(GetCtrlTextColor(pPA, MAIN_MVALUE), GetCtrlTextColor(pPA, MAIN_MVAL_MM)),
              std::pair(0xFF0000, 0xFF0000));

    // The sensor's own tolerance replaces both, and the teach field follows the sensor.
    pset.Tolerance_Mode = 10;
    SetCtrlVal(pPara1, PARA1_TOL_MODE, 10);
    raw.AUTO_TOL = 120;
    raw.M_VALUE = 880;
    PlotVIDEOBarGraph();
    EXPECT_EQ(intOf(pPara1, PARA1_UPPER_TOL), 120);
    EXPECT_EQ(intOf(pPara1, PARA1_LOWER_TOL), 120);
    EXPECT_EQ(intOf(pPara1, PARA1_TEACH_VALUE), 1000);
    EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_MVALUE), 0x008000) << "green: inside the tolerances";
}

TEST_F(FrameDisplayTest, FixedToleranceEditsOutliveTheFramesUntilSentOrReplaced)
{
    pset.Teach_Value = 500;
    pset.Upper_Tolerance = 100;
    pset.Lower_Tolerance = 50;
    raw.AUTO_TOL = 120;
    // The sensor's mode, the page's mode, and what the fields show after a frame: the
    // operator's 300 / 200, or the automatic tolerance only when both are automatic.
    const struct {
        const char *name;
        int sensorMode, pageMode, shown;
    } rows[] = {{"both fixed", 0, 0, 0}, {"page switched to fixed", 10, 0, 0}, {"both automatic", 10, 10, 120}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        pset.Tolerance_Mode = static_cast<std::uint16_t>(row.sensorMode);
        SetCtrlVal(pPara1, PARA1_TOL_MODE, row.pageMode);
        changeValue(pPara1, PARA1_UPPER_TOL, 300);
        changeValue(pPara1, PARA1_LOWER_TOL, 200);
        PlotVIDEOBarGraph();
        PlotVIDEOBarGraph();
        const int upper = row.shown ? row.shown : 300, lower = row.shown ? row.shown : 200;
        EXPECT_EQ(std::pair(intOf(pPara1, PARA1_UPPER_TOL), intOf(pPara1, PARA1_LOWER_TOL)), std::pair(upper, lower));
        EXPECT_EQ(std::pair(doubleOf(pPara1, PARA1_UPPER_TOL_MM), doubleOf(pPara1, PARA1_LOWER_TOL_MM)),
                  std::pair(upper / 200.0, lower / 200.0)); // 5 µm per pixel
    }
}

TEST_F(FrameDisplayTest, EvaluationBarCursorsEdgesAndBand)
{
    pset.Eval_Begin = 200;
    pset.Eval_End = 3900;
    pset.Eval_Mode = 2;
    pset.Upper_Tolerance = 20;
    pset.Lower_Tolerance = 10;
    raw.SETPOINT = 400;
    PlotVIDEOBarGraph();
    EXPECT_EQ((std::vector{cursorX(1), cursorX(2), cursorX(3)}), (std::vector<double>{1200, 200, 3900}));
    std::pair<double, double> y;
    // The edge region and two bands for a width: set point -/+ 200, widened by the tolerances.
    EXPECT_EQ(spans(&y), (Spans{{1000, 1400}, {1200 - 200 - 10, 1200 - 200 + 5}, {1200 + 200 - 5, 1200 + 200 + 10}}));
    EXPECT_EQ(y, std::make_pair(0.5, 0.5)) << "the edge region above the middle, the bands below";

    // A width without edges: no band; the position falls back to pixel 1, then pixB.
    pixB = 64;
    raw.EDGES = 0;
    raw.E_LEFT = 0;
    PlotVIDEOBarGraph();
    EXPECT_EQ(std::pair(spans(), cursorX(1)), std::pair(Spans{}, 64.0));

    // One edge: the object lies on the side the side values name; one band: set point minus
    // lower tolerance.
    raw.EDGES = 1;
    raw.E_LEFT = 900;
    raw.SIDE_VALUE_1 = 0;
    raw.SIDE_VALUE_2 = 1;
    pset.Eval_Mode = 0;
    PlotVIDEOBarGraph();
    EXPECT_EQ(spans(), (Spans{{900, 4096}, {390, 420}}));
    raw.SIDE_VALUE_1 = 2;
    PlotVIDEOBarGraph();
    EXPECT_EQ(spans().at(0), std::make_pair(1.0, 900.0));
}

TEST_F(FrameDisplayTest, ToleranceBandLimitsAtTheLineEnds)
{
    ToleranceBand band = ToleranceBandOf(1, 2, 0, 5, 30, 20, 4096);
    ASSERT_EQ(band.count, 1);
    EXPECT_EQ(band.range[0].from, 1) << "below 0 starts at 1";
    EXPECT_EQ(band.range[0].to, 35);
    EXPECT_EQ(ToleranceBandOf(0, 2, 0, 4090, 30, 20, 4096).range[0].to, 4096);
    band = ToleranceBandOf(2, 2, 10, 40, 30, 20, 4096);
    ASSERT_EQ(band.count, 2);
    EXPECT_EQ(band.range[0].from, 1);
    EXPECT_EQ(band.range[1].to, 10 + 20 + 15) << "the second band is not limited";
}

TEST_F(FrameDisplayTest, CalibrationPageAndRegulatedSlidersFollowTheFrame)
{
    SetCtrlVal(pCal1, CAL1_CUR_PIXEL, 7);
    for (auto [activate, pixel] : {std::pair{0, 7}, {1, 1400}}) {
        SetCtrlVal(pCal1, CAL1_ACTIVATE, activate);
        PlotVIDEOBarGraph();
        EXPECT_EQ(intOf(pCal1, CAL1_CUR_PIXEL), pixel) << "activated " << activate;
    }

    pset.Power_Mode = 1;
    raw.DYN_POWER = 432;
    PlotVIDEOBarGraph();
    EXPECT_EQ(intOf(pPara2, PARA2_POWER), 432);
    pset.Power_Mode = 2;
    raw.DYN_EXPOSURE = 1500;
    PlotVIDEOBarGraph();
    EXPECT_DOUBLE_EQ(doubleOf(pPara2, PARA2_EXPOSURE), 1.5);
}

// ---- Roll graph ----------------------------------------------------------------------

RollInputs pixelsInput(int toleranceMode, int upper, int lower)
{
    RollInputs in{};
    in.pixelCount = 1024;
    in.toleranceMode = toleranceMode;
    in.upperTolerance = upper;
    in.lowerTolerance = lower;
    in.scale = 0.005;
    in.rangeMm = 5.12;
    return in;
}

TEST(RollPoint, ZoomWindowFollowsTolerancesAndOutliers)
{
    struct Case {
        const char *name;
        int setpoint, value, autoTol, toleranceMode, tolerance;
        int zoomBottom, zoomTop, upper, lower, upperTolerance;
        // clang-format off
    } cases[] = {
        {"value below the window: bottom at value - 100", 512, 300, 0, 0, 100, 200, 712, 612, 412, 100},
        {"beyond s + 40: top at value + 60", 512, 560, 0, 0, 10, 472, 620, 522, 502, 10},
        {"bottom limited to 1", 20, 20, 0, 0, 10, 1, 60, 30, 10, 10},
        {"the sensor's tolerance sets both sides", 512, 512, 50, 5, 0, 412, 612, 562, 462, 50},
        {"upper limit at most N - 1", 1020, 1023, 0, 0, 100, 820, 1023, 1023, 920, 100},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MeasurementRecord r{};
        r.SETPOINT = static_cast<std::uint16_t>(c.setpoint);
        r.M_VALUE = static_cast<std::uint16_t>(c.value);
        r.AUTO_TOL = static_cast<std::uint16_t>(c.autoTol);
        const RollPoint p = ComputeRollPoint(r, pixelsInput(c.toleranceMode, c.tolerance, c.tolerance));
        EXPECT_EQ(p.zoomBottom, c.zoomBottom);
        EXPECT_EQ(p.zoomTop, c.zoomTop);
        EXPECT_EQ(p.values[0], c.upper) << "upper limit trace";
        EXPECT_EQ(p.values[1], c.lower) << "lower limit trace";
        EXPECT_EQ(p.upperTolerance, c.upperTolerance);
    }
}

TEST(RollPoint, MillimetresScaleValuesAndRoundTheWindowOutwards)
{
    MeasurementRecord r{};
    r.SETPOINT = 512;
    r.M_VALUE = 512;
    RollInputs in = pixelsInput(0, 50, 50);
    in.millimetres = true;
    const RollPoint p = ComputeRollPoint(r, in);
    // 412 px = 2.06 mm, truncated; 612 px = 3.06 mm, rounded up.
    EXPECT_EQ(p.zoomBottom, 2);
    EXPECT_EQ(p.zoomTop, 4);
    EXPECT_EQ(p.values[3], 2.56) << "the value trace in mm";
    EXPECT_EQ(p.fullTop, 6);
}

TEST(RollPoint, AnalogTracesByMode)
{
    MeasurementRecord r{};
    r.SETPOINT = 500;
    r.M_VALUE = 510;
    r.MAX_VALUE = 530;
    r.MIN_VALUE = 1023;
    for (auto [mode, b, a] : {std::tuple{0, 510.0, 510.0},
                              {1, 510.0, 530.0},
                              {2, 1.0, 510.0},
                              {3, 1023.0, 530.0},
                              {4, 1023.0, 1.0},
                              {7, 1023.0, 1.0}}) {
        RollInputs in = pixelsInput(0, 10, 10);
        in.analogMode = mode;
        const RollPoint p = ComputeRollPoint(r, in);
        EXPECT_EQ(std::pair(p.values[4], p.values[5]), std::pair(b, a)) << "mode " << mode;
    }
}

TEST_F(FrameDisplayTest, HistoryRollsAndTheAxisFollowsUnitAndZoom)
{
    hwinfo.pixelCount = 1024;
    pset.Upper_Tolerance = pset.Lower_Tolerance = 100;
    raw.SETPOINT = 512;
    for (int k = 1; k <= 3; ++k) {
        raw.M_VALUE = static_cast<std::uint16_t>(500 + k);
        PlotRAWGraph();
    }
    // The M-VALUE trace of the last four points: older points are zero until filled.
    EXPECT_EQ((std::vector{arrayNORM[6 * 96 + 3], arrayNORM[6 * 97 + 3], arrayNORM[6 * 98 + 3], arrayNORM[6 * 99 + 3]}),
              (std::vector<double>{0, 501, 502, 503}));
    std::vector<double> trace;
    ASSERT_EQ(GetGraphPlotY(pPA, MAIN_ROLL_GRAPH, 3, &trace), 0);
    ASSERT_EQ(trace.size(), 101u);
    EXPECT_EQ(std::pair(arrayNORM[6 * 99 + 0], trace.back()), std::pair(612.0, 503.0)) << "upper limit, plotted value";

    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS), std::make_pair(0.0, 1024.0));
    SetCtrlVal(pPA, MAIN_ZOOM, 1);
    PlotRAWGraph();
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS), std::make_pair(312.0, 712.0));

    mm_flag = 1;
    YSCALE_FAC = 0.005;
    PlotRAWGraph();
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS), std::make_pair(1.0, 4.0)) << "roll y axis in mm";
    EXPECT_EQ(arrayNORM[6 * 99 + 3], 503 * 0.005) << "the last value in mm";

    mm_flag = 0;
    hwinfo.pixelCount = 4096;
}

// ---- Main panel controls -------------------------------------------------------------

using MainControlsTest = FrameDisplayTest;

TEST_F(MainControlsTest, EvaluationFieldsClampToTheSensorsLimits)
{
    pixB = 10;
    pixE = 2000;
    struct Case {
        int control, entered, shown, inSet;
    } cases[] = {{MAIN_EDGE_LEFT, 3, 10, 10},
                 {MAIN_EDGE_LEFT, 2500, 1999, 1999},
                 {MAIN_EDGE_LEFT, 500, 500, 1999}, // inside: it reaches the set with the next panel read
                 {MAIN_EDGE_RIGHT, 3000, 2000, 2000},
                 {MAIN_EDGE_RIGHT, 5, 11, 11}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "control " << c.control << " entered " << c.entered);
        const bool begin = c.control == MAIN_EDGE_LEFT;
        commitValue(pPA, c.control, c.entered);
        // The field, the set and the bar's cursor.
        EXPECT_EQ(std::tuple(intOf(pPA, c.control), begin ? pset.Eval_Begin : pset.Eval_End, cursorX(begin ? 2 : 3)),
                  std::tuple(c.shown, c.inSet, c.shown));
    }
}

TEST_F(MainControlsTest, MillimetreSwitchRescalesAndRedrawsOnlyWhenIdle)
{
    MAXRANGE_MM = 20.48;
    PRECISION = 2;
    changeValue(pPA, MAIN_MM_SWITCH, 1);
    EXPECT_EQ(mm_flag, 1);
    EXPECT_EQ(xAxisArray(), "xArray_mm");
    EXPECT_EQ(axisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS).second, 21.0) << "video x axis up to the range in mm";
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS), std::pair(1.0, 21.0)) << "roll y axis";
    EXPECT_EQ(GetCtrlString(pPA, MAIN_AXIS_CAPTION), "Linear Image Sensor [mm]");
    EXPECT_EQ(GetCtrlPrecision(pPA, MAIN_ANALOG_MAX), 2) << "PRECISION decimals";
    EXPECT_EQ(GetNumGraphPlots(pPA, MAIN_VIDEO_GRAPH), 2) << "idle: the curve is redrawn";

    DeleteGraphPlots(pPA, MAIN_VIDEO_GRAPH);
    stop_flag = 0;
    changeValue(pPA, MAIN_MM_SWITCH, 0);
    stop_flag = 1;
    EXPECT_EQ(mm_flag, 0);
    EXPECT_EQ(xAxisArray(), "xArray_pi");
    EXPECT_EQ(GetCtrlString(pPA, MAIN_AXIS_CAPTION), "Linear Image Sensor [pixel]");
    EXPECT_EQ(GetCtrlPrecision(pPA, MAIN_ANALOG_VALUE), 0) << "whole pixels";
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS).second, static_cast<double>(ADCMAX)) << "roll y axis top";
    EXPECT_EQ(GetNumGraphPlots(pPA, MAIN_VIDEO_GRAPH), 0) << "a running loop redraws it itself";
}

TEST_F(MainControlsTest, ComparisonToggleFillsThresholdsOnlyWhenSwitchedOn)
{
    ADCMAX = 1024;
    pset.Video_Thd_Fix = 40;
    pset.Video_Thd_Auto = 33;
    thdArrayDYN[7] = 5;
    changeValue(pPA, MAIN_COMPARE, 1);
    EXPECT_EQ(std::tuple(thdArray[0], thdArrayDYN[7]), std::tuple(409, 337));
    pset.Video_Thd_Fix = 10;
    changeValue(pPA, MAIN_COMPARE, 0);
    EXPECT_EQ(thdArray[255], 409) << "switching off leaves the curves";
    ADCMAX = 255;

    std::uint16_t video[kCurvePoints] = {410, 409, 1023};
    std::uint16_t threshold[kCurvePoints];
    std::fill(threshold, threshold + kCurvePoints, 409);
    CompareWithThreshold(video, threshold, 1024);
    EXPECT_EQ(std::vector(video, video + 3), (std::vector<std::uint16_t>{1023, 0, 1023}));
}

TEST_F(MainControlsTest, AnalogGroupShowsAndHidesOnDoubleClick)
{
    // Value, maximum, minimum, Reset and the group's label: shown (1) or hidden (0).
    const auto shown = [] {
        std::string out;
        for (int id : {MAIN_ANALOG_VALUE, MAIN_ANALOG_MAX, MAIN_ANALOG_MIN, MAIN_RESET, MAIN_ANALOG_LABEL})
            out += IsCtrlVisible(pPA, id) ? '1' : '0';
        return out;
    };
    SetCtrlVisible(pPA, MAIN_ANALOG_LABEL, false);
    ASSERT_EQ(deco_flag, 0);
    EXPECT_EQ(shown(), "00000") << "hidden from the start, as deco_flag says";
    SimulateEvent(pPA, MAIN_DECO_ANALOG, EVENT_LEFT_DOUBLE_CLICK);
    EXPECT_EQ(std::pair(deco_flag, shown()), std::pair(1, "11111"s));
    SimulateEvent(pPA, MAIN_DECO_ANALOG, EVENT_LEFT_DOUBLE_CLICK);
    EXPECT_EQ(std::pair(deco_flag, shown()), std::pair(0, "00001"s));
}

TEST_F(MainControlsTest, StopAndVideoButtonsWithoutALoop)
{
    // Pressed or keyed, a running loop stops; committed, a timed-out one too (-1).
    SetCtrlDimmed(pPA, MAIN_RUN, true);
    for (auto [event, before] : {std::pair{EVENT_LEFT_CLICK, 0}, {EVENT_KEYPRESS, 0}, {EVENT_COMMIT, -1}}) {
        stop_flag = before;
        SimulateEvent(pPA, MAIN_STOP, event);
        EXPECT_EQ(stop_flag, 1) << "event " << event;
    }
    EXPECT_EQ(std::pair(IsCtrlDimmed(pPA, MAIN_RUN), GetCtrlString(pPA, MAIN_STATUS)),
              std::pair(false, "Data-Transfer Stopped!"s));

    SetCtrlVal(pPA, MAIN_MM_SWITCH, 0);
    SimulateEvent(pPA, MAIN_VIDEO, EVENT_LEFT_CLICK);
    EXPECT_EQ(axisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS), std::pair(1.0, 4096.0)) << "video x axis: the pixels";
    EXPECT_EQ(axisRange(pPA, MAIN_VIDEO_GRAPH, YAXIS), std::pair(1.0, static_cast<double>(ADCMAX))) << "video y axis";
    EXPECT_EQ(GetCtrlString(pPA, MAIN_AXIS_CAPTION), "Linear Image Sensor [pixel]");
}

// ---- SAVE by the graph: the visible graph as PNG or PDF and its data as CSV beside it,
// in the unit shown; never over a record file.

// The lines of the CSV beside a picture, each of which ends in CR LF.
std::vector<std::string> csvLines(const std::string &csv)
{
    std::vector<std::string> lines;
    std::istringstream in(csv);
    for (std::string line; std::getline(in, line);) {
        EXPECT_EQ(line.back(), '\r') << line;
        line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class GraphExportTest : public AppFixture {
protected:
    void save(const std::string &picture)
    {
        popups->filePaths = {picture};
        ASSERT_EQ(SimulateEvent(pPA, MAIN_GRAPH_EXPORT, EVENT_COMMIT), 0);
    }
};

TEST_F(GraphExportTest, VideoGraphWithItsThresholdInTheUnitShown)
{
    for (int i = 0; i < kCurvePoints; ++i) {
        adbuf[i] = static_cast<unsigned short>(i * 3);
        thdArray[i] = static_cast<unsigned short>(40 + i % 7);
        xArray_mm[i] = i * 0.02;
    }
    SetCtrlVisible(pPA, MAIN_ROLL_GRAPH, false);
    SetCtrlVisible(pPA, MAIN_VIDEO_GRAPH, true);
    mm_flag = 1;
    xARRAY = xArray_mm;
    PlotVIDEOCurve(adbuf, thdArray, xARRAY);

    save(programDir + "/video"); // no extension: a PNG
    EXPECT_EQ(ReadBytes(programDir + "/video.png").substr(0, 4), "\x89PNG");
    // The header, then points 0, 1, 128 and 255.
    const auto lines = csvLines(ReadBytes(programDir + "/video.csv"));
    ASSERT_EQ(lines.size(), kCurvePoints + 1u);
    EXPECT_EQ((std::vector{lines[0], lines[1], lines[2], lines[129], lines[256]}),
              (std::vector<std::string>{"x [mm],video,threshold", "0,0,40", "0.02,3,41", "2.56,384,42", "5.1,765,43"}));

    mm_flag = 0;
    xARRAY = xArray_pi;
    PlotVIDEOCurve(adbuf, thdArray, xARRAY);
    save(programDir + "/video-px.pdf");
    EXPECT_EQ(ReadBytes(programDir + "/video-px.pdf").substr(0, 4), "%PDF");
    const auto pixels = csvLines(ReadBytes(programDir + "/video-px.csv"));
    ASSERT_EQ(pixels.size(), kCurvePoints + 1u);
    EXPECT_EQ(std::pair(pixels[0], pixels[256]), std::pair("x [pixel],video,threshold"s, "1020,765,43"s));
}

TEST_F(GraphExportTest, RollGraphHistoryOfSixTraces)
{
    for (int p = 0; p < kRollPoints; ++p)
        for (int t = 0; t < kRollTraces; ++t)
            arrayNORM[p * kRollTraces + t] = p * 10 + t;
    SetCtrlVisible(pPA, MAIN_VIDEO_GRAPH, false);
    SetCtrlVisible(pPA, MAIN_ROLL_GRAPH, true);
    mm_flag = 0;
    PrepareRollGraph();
    PlotStripChart(pPA, MAIN_ROLL_GRAPH, arrayNORM, kRollPoints * kRollTraces);

    save(programDir + "/roll.pdf");
    EXPECT_EQ(ReadBytes(programDir + "/roll.pdf").substr(0, 4), "%PDF");
    // The header, then points 1, 51 and 100.
    const auto lines = csvLines(ReadBytes(programDir + "/roll.csv"));
    ASSERT_EQ(lines.size(), kRollPoints + 1u);
    EXPECT_EQ((std::vector{lines[0], lines[1], lines[51], lines[100]}),
              (std::vector<std::string>{
                  "point,upper limit [pixel],lower limit [pixel],set point [pixel],M-VALUE [pixel],analog B,analog A",
                  "1,0,1,2,3,4,5", "51,500,501,502,503,504,505", "100,990,991,992,993,994,995"}));
}

TEST_F(GraphExportTest, WhileALoopRunsASnapshotIsSavedWithoutADialog)
{
    SetCtrlVisible(pPA, MAIN_ROLL_GRAPH, false);
    SetCtrlVisible(pPA, MAIN_VIDEO_GRAPH, true);
    PlotVIDEOCurve(adbuf, thdArray, xARRAY);
    stop_flag = 0; // the measurement loop waits for an answer
    ASSERT_EQ(SimulateEvent(pPA, MAIN_GRAPH_EXPORT, EVENT_COMMIT), 0);
    stop_flag = 1;
    EXPECT_TRUE(popups->shown.empty()); // nothing modal held the exchange up
    std::vector<std::string> saved;
    for (const auto &entry : std::filesystem::directory_iterator(proj_dir))
        if (entry.path().filename().string().rfind("video-graph-", 0) == 0)
            saved.push_back(entry.path().extension().string());
    std::sort(saved.begin(), saved.end());
    EXPECT_EQ(saved, (std::vector<std::string>{".csv", ".png"}));
    const std::string status = GetCtrlString(pPA, MAIN_STATUS);
    EXPECT_EQ(status.rfind("Video graph and its data saved: video-graph-", 0), 0u) << status;
    EXPECT_NE(status.find(" and .csv in " + std::string(proj_dir)), std::string::npos) << status;
}

TEST_F(GraphExportTest, DataBesideThePictureNeverReplacesARecordFile)
{
    const std::string record = programDir + "/RUN1.csv";
    ASSERT_TRUE(WriteBytes(record, MakeRecordFile({500, 501})));
    const std::string before = ReadBytes(record);
    save(programDir + "/RUN1.png");
    EXPECT_EQ(ReadBytes(record), before);
    ASSERT_FALSE(popups->shown.empty());
    EXPECT_NE(popups->shown.back().text.find("is a record file"), std::string::npos);

    // Cancelled: nothing written, nothing asked beyond the file selection.
    popups->shown.clear();
    ASSERT_EQ(SimulateEvent(pPA, MAIN_GRAPH_EXPORT, EVENT_COMMIT), 0);
    ASSERT_EQ(popups->shown.size(), 1u);
    EXPECT_EQ(popups->shown[0].kind, "file");
}

} // namespace
