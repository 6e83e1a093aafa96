// The display of one measurement frame, the roll graph and the main panel's measurement
// controls, driven offscreen without a sensor.

#include "app/main_callbacks.h"
#include "app/shell.h"
#include "app/state.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "display/measure.h"
#include "display/rollgraph.h"
#include "display/video.h"
#include "link/hwinfo.h"
#include "params/pset.h"
#include "params/transfer.h"
#include "support/app_fixture.h"
#include "panels/resource.h"
#include "ui/runtime.h"
#include "ui/runtime_internal.h"

#include <QElapsedTimer>
#include <QWidget>

#include <cstring>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;

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
    struct Box {
        double x1, y1, x2, y2;
    };
    std::vector<Box> rects()
    {
        std::vector<Box> boxes;
        Box b{};
        for (int i = 0; GetGraphRect(pPA, MAIN_BAR_GRAPH, i, &b.x1, &b.y1, &b.x2, &b.y2) == 0; ++i)
            boxes.push_back(b);
        return boxes;
    }
};

TEST_F(FrameDisplayTest, CycleRateDecimalsFollowTheRate)
{
    struct Case {
        unsigned cycle;
        double hertz;
        int decimals;
    } cases[] = {{50000, 20.0, 0}, {200000, 5.0, 1}, {100000, 10.0, 1}, {1512, 661.0, 0}, {0, 0.0, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cycle);
        raw.CYCLE_TIME = c.cycle;
        PlotVIDEOBarGraph();
        EXPECT_DOUBLE_EQ(doubleOf(pPA, MAIN_CYCLE_RATE), c.hertz);
        EXPECT_EQ(GetCtrlPrecision(pPA, MAIN_CYCLE_RATE), c.decimals);
    }
}

TEST_F(FrameDisplayTest, InputLampsByInState)
{
    pset.Hardware_Mode = 1;
    struct Case {
        int state, in0, in1, button;
    } cases[] = {{1, 1, 0, 0}, {2, 0, 1, 0}, {3, 1, 1, 0}, {4, 0, 0, 1},
                 {5, 0, 0, 0}, {6, 0, 1, 0}, {0, 0, 0, 0}, {9, 0, 0, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.state);
        raw.IN_STATE = static_cast<std::uint16_t>(c.state);
        PlotVIDEOBarGraph();
        EXPECT_EQ(intOf(pPA, MAIN_IN0_LED), c.in0);
        EXPECT_EQ(intOf(pPA, MAIN_IN1_LED), c.in1);
        EXPECT_EQ(intOf(pPA, MAIN_BTN_LED), c.button) << "the button has its own lamp";
        EXPECT_EQ(GetCtrlLabel(pPA, MAIN_IN1_LED), "IN1");
    }

    // Without the housing button state 4 changes nothing.
    raw.IN_STATE = 3;
    PlotVIDEOBarGraph();
    pset.Hardware_Mode = 0;
    raw.IN_STATE = 4;
    PlotVIDEOBarGraph();
    EXPECT_EQ(intOf(pPA, MAIN_IN0_LED), 1);
    EXPECT_EQ(intOf(pPA, MAIN_IN1_LED), 1);
    EXPECT_EQ(intOf(pPA, MAIN_BTN_LED), 0);
}

TEST_F(FrameDisplayTest, InternalTriggerLampAndAnalogValueByMode)
{
    pset.Int_Trigger_Mode = 1;
    pset.Trigger_Pixel = 300;
    raw.DARK_PIXELS = 301;
    PlotVIDEOBarGraph();
    EXPECT_EQ(intOf(pPA, MAIN_TRIG_LED), 1);
    EXPECT_EQ(GetCtrlBackColor(pPA, MAIN_DARK_PIXELS), 0xC0C0C0);
    raw.DARK_PIXELS = 300;
    PlotVIDEOBarGraph();
    EXPECT_EQ(intOf(pPA, MAIN_TRIG_LED), 0);
    EXPECT_EQ(GetCtrlBackColor(pPA, MAIN_DARK_PIXELS), 0xE0E0E0);

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
    EXPECT_DOUBLE_EQ(doubleOf(pPA, MAIN_ANALOG_VALUE), 7.5);
    EXPECT_DOUBLE_EQ(doubleOf(pPA, MAIN_ANALOG_MIN), 6.0);
    mm_flag = 0;
}

