// The parameter set on the panel and its controls driven as the widgets drive them: what is
// shown reads back unchanged, clamps, dimming, threshold redraws, the storage-target group,
// deferred requests, and parameter files through the GET and SEND buttons.

#include "app/state.h"
#include "app/target_buttons.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "link/hwinfo.h"
#include "params/mapping.h"
#include "params/pset.h"
#include "params/transfer.h"
#include "support/app_fixture.h"
#include "panels/resource.h"
#include "ui/widget_access.h"

#include <QTest>

#include <cstring>
#include <tuple>
#include <string>

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
        DisplayPanel(pPA);  // the help pop-up is a child: visible only with its panel
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
    const struct {
        std::uint16_t teach;
        int control;
        int entered, shown;
    } clamps[] = {{1000, PARA1_UPPER_TOL, 50, 23}, {1000, PARA1_UPPER_TOL, 24, 24}, {1023, PARA1_UPPER_TOL, 5, 0},
                  {1024, PARA1_UPPER_TOL, 5, 0},   {40, PARA1_LOWER_TOL, 41, 39},   {40, PARA1_LOWER_TOL, 40, 40},
                  {0, PARA1_LOWER_TOL, 3, 0}};
    for (const auto &c : clamps) {
        SCOPED_TRACE(testing::Message() << "teach " << c.teach << " entered " << c.entered);
        pset.Teach_Value = c.teach;
        enter(pPara1, c.control, c.entered);
        EXPECT_EQ(intOf(pPara1, c.control), c.shown);
        const double mm = c.shown * 81920 / 16384000.0;
        if (c.control == PARA1_UPPER_TOL) {
            EXPECT_DOUBLE_EQ(doubleOf(pPA, MAIN_UPPER_TOL_MM), mm);
            EXPECT_DOUBLE_EQ(doubleOf(pPara1, PARA1_UPPER_TOL_MM), mm);
        } else {
            EXPECT_DOUBLE_EQ(doubleOf(pPA, MAIN_LOWER_TOL_MM), mm);
        }
    }

    enter(pPara1, PARA1_TEACH_VALUE, 0);
    EXPECT_EQ(intOf(pPara1, PARA1_TEACH_VALUE), 1);
    enter(pPara1, PARA1_TEACH_VALUE, 5000);
    EXPECT_EQ(intOf(pPara1, PARA1_TEACH_VALUE), 1023);
    EXPECT_DOUBLE_EQ(doubleOf(pPara1, PARA1_TEACH_MM), 1023 * 81920 / 16384000.0);
    enter(pPara1, PARA1_TEACH_VALUE, 512);
    EXPECT_EQ(doubleOf(pPara1, PARA1_TEACH_MM), 2.56) << "exactly, with the slope of 5 um per pixel";
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
        EXPECT_DOUBLE_EQ(doubleOf(pPara2, PARA2_EXPOSURE), shown) << mode;
    }
    // The operating mode ring moves the slider's minimum, and a time below it up to it.
    for (auto [mode, shortest, time, minimum] : {std::tuple{2, 1.5, 0.2, 0.4}, {1, 1.4, 0.5, 0.7}}) {
        MIN_ITIME = shortest;
        SetCtrlMin(pPara2, PARA2_EXPOSURE, 0.0);
        SetCtrlVal(pPara2, PARA2_EXPOSURE, time);
        changeValue(pPara3, PARA3_OP_MODE, mode);
        EXPECT_DOUBLE_EQ(GetCtrlMin(pPara2, PARA2_EXPOSURE), minimum) << mode;
        EXPECT_DOUBLE_EQ(doubleOf(pPara2, PARA2_EXPOSURE), minimum) << mode;
    }
}

TEST_F(ParaControlsTest, OperatingModeRewritesTheResolutionLineOfKnownTypes)
{
    ResetTextBox(pCalib, CALIB_HW_DESC, "model\nresolution old\nrange\n");
    hwinfo.hardwareType = 517465;
    changeValue(pPara3, PARA3_OP_MODE, 2);
    EXPECT_EQ(GetTextBoxLines(pCalib, CALIB_HW_DESC).at(1), "resolution\t\t\t\t= +/- 28\xB5m");
    hwinfo.hardwareType = 123;
    changeValue(pPara3, PARA3_OP_MODE, 0);
    EXPECT_EQ(GetTextBoxLines(pCalib, CALIB_HW_DESC).at(1), "resolution\t\t\t\t= +/- 28\xB5m");
}

