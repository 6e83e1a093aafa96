// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter set on the panel and its controls driven as the widgets drive them: what is
// shown reads back unchanged, clamps, dimming, threshold redraws, the storage-target group,
// deferred requests, and parameter files through the GET and SEND buttons.

#include "base/control_ids.h"
#include "base/state.h"
#include "base/statusline.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "link/hwinfo.h"
#include "main_ui/target_buttons.h"
#include "params/pset.h"
#include "params_ui/mapping.h"
#include "params_ui/transfer.h"
#include "support/app_fixture.h"
#include "support/byte_lines.h"
#include "ui/widget_access.h"

#include <QTest>

#include <cstring>
#include <string>
#include <tuple>

using namespace ui;
using namespace panels;
using namespace std::string_literals;

namespace {

class ParaControlsTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        hwinfo.pixelCount = 1024;
        MIN_ITIME = 1.5;
        SetParameterDefaults(pset);
        SetPanelValues();
        DisplayPanel(pPA); // the help pop-up is a child: visible only with its panel
    }
    // Types a value into a field as the operator would: the value changes, then commits.
    void enter(int panel, int control, double value)
    {
        changeValue(panel, control, value);
        SimulateEvent(panel, control, EVENT_COMMIT);
    }
};

TEST_F(ParaControlsTest, ToleranceAndTeachClampsNeverWrap)
{
    // A tolerance keeps set point +/- tolerance on the line of 1024 pixels, rather than wrap.
    for (auto [teach, control, entered, shown] : {std::tuple{1000, PARA1_UPPER_TOL, 50, 23},
                                                  {1000, PARA1_UPPER_TOL, 24, 24},
                                                  {1023, PARA1_UPPER_TOL, 5, 0},
                                                  {1024, PARA1_UPPER_TOL, 5, 0},
                                                  {40, PARA1_LOWER_TOL, 41, 39},
                                                  {40, PARA1_LOWER_TOL, 40, 40},
                                                  {0, PARA1_LOWER_TOL, 3, 0}}) {
        SCOPED_TRACE(testing::Message() << "teach " << teach << " entered " << entered);
        pset.Teach_Value = static_cast<std::uint16_t>(teach);
        enter(pPara1, control, entered);
        // In millimetres on the main panel and beside the field.
        const bool upper = control == PARA1_UPPER_TOL;
        const double mm = shown * 81920 / 16384000.0;
        EXPECT_EQ(std::tuple(intOf(pPara1, control), doubleOf(pPA, upper ? MAIN_UPPER_TOL_MM : MAIN_LOWER_TOL_MM),
                             doubleOf(pPara1, upper ? PARA1_UPPER_TOL_MM : PARA1_LOWER_TOL_MM)),
                  std::tuple(shown, mm, mm));
    }

    // The millimetres exactly, with the slope of 5 um per pixel.
    for (auto [entered, shown, mm] : {std::tuple{0, 1, 0.005}, {5000, 1023, 5.115}, {512, 512, 2.56}}) {
        enter(pPara1, PARA1_TEACH_VALUE, entered);
        EXPECT_EQ(std::pair(intOf(pPara1, PARA1_TEACH_VALUE), doubleOf(pPara1, PARA1_TEACH_MM)), std::pair(shown, mm))
            << "entered " << entered;
    }
    EXPECT_EQ(pset.Teach_Value, 0) << "the teach field does not change the set";
}