TEST_F(FrameDisplayTest, ToleranceColoursAndDisplays)
{
    pset.Tolerance_Mode = 0;
    pset.Upper_Tolerance = 100;
    pset.Lower_Tolerance = 50;
    raw.SETPOINT = 1000;
    raw.M_VALUE = 1100;
    raw.M_VAL_um = 5500;
    PlotVIDEOBarGraph();
    EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_MVALUE), 0x008000) << "on the upper limit is inside";
    EXPECT_DOUBLE_EQ(doubleOf(pPA, MAIN_MVAL_MM), 5.5);
    EXPECT_DOUBLE_EQ(doubleOf(pPara1, PARA1_TEACH_MM), 5.0);
    EXPECT_DOUBLE_EQ(doubleOf(pPA, MAIN_LOWER_TOL_MM), 0.25);
    raw.M_VALUE = 1101;
    PlotVIDEOBarGraph();
    EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_MVALUE), 0xFF0000);
    EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_MVAL_MM), 0xFF0000);

    // The sensor's own tolerance replaces both, and the teach field follows the sensor.
    pset.Tolerance_Mode = 10;
    raw.AUTO_TOL = 120;
    raw.M_VALUE = 880;
    PlotVIDEOBarGraph();
    EXPECT_EQ(intOf(pPara1, PARA1_UPPER_TOL), 120);
    EXPECT_EQ(intOf(pPara1, PARA1_LOWER_TOL), 120);
    EXPECT_EQ(intOf(pPara1, PARA1_TEACH_VALUE), 1000);
    EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_MVALUE), 0x008000);
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
    EXPECT_EQ(cursorX(1), 1200);
    EXPECT_EQ(cursorX(2), 200);
    EXPECT_EQ(cursorX(3), 3900);
    std::vector<Box> boxes = rects();
    ASSERT_EQ(boxes.size(), 3u) << "the edge region and two bands for a width";
    EXPECT_EQ(boxes[0].x1, 1000);
    EXPECT_EQ(boxes[0].x2, 1400);
    EXPECT_EQ(boxes[0].y1, 0.5);
    EXPECT_EQ(boxes[1].x1, 1200 - 200 - 10);
    EXPECT_EQ(boxes[1].x2, 1200 - 200 + 5);
    EXPECT_EQ(boxes[2].x1, 1200 + 200 - 5);
    EXPECT_EQ(boxes[2].x2, 1200 + 200 + 10);
    EXPECT_EQ(boxes[2].y2, 0.5);

    // A width without edges: no band; the position falls back to pixel 1, then pixB.
    pixB = 64;
    raw.EDGES = 0;
    raw.E_LEFT = 0;
    PlotVIDEOBarGraph();
    EXPECT_TRUE(rects().empty());
    EXPECT_EQ(cursorX(1), 64);

    // One edge: the object lies on the side the side values name.
    raw.EDGES = 1;
    raw.E_LEFT = 900;
    raw.SIDE_VALUE_1 = 0;
    raw.SIDE_VALUE_2 = 1;
    pset.Eval_Mode = 0;
    PlotVIDEOBarGraph();
    boxes = rects();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].x1, 900);
    EXPECT_EQ(boxes[0].x2, 4096);
    EXPECT_EQ(boxes[1].x1, 390) << "one band: set point minus lower tolerance";
    EXPECT_EQ(boxes[1].x2, 420);
    raw.SIDE_VALUE_1 = 2;
    PlotVIDEOBarGraph();
    EXPECT_EQ(rects()[0].x1, 1);
    EXPECT_EQ(rects()[0].x2, 900);
}