TEST_F(ParaControlsTest, ModeRingsDimAndShowTheirDependents)
{
    // Regulated power or exposure: the regulated one is dimmed.
    for (auto [mode, power, exposure] : {std::tuple{1, true, false}, {2, false, true}, {0, false, false}}) {
        commitValue(pPara2, PARA2_POWER_MODE, mode);
        EXPECT_EQ(IsCtrlDimmed(pPara2, PARA2_POWER), power) << mode;
        EXPECT_EQ(IsCtrlDimmed(pPara2, PARA2_EXPOSURE), exposure) << mode;
    }

    for (int mode : {1, 3}) {
        commitValue(pPara3, PARA3_HW_MODE, mode);
        EXPECT_TRUE(IsCtrlDimmed(pPara1, PARA1_UPPER_TOL)) << mode;
        EXPECT_TRUE(IsCtrlDimmed(pPara1, PARA1_LOWER_TOL)) << mode;
    }
    commitValue(pPara3, PARA3_HW_MODE, 2);
    EXPECT_FALSE(IsCtrlDimmed(pPara1, PARA1_UPPER_TOL));

    // Back to fixed tolerances: the fields show the set's values again.
    pset.Upper_Tolerance = 77;
    pset.Lower_Tolerance = 66;
    commitValue(pPara1, PARA1_TOL_MODE, 5);
    EXPECT_TRUE(IsCtrlDimmed(pPara1, PARA1_LOWER_TOL));
    SetCtrlVal(pPara1, PARA1_UPPER_TOL, 3);
    commitValue(pPara1, PARA1_TOL_MODE, 0);
    EXPECT_FALSE(IsCtrlDimmed(pPara1, PARA1_LOWER_TOL));
    EXPECT_EQ(intOf(pPara1, PARA1_UPPER_TOL), 77);
    EXPECT_EQ(intOf(pPara1, PARA1_LOWER_TOL), 66);

    // The internal trigger and the analog output show their displays on the main panel.
    for (auto [mode, on] : {std::pair{2, true}, {0, false}}) {
        changeValue(pPara3, PARA3_INTRG_MODE, mode);
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
    EXPECT_TRUE(IsCtrlDimmed(pPara2, PARA2_SAVE_THD));
    EXPECT_EQ(intOf(pPara2, PARA2_VTHD), 40);
    EXPECT_EQ(thdArray[200], 255 * 40 / 100);

    commitValue(pPara2, PARA2_VTHD, 50);
    EXPECT_EQ(thdArray[0], 255 * 50 / 100);
    EXPECT_EQ(GetNumGraphPlots(pPA, MAIN_VIDEO_GRAPH), 2);
    // The entry beside the slider sets it exactly, and follows it; above 100 % is named.
    changeValue(pPara2, PARA2_VTHD_ENTRY, 63);
    EXPECT_EQ(intOf(pPara2, PARA2_VTHD_ENTRY), 63) << "what is being typed stays";
    commitValue(pPara2, PARA2_VTHD_ENTRY, 57);
    EXPECT_EQ(intOf(pPara2, PARA2_VTHD), 57);
    EXPECT_EQ(thdArray[0], 255 * 57 / 100);
    commitValue(pPara2, PARA2_VTHD, 120);
    EXPECT_EQ(intOf(pPara2, PARA2_VTHD_ENTRY), 120);
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "V-THD above 100 %: the fixed threshold leaves no edge to find!");

    commitValue(pPara2, PARA2_VTHD_MODE, 1);
    EXPECT_FALSE(IsCtrlDimmed(pPara2, PARA2_SAVE_THD));
    EXPECT_EQ(intOf(pPara2, PARA2_VTHD), 70);
    EXPECT_EQ(intOf(pPara2, PARA2_VTHD_ENTRY), 70);

    commitValue(pPara2, PARA2_VTHD, 50);
    EXPECT_EQ(thdArrayDYN[201], 201 * 50 / 100);
    EXPECT_EQ(thdArrayEE[0], 33);
    EXPECT_EQ(GetNumGraphPlots(pPA, MAIN_VIDEO_GRAPH), 3);  // video, stored and new threshold
    EXPECT_TRUE(IsCtrlVisible(pPA, MAIN_VIDEO_GRAPH));
    EXPECT_FALSE(IsCtrlVisible(pPA, MAIN_ROLL_GRAPH));
    EXPECT_EQ(pset.Video_Thd_Auto, 70) << "the slider does not change the set";

    // In AUTO a press on the slider ends a running loop; in FIXED it does not.
    stop_flag = 0;
    SimulateEvent(pPara2, PARA2_VTHD, EVENT_LEFT_CLICK);
    EXPECT_EQ(stop_flag, 1);
    SetCtrlVal(pPara2, PARA2_VTHD_MODE, 0);
    stop_flag = 0;
    SimulateEvent(pPara2, PARA2_VTHD, EVENT_LEFT_CLICK);
    EXPECT_EQ(stop_flag, 0);
    stop_flag = 1;
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
    EXPECT_EQ(thdArrayEE[5], 11);
    EXPECT_EQ(pset.Video_Thd_Auto, 70);
}