TEST_F(ParaControlsTest, ExposureLimitsFollowTheOperatingMode)
{
    // The slider lifts a time below its mode's shortest (half of it in mode 1, not rounded).
    // Its own minimum goes first: else the widget, not the callback, would lift the value.
    for (auto [mode, entered, shown] : {std::tuple{0, 1.0, 1.5}, {1, 0.5, 0.75}}) {
        SetCtrlVal(pPara3, PARA3_OP_MODE, mode);
        SetCtrlMin(pPara2, PARA2_EXPOSURE, 0.0);
        changeValue(pPara2, PARA2_EXPOSURE, entered);
        EXPECT_DOUBLE_EQ(doubleOf(pPara2, PARA2_EXPOSURE), shown) << "operating mode " << mode;
    }
    // The operating mode ring moves the slider's minimum, and a time below it up to it.
    for (auto [mode, shortest, time, minimum] : {std::tuple{2, 1.5, 0.2, 0.4}, {1, 1.4, 0.5, 0.7}}) {
        MIN_ITIME = shortest;
        SetCtrlMin(pPara2, PARA2_EXPOSURE, 0.0);
        SetCtrlVal(pPara2, PARA2_EXPOSURE, time);
        changeValue(pPara3, PARA3_OP_MODE, mode);
        EXPECT_DOUBLE_EQ(GetCtrlMin(pPara2, PARA2_EXPOSURE), minimum) << "slider minimum, operating mode " << mode;
        EXPECT_DOUBLE_EQ(doubleOf(pPara2, PARA2_EXPOSURE), minimum) << "exposure, operating mode " << mode;
    }
}

TEST_F(ParaControlsTest, OperatingModeRewritesTheResolutionLineOfKnownTypes)
{
    ResetTextBox(pCalib, CALIB_HW_DESC, "model\nresolution old\nrange\n");
    for (auto [type, mode] : {std::pair{517465, 2}, {123, 0}}) { // an unknown type leaves the line
        hwinfo.hardwareType = type;
        changeValue(pPara3, PARA3_OP_MODE, mode);
        EXPECT_EQ(GetTextBoxLines(pCalib, CALIB_HW_DESC).at(1), "resolution\t\t\t\t= +/- 28\xB5m")
            << "hardware type " << type;
    }
}

TEST_F(ParaControlsTest, ModeRingsDimAndShowTheirDependents)
{
    // Regulated power or exposure, the button's hardware modes and the sensor's tolerance dim
    // what they replace: power, exposure, upper and lower tolerance (d: dimmed).
    const auto dimmed = [] {
        std::string out;
        for (auto [panel, id] : {std::pair{pPara2, PARA2_POWER},
                                 {pPara2, PARA2_EXPOSURE},
                                 {pPara1, PARA1_UPPER_TOL},
                                 {pPara1, PARA1_LOWER_TOL}})
            out += IsCtrlDimmed(panel, id) ? 'd' : '-';
        return out;
    };
    for (auto [panel, ring, mode, shown] : {std::tuple{pPara3, PARA3_HW_MODE, 2, "----"},
                                            {pPara2, PARA2_POWER_MODE, 1, "d---"},
                                            {pPara2, PARA2_POWER_MODE, 2, "-d--"},
                                            {pPara2, PARA2_POWER_MODE, 0, "----"},
                                            {pPara3, PARA3_HW_MODE, 1, "--dd"},
                                            {pPara3, PARA3_HW_MODE, 2, "----"},
                                            {pPara3, PARA3_HW_MODE, 3, "--dd"},
                                            {pPara3, PARA3_HW_MODE, 2, "----"},
                                            {pPara1, PARA1_TOL_MODE, 5, "--dd"}}) {
        commitValue(panel, ring, mode);
        EXPECT_EQ(dimmed(), shown) << "ring " << ring << " mode " << mode;
    }
    // Back to fixed tolerances: the fields show the set's values again.
    pset.Upper_Tolerance = 77;
    pset.Lower_Tolerance = 66;
    SetCtrlVal(pPara1, PARA1_UPPER_TOL, 3);
    commitValue(pPara1, PARA1_TOL_MODE, 0);
    EXPECT_EQ(std::tuple(dimmed(), intOf(pPara1, PARA1_UPPER_TOL), intOf(pPara1, PARA1_LOWER_TOL)),
              std::tuple("----"s, 77, 66));

    // The internal trigger and the analog output show their displays on the main panel, set
    // by their rings or with a set put on the panel.
    for (auto [fromSet, mode, on] :
         {std::tuple{false, 2, true}, {false, 0, false}, {true, 2, true}, {true, 0, false}}) {
        if (fromSet) {
            pset.Int_Trigger_Mode = static_cast<std::uint16_t>(mode);
            SetPanelValues();
        } else {
            changeValue(pPara3, PARA3_INTRG_MODE, mode);
        }
        SCOPED_TRACE(fromSet ? "from the set" : "from the ring");
        EXPECT_EQ(IsCtrlDimmed(pPara3, PARA3_TRG_PIX), !on) << mode;
        for (int id : {MAIN_DARK_PIXELS, MAIN_TRIG_LED, MAIN_TRIG_LABEL})
            EXPECT_EQ(IsCtrlVisible(pPA, id), on) << "trigger mode " << mode << " control " << id;
        commitValue(pPara1, PARA1_ANALOG_MODE, on ? 3 : 0);
        for (int id : {MAIN_ANALOG_VALUE, MAIN_ANALOG_MAX, MAIN_ANALOG_MIN, MAIN_RESET})
            EXPECT_EQ(IsCtrlVisible(pPA, id), on) << "analog mode " << (on ? 3 : 0) << " control " << id;
    }
}