TEST_F(FrameDisplayTest, ToleranceBandLimitsAtTheLineEnds)
{
    ToleranceBand band = ToleranceBandOf(1, 2, 0, 5, 30, 20, 4096);
    ASSERT_EQ(band.count, 1);
    EXPECT_EQ(band.range[0].from, 1) << "below 0 starts at 1";
    EXPECT_EQ(band.range[0].to, 35);
    band = ToleranceBandOf(0, 2, 0, 4090, 30, 20, 4096);
    EXPECT_EQ(band.range[0].to, 4096);
    band = ToleranceBandOf(2, 2, 10, 40, 30, 20, 4096);
    ASSERT_EQ(band.count, 2);
    EXPECT_EQ(band.range[0].from, 1);
    EXPECT_EQ(band.range[1].to, 10 + 20 + 15) << "the second band is not limited";
}

TEST_F(FrameDisplayTest, CalibrationPageAndRegulatedSlidersFollowTheFrame)
{
    SetCtrlVal(pCal1, CAL1_ACTIVATE, 0);
    SetCtrlVal(pCal1, CAL1_CUR_PIXEL, 7);
    PlotVIDEOBarGraph();
    EXPECT_EQ(intOf(pCal1, CAL1_CUR_PIXEL), 7);
    SetCtrlVal(pCal1, CAL1_ACTIVATE, 1);
    PlotVIDEOBarGraph();
    EXPECT_EQ(intOf(pCal1, CAL1_CUR_PIXEL), 1400);

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
    MeasurementRecord r{};
    r.SETPOINT = 512;
    r.M_VALUE = 300;
    RollPoint p = ComputeRollPoint(r, pixelsInput(0, 100, 100));
    EXPECT_EQ(p.zoomBottom, 200) << "312 moved to the value minus 100";
    EXPECT_EQ(p.zoomTop, 712);
    EXPECT_EQ(p.values[0], 612);
    EXPECT_EQ(p.values[1], 412);

    r.M_VALUE = 560;
    p = ComputeRollPoint(r, pixelsInput(0, 10, 10));
    EXPECT_EQ(p.zoomBottom, 472);
    EXPECT_EQ(p.zoomTop, 620) << "beyond s + 40: value + 60";

    r.SETPOINT = 20;
    r.M_VALUE = 20;
    p = ComputeRollPoint(r, pixelsInput(0, 10, 10));
    EXPECT_EQ(p.zoomBottom, 1) << "-20 limited to 1";
    EXPECT_EQ(p.values[1], 10);

    // The sensor's tolerance sets both sides.
    r.SETPOINT = 512;
    r.M_VALUE = 512;
    r.AUTO_TOL = 50;
    p = ComputeRollPoint(r, pixelsInput(5, 0, 0));
    EXPECT_EQ(p.zoomBottom, 412);
    EXPECT_EQ(p.zoomTop, 612);
    EXPECT_EQ(p.values[0], 562);
    EXPECT_EQ(p.upperTolerance, 50);

    r.SETPOINT = 1020;
    r.M_VALUE = 1023;
    p = ComputeRollPoint(r, pixelsInput(0, 100, 100));
    EXPECT_EQ(p.zoomTop, 1023);
    EXPECT_EQ(p.values[0], 1023) << "upper limit at most N - 1";
}

TEST(RollPoint, MillimetresScaleValuesAndRoundTheWindowOutwards)
{
    MeasurementRecord r{};
    r.SETPOINT = 512;
    r.M_VALUE = 512;
    RollInputs in = pixelsInput(0, 50, 50);
    in.millimetres = true;
    const RollPoint p = ComputeRollPoint(r, in);
    EXPECT_EQ(p.zoomBottom, 2) << "412 px = 2.06 mm, truncated";
    EXPECT_EQ(p.zoomTop, 4) << "612 px = 3.06 mm, rounded up";
    EXPECT_DOUBLE_EQ(p.values[3], 2.56);
    EXPECT_EQ(p.fullTop, 6);
}