TEST_F(ParaControlsTest, StorageTargetGroupPressedAlwaysHasOneButtonOn)
{
    auto state = [&] {
        return std::to_string(intOf(pPA, MAIN_RAM)) + std::to_string(intOf(pPA, MAIN_EEPROM)) +
               std::to_string(intOf(pPA, MAIN_FILE)) + " " + std::to_string(target);
    };
    EXPECT_EQ(state(), "100 1");
    auto click = [&](int id) { QTest::mouseClick(ControlWidget(pPA, id), Qt::LeftButton); };
    click(MAIN_EEPROM);
    EXPECT_EQ(state(), "010 2");
    click(MAIN_FILE);
    EXPECT_EQ(state(), "001 3");
    click(MAIN_FILE);  // switched off: back to RAM
    EXPECT_EQ(state(), "100 1");
    click(MAIN_RAM);  // RAM cannot be switched off
    EXPECT_EQ(state(), "100 1");
    click(MAIN_EEPROM);
    click(MAIN_EEPROM);
    EXPECT_EQ(state(), "100 1");
}

TEST_F(ParaControlsTest, RequestsDuringALoopOnlySetTheirFlags)
{
    stop_flag = 0;  // as while a loop runs: nothing may be sent now (there is no link)
    GetPanelValues();  // SEND reads the panel first, whatever happens next
    const ParameterSet before = pset;
    SimulateEvent(pPA, MAIN_GET, EVENT_COMMIT);
    SimulateEvent(pPA, MAIN_SEND, EVENT_COMMIT);
    SimulateEvent(pPara1, PARA1_TEACH, EVENT_COMMIT);
    EXPECT_EQ(std::tuple(get_flag, send_flag, teach_flag), std::tuple(1, 1, 1));
    EXPECT_EQ(0, std::memcmp(&before, &pset, sizeof pset));
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
    pset.Average = 3;  // not among the ring's items
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
    pset.um_Slope = 12346;  // not a round number of µm per pixel at any display precision
    SetPanelValues();
    const ParameterSet shown = pset;

    std::memset(&pset, 0, sizeof pset);
    pset.Free_Para = 0xABCD;  // no control carries it
    pset.Video_Thd_Auto = 66;  // the slider carries the fixed threshold in this mode
    GetPanelValues();
    EXPECT_EQ(0, std::memcmp(&shown, &pset, sizeof pset));
    EXPECT_EQ(std::tuple(pset.um_Slope, pset.Average), std::tuple(12346u, 3));
    EXPECT_DOUBLE_EQ(YSCALE_FAC, 12346 / 16384000.0);
}