TEST_F(ParaControlsTest, ThresholdModeAndSliderRedrawTheVideoCurve)
{
    for (int i = 0; i < kCurvePoints; ++i) {
        adbuf[i] = static_cast<std::uint16_t>(i);
        thdArrayEE[i] = 33;
    }
    pset.Video_Thd_Fix = 40;
    pset.Video_Thd_Auto = 70;
    commitValue(pPara2, PARA2_VTHD_MODE, 0);
    EXPECT_EQ(std::tuple(IsCtrlDimmed(pPara2, PARA2_SAVE_THD), intOf(pPara2, PARA2_VTHD), thdArray[200]),
              std::tuple(true, 40, 255 * 40 / 100));

    commitValue(pPara2, PARA2_VTHD, 50);
    EXPECT_EQ(std::tuple(thdArray[0], GetNumGraphPlots(pPA, MAIN_VIDEO_GRAPH)), std::tuple(255 * 50 / 100, 2));
    // The entry beside the slider sets it exactly, and follows it; above 100 % is named.
    changeValue(pPara2, PARA2_VTHD_ENTRY, 63);
    EXPECT_EQ(intOf(pPara2, PARA2_VTHD_ENTRY), 63) << "what is being typed stays";
    commitValue(pPara2, PARA2_VTHD_ENTRY, 57);
    EXPECT_EQ(std::tuple(intOf(pPara2, PARA2_VTHD), thdArray[0]), std::tuple(57, 255 * 57 / 100));
    commitValue(pPara2, PARA2_VTHD, 120);
    EXPECT_EQ(std::pair(intOf(pPara2, PARA2_VTHD_ENTRY), GetCtrlString(pPA, MAIN_STATUS)),
              std::pair(120, "V-THD above 100 %: the fixed threshold leaves no edge to find!"s));

    commitValue(pPara2, PARA2_VTHD_MODE, 1);
    EXPECT_EQ(std::tuple(IsCtrlDimmed(pPara2, PARA2_SAVE_THD), intOf(pPara2, PARA2_VTHD),
                         intOf(pPara2, PARA2_VTHD_ENTRY)),
              std::tuple(false, 70, 70));

    // The video graph shows with the video, the stored and the new threshold; the slider does
    // not change the set.
    commitValue(pPara2, PARA2_VTHD, 50);
    EXPECT_EQ(thdArrayDYN[201], 201 * 50 / 100) << "the new threshold at 50 %";
    EXPECT_EQ(thdArrayEE[0], 33) << "the stored threshold untouched";
    EXPECT_EQ(GetNumGraphPlots(pPA, MAIN_VIDEO_GRAPH), 3) << "video, stored and new threshold";
    EXPECT_TRUE(IsCtrlVisible(pPA, MAIN_VIDEO_GRAPH));
    EXPECT_FALSE(IsCtrlVisible(pPA, MAIN_ROLL_GRAPH));
    EXPECT_EQ(pset.Video_Thd_Auto, 70) << "the slider changed the set";

    // In AUTO a press on the slider ends a running loop; in FIXED it does not.
    for (auto [mode, stopped] : {std::pair{1, 1}, {0, 0}}) {
        SetCtrlVal(pPara2, PARA2_VTHD_MODE, mode);
        stop_flag = 0;
        SimulateEvent(pPara2, PARA2_VTHD, EVENT_LEFT_CLICK);
        EXPECT_EQ(stop_flag, stopped) << "threshold mode " << mode;
    }
    stop_flag = 1;
}