TEST(RollPoint, AnalogTracesByMode)
{
    MeasurementRecord r{};
    r.SETPOINT = 500;
    r.M_VALUE = 510;
    r.MAX_VALUE = 530;
    r.MIN_VALUE = 1023;
    struct Case {
        int mode;
        double b, a;
    } cases[] = {{0, 510, 510}, {1, 510, 530}, {2, 1, 510}, {3, 1023, 530}, {4, 1023, 1}, {7, 1023, 1}};
    for (const Case &c : cases) {
        RollInputs in = pixelsInput(0, 10, 10);
        in.analogMode = c.mode;
        const RollPoint p = ComputeRollPoint(r, in);
        EXPECT_EQ(p.values[4], c.b) << c.mode;
        EXPECT_EQ(p.values[5], c.a) << c.mode;
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
    EXPECT_EQ(arrayNORM[6 * 99 + 3], 503);
    EXPECT_EQ(arrayNORM[6 * 98 + 3], 502);
    EXPECT_EQ(arrayNORM[6 * 97 + 3], 501);
    EXPECT_EQ(arrayNORM[6 * 96 + 3], 0) << "older points are zero until filled";
    EXPECT_EQ(arrayNORM[6 * 99 + 0], 612);
    std::vector<double> trace;
    ASSERT_EQ(GetGraphPlotY(pPA, MAIN_ROLL_GRAPH, 3, &trace), 0);
    ASSERT_EQ(trace.size(), 101u);
    EXPECT_EQ(trace.back(), 503);

    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS), std::make_pair(0.0, 1024.0));
    SetCtrlVal(pPA, MAIN_ZOOM, 1);
    PlotRAWGraph();
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS), std::make_pair(312.0, 712.0));

    mm_flag = 1;
    YSCALE_FAC = 0.005;
    PlotRAWGraph();
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS), std::make_pair(1.0, 4.0));
    EXPECT_DOUBLE_EQ(arrayNORM[6 * 99 + 3], 503 * 0.005);
    mm_flag = 0;
    hwinfo.pixelCount = 4096;
}

// ---- Main panel controls -------------------------------------------------------------

using MainControlsTest = FrameDisplayTest;

TEST_F(MainControlsTest, EvaluationFieldsClampToTheSensorsLimits)
{
    pixB = 10;
    pixE = 2000;
    const auto commit = [&](int control, int v) {
        commitValue(pPA, control, v);
        return intOf(pPA, control);
    };
    EXPECT_EQ(commit(MAIN_EDGE_LEFT, 3), 10);
    EXPECT_EQ(pset.Eval_Begin, 10);
    EXPECT_EQ(cursorX(2), 10);
    EXPECT_EQ(commit(MAIN_EDGE_LEFT, 2500), 1999);
    EXPECT_EQ(pset.Eval_Begin, 1999);
    EXPECT_EQ(commit(MAIN_EDGE_LEFT, 500), 500);
    EXPECT_EQ(cursorX(2), 500);
    EXPECT_EQ(pset.Eval_Begin, 1999) << "a value inside reaches the set with the next panel read";

    EXPECT_EQ(commit(MAIN_EDGE_RIGHT, 3000), 2000);
    EXPECT_EQ(pset.Eval_End, 2000);
    EXPECT_EQ(commit(MAIN_EDGE_RIGHT, 5), 11);
    EXPECT_EQ(pset.Eval_End, 11);
    EXPECT_EQ(cursorX(3), 11);
}

TEST_F(MainControlsTest, HelpTextsOpenBesideTheirControls)
{
    struct Case {
        int control;
        const char *start;
    } cases[] = {{MAIN_RUN, "RUN-BUTTON:\n"},       {MAIN_STOP, "STOP-BUTTON:\n"},
                 {MAIN_VIDEO, "VIDEO-BUTTON:\n"},   {MAIN_RESET, "RESET-BUTTON:\n"},
                 {MAIN_MM_SWITCH, "MM/PIXEL SWITCH:\n"}, {MAIN_ZOOM, "ZOOM-TOGGLE-BUTTON:\n"},
                 {MAIN_ROLL_GRAPH, "ROLL-GRAPH-WINDOW:\n"}, {MAIN_VIDEO_GRAPH, "VIDEO-GRAPH-WINDOW:\n"}};
    DisplayPanel(pPA);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.start);
        HidePanel(pPH);
        SimulateEvent(pPA, c.control, EVENT_RIGHT_CLICK);
        EXPECT_TRUE(IsPanelVisible(pPH));
        const std::vector<std::string> lines = GetTextBoxLines(pPH, HELP_TEXT);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0] + "\n", c.start);
        Rect r;
        GetCtrlBoundingRect(pPA, c.control, &r);
        EXPECT_EQ(helpPosition(), helpPositionFor(r.top + 25, r.left + r.width + 5));
    }
    Rect r;
    SimulateEvent(pPA, MAIN_EDGE_LEFT, EVENT_RIGHT_CLICK);
    GetCtrlBoundingRect(pPA, MAIN_EDGE_LEFT, &r);
    EXPECT_EQ(helpPosition(), helpPositionFor(r.top, r.left + r.width));
    SimulateEvent(pPA, MAIN_EDGE_RIGHT, EVENT_RIGHT_CLICK);
    GetCtrlBoundingRect(pPA, MAIN_EDGE_RIGHT, &r);
    EXPECT_EQ(helpPosition(), helpPositionFor(r.top, r.left - r.width - 200));
    EXPECT_EQ(GetTextBoxLines(pPH, HELP_TEXT)[0], "E-END:");
}