TEST_F(ParaControlsTest, ThresholdSliderFollowsTheThresholdMode)
{
    pset.Video_Thd_Mode = 1;
    pset.Video_Thd_Fix = 20;
    pset.Video_Thd_Auto = 80;
    SetPanelValues();
    EXPECT_EQ(intOf(pPara2, PARA2_VTHD), 80);
    EXPECT_FALSE(IsCtrlDimmed(pPara2, PARA2_SAVE_THD));
    SetCtrlVal(pPara2, PARA2_VTHD, 90);
    GetPanelValues();
    EXPECT_EQ(pset.Video_Thd_Auto, 90);
    EXPECT_EQ(pset.Video_Thd_Fix, 20);
}

// Which buttons a refusal dims: ConnectionTest.RefusedFamilyLeavesStopRecorderAndAcceptEnabled.
TEST_F(ParaControlsTest, DimmButtonsColoursTheStatusAndTreatsAnythingAboveOneAsOne)
{
    DimmButtons(7);
    EXPECT_TRUE(IsCtrlDimmed(pPA, MAIN_RUN));
    EXPECT_EQ(GetCtrlTextColor(pConn, CONN_STATUS), VAL_RED);
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
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS), std::make_pair(1.0, 6.0));
    EXPECT_EQ(xARRAY, xArray_mm);
    EXPECT_DOUBLE_EQ(doubleOf(pPara1, PARA1_TEACH_MM), 2.56);
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
    EXPECT_EQ(std::tuple(pset.Teach_Value, pset.Power, intOf(pPara1, PARA1_TEACH_VALUE), intOf(pPara2, PARA2_POWER)),
              std::tuple(321, 654, 321, 654));
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

    SimulateEvent(pPA, MAIN_SEND, EVENT_COMMIT);  // cancelled
    EXPECT_EQ(status(), "Parameter saving to file failed!");
    SimulateEvent(pPA, MAIN_GET, EVENT_COMMIT);   // cancelled
    EXPECT_EQ(status(), "Parameter not read from file!");
}

TEST_F(ParaFileButtonsTest, FailuresAreReportedAndLeaveTheSet)
{
    popups->filePaths = {programDir + "/missing/p.ini"};
    SimulateEvent(pPA, MAIN_SEND, EVENT_COMMIT);
    EXPECT_EQ(status(), "Parameter saving to file failed!");
    EXPECT_EQ(popups->shown.back().kind, "message");
    EXPECT_NE(popups->shown.back().text.find("could not be written"), std::string::npos);

    pset.Power = 777;
    SetPanelValues();
    const ParameterSet before = pset;
    WriteBytes(programDir + "/garbage.ini", "\x01\x02 not an ini file\n[OTHER]\nx=1\n");
    for (auto [name, message] :
         {std::pair{"absent.ini", "could not be read"}, {"garbage.ini", "holds no parameters"}}) {
        SCOPED_TRACE(name);
        popups->filePaths = {programDir + "/" + name};
        SimulateEvent(pPA, MAIN_GET, EVENT_COMMIT);
        EXPECT_EQ(status(), "Parameter not read from file!");
        EXPECT_NE(popups->shown.back().text.find(message), std::string::npos);
        EXPECT_EQ(0, std::memcmp(&before, &pset, sizeof pset));
        EXPECT_EQ(intOf(pPara2, PARA2_POWER), 777);
    }
}

TEST_F(ParaFileButtonsTest, HandWrittenOlderFileIsShownNormalised)
{
    WriteBytes(file, "; written by hand\n[PARA]\nPower = 5000\nCCD-OP-Mode = 1\nCCD-Operation-Mode = 2\n"
                     "Ext.Trigger-Mode = 4\nEval-End = 0\n");
    pset.um_Slope = 98304;  // 6.0 µm per pixel, absent from the file
    popups->filePaths = {file};
    SimulateEvent(pPA, MAIN_GET, EVENT_COMMIT);
    EXPECT_EQ(std::tuple(pset.Power, pset.Ext_Trigger_Mode, pset.Eval_End, pset.um_Slope),
              std::tuple(500, 4, 256, 98304u));
    EXPECT_EQ(std::pair(intOf(pPara3, PARA3_OP_MODE), intOf(pPA, MAIN_EDGE_RIGHT)), std::pair(2, 256));
    EXPECT_DOUBLE_EQ(doubleOf(pCal1, CAL1_SLOPE), 6.0);
}

} // namespace