// The warning on a fixed threshold above 100 % goes with its cause, whichever way the threshold
// comes back within, and the text it covered shows again; no other text is touched.
TEST_F(ParaControlsTest, ThresholdWarningGoesWhenTheThresholdIsBackWithin)
{
    const std::string warning = "V-THD above 100 %: the fixed threshold leaves no edge to find!";
    struct Way {
        const char *name;
        void (*back)();
        bool within;
    };
    const Way ways[] = {
        {"slider back to 80 %", [] { commitValue(pPara2, PARA2_VTHD, 80); }, true},
        {"entry back to 100 %", [] { commitValue(pPara2, PARA2_VTHD_ENTRY, 100); }, true},
        {"AUTO threshold", [] { commitValue(pPara2, PARA2_VTHD_MODE, 1); }, true},
        {"a set with a fixed threshold within",
         [] {
             pset.Video_Thd_Mode = 0;
             pset.Video_Thd_Fix = 40;
             SetPanelValues();
         },
         true},
        {"still above", [] { commitValue(pPara2, PARA2_VTHD, 110); }, false},
    };
    for (const Way &w : ways) {
        SCOPED_TRACE(w.name);
        commitValue(pPara2, PARA2_VTHD_MODE, 0);
        ShowStatusText("Parameter saved to file!");
        commitValue(pPara2, PARA2_VTHD, 120);
        ASSERT_EQ(GetCtrlString(pPA, MAIN_STATUS), warning);
        w.back();
        EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), w.within ? "Parameter saved to file!" : warning);
    }
    ShowStatusText("Transmission successful - Line Ok!");
    commitValue(pPara2, PARA2_VTHD_MODE, 0);
    commitValue(pPara2, PARA2_VTHD, 60);
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "Transmission successful - Line Ok!");
}

TEST_F(ParaControlsTest, DeclinedThresholdSaveChangesNothing)
{
    for (int i = 0; i < kCurvePoints; ++i) {
        thdArrayEE[i] = 11;
        thdArrayDYN[i] = 99;
    }
    pset.Video_Thd_Auto = 70;
    SetCtrlVal(pPara2, PARA2_VTHD_MODE, 1);
    SetCtrlVal(pPara2, PARA2_VTHD, 55);
    popups->confirmAnswers = {0};
    SimulateEvent(pPara2, PARA2_SAVE_THD, EVENT_COMMIT);
    ASSERT_EQ(popups->shown.size(), 1u);
    EXPECT_EQ(popups->said(0), std::pair("ATTENTION!"s, "Light measureing section must be uncovered!"s));
    EXPECT_EQ(std::tuple(thdArrayEE[5], pset.Video_Thd_Auto), std::tuple(11, 70));
}

TEST_F(ParaControlsTest, StorageTargetGroupPressedAlwaysHasOneButtonOn)
{
    auto state = [&] {
        return std::to_string(intOf(pPA, MAIN_RAM)) + std::to_string(intOf(pPA, MAIN_EEPROM)) +
               std::to_string(intOf(pPA, MAIN_FILE)) + " " + std::to_string(target);
    };
    EXPECT_EQ(state(), "100 1");
    // A button switched off goes back to RAM; RAM cannot be switched off.
    const std::pair<int, const char *> clicks[] = {{MAIN_EEPROM, "010 2"}, {MAIN_FILE, "001 3"},
                                                   {MAIN_FILE, "100 1"},   {MAIN_RAM, "100 1"},
                                                   {MAIN_EEPROM, "010 2"}, {MAIN_EEPROM, "100 1"}};
    for (size_t i = 0; i < std::size(clicks); ++i) {
        QTest::mouseClick(ControlWidget(pPA, clicks[i].first), Qt::LeftButton);
        EXPECT_EQ(state(), clicks[i].second) << "click " << i;
    }
}