TEST_F(MainControlsTest, MillimetreSwitchRescalesAndRedrawsOnlyWhenIdle)
{
    MAXRANGE_MM = 20.48;
    PRECISION = 2;
    changeValue(pPA, MAIN_MM_SWITCH, 1);
    EXPECT_EQ(mm_flag, 1);
    EXPECT_EQ(xARRAY, xArray_mm);
    EXPECT_EQ(axisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS).second, 21);
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS), std::make_pair(1.0, 21.0));
    EXPECT_EQ(GetCtrlString(pPA, MAIN_AXIS_CAPTION), "Linear Image Sensor [mm]");
    EXPECT_EQ(GetCtrlPrecision(pPA, MAIN_ANALOG_MAX), 2);
    EXPECT_EQ(GetNumGraphPlots(pPA, MAIN_VIDEO_GRAPH), 2) << "idle: the curve is redrawn";

    DeleteGraphPlots(pPA, MAIN_VIDEO_GRAPH);
    stop_flag = 0;
    changeValue(pPA, MAIN_MM_SWITCH, 0);
    stop_flag = 1;
    EXPECT_EQ(mm_flag, 0);
    EXPECT_EQ(xARRAY, xArray_pi);
    EXPECT_EQ(GetCtrlString(pPA, MAIN_AXIS_CAPTION), "Linear Image Sensor [pixel]");
    EXPECT_EQ(GetCtrlPrecision(pPA, MAIN_ANALOG_VALUE), 0);
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS).second, ADCMAX);
    EXPECT_EQ(GetNumGraphPlots(pPA, MAIN_VIDEO_GRAPH), 0) << "a running loop redraws it itself";
}

TEST_F(MainControlsTest, ComparisonToggleFillsThresholdsOnlyWhenSwitchedOn)
{
    ADCMAX = 1024;
    pset.Video_Thd_Fix = 40;
    pset.Video_Thd_Auto = 33;
    thdArrayDYN[7] = 5;
    changeValue(pPA, MAIN_COMPARE, 1);
    EXPECT_EQ(thdArray[0], 409);
    EXPECT_EQ(thdArrayDYN[7], 337);
    pset.Video_Thd_Fix = 10;
    changeValue(pPA, MAIN_COMPARE, 0);
    EXPECT_EQ(thdArray[255], 409) << "switching off leaves the curves";
    ADCMAX = 255;

    std::uint16_t video[kCurvePoints] = {};
    std::uint16_t threshold[kCurvePoints];
    std::fill(threshold, threshold + kCurvePoints, 409);
    video[0] = 410;
    video[1] = 409;
    video[2] = 1023;
    CompareWithThreshold(video, threshold, 1024);
    EXPECT_EQ(video[0], 1023);
    EXPECT_EQ(video[1], 0);
    EXPECT_EQ(video[2], 1023);
}

