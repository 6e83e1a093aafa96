// The parameter set on the panel: what is shown reads back unchanged, and the exchange
// buttons follow DimmButtons.

#include "app/state.h"
#include "calib/calrec.h"
#include "link/hwinfo.h"
#include "params/mapping.h"
#include "params/pset.h"
#include "support/app_fixture.h"
#include "panels/resource.h"
#include "ui/runtime.h"

#include <cstring>

using namespace ui;
using namespace panels;

namespace {

class MappingTest : public AppFixture {};

TEST_F(MappingTest, ShownSetReadsBackUnchanged)
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
    EXPECT_EQ(pset.um_Slope, 12346u);
    EXPECT_EQ(pset.Average, 3);
    EXPECT_DOUBLE_EQ(YSCALE_FAC, 12346 / 16384000.0);
}

TEST_F(MappingTest, ThresholdSliderFollowsTheThresholdMode)
{
    SetParameterDefaults(pset);
    pset.Video_Thd_Mode = 1;
    pset.Video_Thd_Fix = 20;
    pset.Video_Thd_Auto = 80;
    SetPanelValues();
    int slider = 0;
    GetCtrlVal(pPara2, PARA2_VTHD, &slider);
    EXPECT_EQ(slider, 80);
    EXPECT_FALSE(IsCtrlDimmed(pPara2, PARA2_SAVE_THD));
    SetCtrlVal(pPara2, PARA2_VTHD, 90);
    GetPanelValues();
    EXPECT_EQ(pset.Video_Thd_Auto, 90);
    EXPECT_EQ(pset.Video_Thd_Fix, 20);
}

TEST_F(MappingTest, DimmButtonsTreatsAnythingAboveOneAsOne)
{
    DimmButtons(7);
    for (int id : {MAIN_SEND, MAIN_GET, MAIN_VIDEO, MAIN_RUN, MAIN_RESET})
        EXPECT_TRUE(IsCtrlDimmed(pPA, id)) << id;
    EXPECT_TRUE(IsCtrlDimmed(pPara1, PARA1_TEACH));
    EXPECT_FALSE(IsCtrlDimmed(pPA, MAIN_STOP));
    EXPECT_EQ(GetCtrlTextColor(pConn, CONN_STATUS), VAL_RED);
    DimmButtons(0);
    for (int id : {MAIN_SEND, MAIN_GET, MAIN_VIDEO, MAIN_RUN, MAIN_RESET})
        EXPECT_FALSE(IsCtrlDimmed(pPA, id)) << id;
    EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_STATUS), VAL_BLACK);
}

TEST_F(MappingTest, MillimetreScalingWithTheStartUpPositions)
{
    SetParameterDefaults(pset);
    SetCtrlVal(pPA, MAIN_MM_SWITCH, 1);
    SetPanelValues();
    EXPECT_DOUBLE_EQ(MAXRANGE_MM, 5.1);
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS), std::make_pair(1.0, 6.0));
    EXPECT_EQ(xARRAY, xArray_mm);
    double mm = 0;
    GetCtrlVal(pPara1, PARA1_TEACH_MM, &mm);
    EXPECT_DOUBLE_EQ(mm, 2.56);
}

} // namespace