TEST_F(ParaControlsTest, RequestsDuringALoopOnlySetTheirFlags)
{
    stop_flag = 0;    // as while a loop runs: nothing may be sent now (there is no link)
    GetPanelValues(); // SEND reads the panel first, whatever happens next
    const ParameterSet before = pset;
    SimulateEvent(pPA, MAIN_GET, EVENT_COMMIT);
    SimulateEvent(pPA, MAIN_SEND, EVENT_COMMIT);
    SimulateEvent(pPara1, PARA1_TEACH, EVENT_COMMIT);
    EXPECT_EQ(std::tuple(get_flag, send_flag, teach_flag), std::tuple(1, 1, 1));
    EXPECT_TRUE(SameBytes(pset, before)) << "the set changed";
    stop_flag = 1;
    get_flag = send_flag = teach_flag = 0;
}

TEST_F(ParaControlsTest, SlopeFieldSetsTheNewSlope)
{
    changeValue(pCal1, CAL1_SLOPE, 3.25);
    EXPECT_EQ((std::vector{slopeval, DSLOPE_UM, doubleOf(pCal1, CAL1_NEW_SLOPE)}), (std::vector{3.25, 3.25, 3.25}));
    EXPECT_EQ(pset.um_Slope, 81920u) << "the set takes the slope when the panel is read";
}

TEST_F(ParaControlsTest, EvaluationBarKeepsOneWindowOverTheIdentifiedReceiver)
{
    for (int i = 0; i < 5; ++i)
        SetPanelValues();
    EXPECT_EQ(GetNumGraphRects(pPA, MAIN_BAR_GRAPH), 1);
    EXPECT_EQ(axisRange(pPA, MAIN_BAR_GRAPH, XAXIS), std::make_pair(1.0, 1024.0));
}

TEST_F(ParaControlsTest, ShownSetReadsBackUnchanged)
{
    MIN_ITIME = 1.4;
    hwinfo.pixelCount = 4096;
    SetParameterDefaults(pset);
    pset.Power = 733;
    pset.Background_Mode = 1;
    pset.Polarity = 0;
    pset.Eval_Mode = 2;
    pset.Eval_Begin = 17;
    pset.Eval_End = 3999;
    pset.Teach_Value = 2047;
    pset.Upper_Tolerance = 33;
    pset.Lower_Tolerance = 44;
    pset.Average = 3; // not among the ring's items
    pset.Ext_Trigger_Mode = 5;
    pset.Analog_Mode = 6;
    pset.CCD_OP_Mode = 1;
    pset.Hardware_Mode = 0;
    pset.Video_Thd_Fix = 55;
    pset.Video_Thd_Auto = 66;
    pset.RS_232_Mode = 1;
    pset.RS_232_Baudrate = 2;
    pset.Filter_Type = 5;
    pset.Analog_Zoom_Mode = 2;
    pset.Int_Trigger_Mode = 2;
    pset.Trigger_Pixel = 99;
    pset.Output_Mode = 1;
    pset.Exposure_Time = 2300;
    pset.Free_Para = 0xABCD;
    pset.um_Slope = 12346; // not a round number of µm per pixel at any display precision
    SetPanelValues();
    const ParameterSet shown = pset;

    std::memset(&pset, 0, sizeof pset);
    pset.Free_Para = 0xABCD;  // no control carries it
    pset.Video_Thd_Auto = 66; // the slider carries the fixed threshold in this mode
    GetPanelValues();
    EXPECT_TRUE(SameBytes(pset, shown)) << "the set read back from the controls";
    EXPECT_EQ(std::tuple(pset.um_Slope, pset.Average, YSCALE_FAC), std::tuple(12346u, 3, 12346 / 16384000.0));
}