TEST_F(MainControlsTest, AnalogGroupShowsAndHidesOnDoubleClick)
{
    SetCtrlVisible(pPA, MAIN_ANALOG_LABEL, false);
    ASSERT_EQ(deco_flag, 0);
    for (int id : {MAIN_ANALOG_VALUE, MAIN_ANALOG_MAX, MAIN_ANALOG_MIN, MAIN_RESET})
        EXPECT_FALSE(IsCtrlVisible(pPA, id)) << "hidden from the start, as deco_flag says";
    SimulateEvent(pPA, MAIN_DECO_ANALOG, EVENT_LEFT_DOUBLE_CLICK);
    EXPECT_EQ(deco_flag, 1);
    for (int id : {MAIN_ANALOG_VALUE, MAIN_ANALOG_MAX, MAIN_ANALOG_MIN, MAIN_RESET})
        EXPECT_TRUE(IsCtrlVisible(pPA, id));
    EXPECT_TRUE(IsCtrlVisible(pPA, MAIN_ANALOG_LABEL));
    SimulateEvent(pPA, MAIN_DECO_ANALOG, EVENT_LEFT_DOUBLE_CLICK);
    EXPECT_EQ(deco_flag, 0);
    for (int id : {MAIN_ANALOG_VALUE, MAIN_ANALOG_MAX, MAIN_ANALOG_MIN, MAIN_RESET})
        EXPECT_FALSE(IsCtrlVisible(pPA, id));
    EXPECT_TRUE(IsCtrlVisible(pPA, MAIN_ANALOG_LABEL));
}

TEST_F(MainControlsTest, StopAndVideoButtonsWithoutALoop)
{
    stop_flag = 0;
    SimulateEvent(pPA, MAIN_STOP, EVENT_LEFT_CLICK);
    EXPECT_EQ(stop_flag, 1);
    stop_flag = 0;
    SimulateEvent(pPA, MAIN_STOP, EVENT_KEYPRESS);
    EXPECT_EQ(stop_flag, 1);
    stop_flag = -1;
    SetCtrlDimmed(pPA, MAIN_RUN, true);
    SimulateEvent(pPA, MAIN_STOP, EVENT_COMMIT);
    EXPECT_EQ(stop_flag, 1);
    EXPECT_FALSE(IsCtrlDimmed(pPA, MAIN_RUN));
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "Data-Transfer Stopped!");

    SetCtrlVal(pPA, MAIN_MM_SWITCH, 0);
    SimulateEvent(pPA, MAIN_VIDEO, EVENT_LEFT_CLICK);
    EXPECT_EQ(axisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS), std::make_pair(1.0, 4096.0));
    EXPECT_EQ(axisRange(pPA, MAIN_VIDEO_GRAPH, YAXIS), std::make_pair(1.0, static_cast<double>(ADCMAX)));
    EXPECT_EQ(GetCtrlString(pPA, MAIN_AXIS_CAPTION), "Linear Image Sensor [pixel]");
}

// The Run loop paints where it has time for it: while it paces the repaints nothing is
// painted behind its back, a stalled loop is still painted, and its last state is painted
// when it ends.
class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

TEST_F(FrameDisplayTest, LoopPacesTheRepaintsAndAStalledLoopIsStillPainted)
{
    PaintCounter window;
    window.resize(40, 40);
    detail::InstallRepaintThrottle(&window);
    window.show();
    DelayWithEventProcessing(0.05);
    int painted = window.paints;
    window.update();
    DelayWithEventProcessing(0.05);
    ASSERT_EQ(window.paints, painted + 1) << "unpaced, a change is painted within the screen's interval";
    {
        PacedRepaints paced;
        painted = window.paints;
        window.update();
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 5; ++i)
            ProcessPendingEvents();
        if (clock.elapsed() < 90) {
            EXPECT_EQ(window.paints, painted) << "held for the loop";
        }
        DelayWithEventProcessing(0.02);
        RepaintIfDue();
        EXPECT_EQ(window.paints, painted + 1);

        window.update(); // the loop stalls: the slow timer paints
        DelayWithEventProcessing(0.3);
        EXPECT_EQ(window.paints, painted + 2);

        window.update();
        ProcessPendingEvents();
    }
    EXPECT_EQ(window.paints, painted + 3) << "the state the loop left is painted when it ends";
    DelayWithEventProcessing(0.15);
    EXPECT_EQ(window.paints, painted + 3) << "and only once";
}

} // namespace