TEST_F(ParaControlsTest, ThresholdSliderFollowsTheThresholdMode)
{
    pset.Video_Thd_Mode = 1;
    pset.Video_Thd_Fix = 20;
    pset.Video_Thd_Auto = 80;
    SetPanelValues();
    EXPECT_EQ(std::pair(intOf(pPara2, PARA2_VTHD), IsCtrlDimmed(pPara2, PARA2_SAVE_THD)), std::pair(80, false));
    SetCtrlVal(pPara2, PARA2_VTHD, 90);
    GetPanelValues();
    EXPECT_EQ(std::tuple(pset.Video_Thd_Auto, pset.Video_Thd_Fix), std::tuple(90, 20));
}

// Which buttons a refusal dims: ConnectionTest.RefusedFamilyLeavesStopRecorderAndAcceptEnabled.
TEST_F(ParaControlsTest, DimmButtonsColoursTheStatusAndTreatsAnythingAboveOneAsOne)
{
    DimmButtons(7);
    EXPECT_EQ(std::pair(IsCtrlDimmed(pPA, MAIN_RUN), GetCtrlTextColor(pConn, CONN_STATUS)), std::pair(true, VAL_RED));
    DimmButtons(0);
    for (int id : {MAIN_SEND, MAIN_GET, MAIN_VIDEO, MAIN_RUN, MAIN_RESET})
        EXPECT_FALSE(IsCtrlDimmed(pPA, id)) << id;
    EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_STATUS), VAL_BLACK);
}

TEST_F(ParaControlsTest, MillimetreScalingWithTheStartUpPositions)
{
    SetCtrlVal(pPA, MAIN_MM_SWITCH, 1);
    SetPanelValues();
    EXPECT_DOUBLE_EQ(MAXRANGE_MM, 5.1);
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS), std::pair(1.0, 6.0)) << "roll y axis in mm";
    EXPECT_EQ(xAxisArray(), "xArray_mm");
    EXPECT_EQ(doubleOf(pPara1, PARA1_TEACH_MM), 2.56) << "set point in mm";
}

// ---- parameter files through GET and SEND ---------------------------------------------

class ParaFileButtonsTest : public ParaControlsTest {
protected:
    void SetUp() override
    {
        ParaControlsTest::SetUp();
        SelectStorageTarget(DATFILE);
        file = programDir + "/K-VOR-MQpara.ini";
    }
    std::string status() { return GetCtrlString(pPA, MAIN_STATUS); }
    std::string file;
};

TEST_F(ParaFileButtonsTest, SendSavesWhatThePanelShowsAndGetShowsItAgain)
{
    SetCtrlVal(pPara1, PARA1_TEACH_VALUE, 321);
    SetCtrlVal(pPara2, PARA2_POWER, 654);
    popups->filePaths = {file};
    SimulateEvent(pPA, MAIN_SEND, EVENT_LEFT_CLICK);
    EXPECT_EQ(status(), "Transmit parameter-frame ...");
    SimulateEvent(pPA, MAIN_SEND, EVENT_COMMIT);
    EXPECT_EQ(status(), "Parameter saved to file!");
    ASSERT_EQ(popups->shown.size(), 1u);
    EXPECT_EQ(popups->said(0), std::pair("K-VOR-MQ-Series Parameter-File"s, "K-VOR-MQpara.ini"s));
    EXPECT_EQ(std::string(para_pathname), file);

    SetCtrlVal(pPara1, PARA1_TEACH_VALUE, 1);
    SetCtrlVal(pPara2, PARA2_POWER, 2);
    SetParameterDefaults(pset);
    std::snprintf(szStatus, sizeof szStatus, "%s", "before");
    popups->filePaths = {file};
    SimulateEvent(pPA, MAIN_GET, EVENT_COMMIT);
    EXPECT_EQ(pset.Teach_Value, 321);
    EXPECT_EQ(pset.Power, 654);
    EXPECT_EQ(intOf(pPara1, PARA1_TEACH_VALUE), 321) << "the teach value control";
    EXPECT_EQ(intOf(pPara2, PARA2_POWER), 654) << "the power control";
    EXPECT_EQ(status(), "Parameter read from file!") << "not the status of an earlier action";
}

TEST_F(ParaFileButtonsTest, OverwriteIsAskedAndDeclineKeepsTheFile)
{
    WriteBytes(file, "[PARA]\nPower = 1\n");
    popups->filePaths = {file};
    popups->confirmAnswers = {0};
    SimulateEvent(pPA, MAIN_SEND, EVENT_COMMIT);
    EXPECT_EQ(status(), "Parameter not saved to file!");
    ASSERT_EQ(popups->shown.size(), 2u);
    EXPECT_EQ(popups->shown[1].text, "Parameter-File already exists - overwrite ?");
    EXPECT_EQ(ReadBytes(file), "[PARA]\nPower = 1\n");

    popups->filePaths = {file};
    popups->confirmAnswers = {1};
    SimulateEvent(pPA, MAIN_SEND, EVENT_COMMIT);
    EXPECT_EQ(status(), "Parameter saved to file!");

    SimulateEvent(pPA, MAIN_SEND, EVENT_COMMIT); // cancelled
    EXPECT_EQ(status(), "Parameter saving to file failed!");
    SimulateEvent(pPA, MAIN_GET, EVENT_COMMIT); // cancelled
    EXPECT_EQ(status(), "Parameter not read from file!");
}

TEST_F(ParaFileButtonsTest, FailuresAreReportedAndLeaveTheSet)
{
    popups->filePaths = {programDir + "/missing/p.ini"};
    SimulateEvent(pPA, MAIN_SEND, EVENT_COMMIT);
    EXPECT_EQ(std::pair(status(), popups->shown.back().kind),
              std::pair("Parameter saving to file failed!"s, "message"s));
    EXPECT_NE(popups->shown.back().text.find("could not be written"), std::string::npos);

    pset.Power = 777;
    SetPanelValues();
    const ParameterSet before = pset;
    WriteBytes(programDir + "/garbage.ini", "\x01\x02 not an ini file\n[OTHER]\nx=1\n");
    WriteBytes(programDir + "/range.ini", "[PARA]\nPower = 5\nTeach-Value = 70000\n");
    for (auto [name, message] : {std::pair{"absent.ini", "could not be read"},
                                 {"garbage.ini", "holds no parameters"},
                                 {"range.ini", "value out of range: Teach-Value = 70000"}}) {
        SCOPED_TRACE(name);
        popups->filePaths = {programDir + "/" + name};
        SimulateEvent(pPA, MAIN_GET, EVENT_COMMIT);
        EXPECT_NE(popups->shown.back().text.find(message), std::string::npos);
        // The status, the set and the panel unchanged.
        EXPECT_EQ(status(), "Parameter not read from file!");
        EXPECT_TRUE(SameBytes(pset, before)) << "the set changed";
        EXPECT_EQ(intOf(pPara2, PARA2_POWER), 777) << "the power control changed";
    }
}

TEST_F(ParaFileButtonsTest, HandWrittenOlderFileIsShownNormalised)
{
    WriteBytes(file, "; written by hand\n[PARA]\nPower = 5000\nCCD-OP-Mode = 1\nCCD-Operation-Mode = 2\n"
                     "Ext.Trigger-Mode = 4\nEval-End = 0\n");
    pset.um_Slope = 98304; // 6.0 µm per pixel, absent from the file
    popups->filePaths = {file};
    SimulateEvent(pPA, MAIN_GET, EVENT_COMMIT);
    EXPECT_EQ(pset.Power, 500);
    EXPECT_EQ(pset.Ext_Trigger_Mode, 4);
    EXPECT_EQ(pset.Eval_End, 256) << "Eval-End 0 corrected";
    EXPECT_EQ(pset.um_Slope, 98304u) << "absent from the file: kept";

    EXPECT_EQ(std::tuple(intOf(pPara3, PARA3_OP_MODE), intOf(pPA, MAIN_EDGE_RIGHT), doubleOf(pCal1, CAL1_SLOPE)),
              std::tuple(2, 256, 6.0));
}

} // namespace
