// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter set between panel, simulator RAM and EEPROM, and file, driven through
// the buttons; the frames the simulator received for SEND, teach and threshold save.

#include "link/hwinfo.h"
#include "link/ident.h"
#include "link_ui/ident_page.h"
#include "main_ui/target_buttons.h"
#include "params/parafile.h"
#include "params_ui/mapping.h"
#include "params_ui/transfer.h"
#include "platform/system.h"
#include "support/byte_lines.h"
#include "support/integration_helpers.h"
#include "support/reference_frames.h"
#include "support/sim_fixture.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

using namespace ui;
using namespace panels;

namespace {

class TransferTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSimOverTcp());
        ASSERT_EQ(1, InitDataExchange());
    }
};

// Every field away from its default, each within its range so that nothing is corrected on
// the way, and slopes and rings the panel has no item for.
const ParameterSet kUnusualSet{.Power = 733,
                               .Power_Mode = 0,
                               .Background_Mode = 1,
                               .Polarity = 0,
                               .Eval_Mode = 3,
                               .Eval_Begin = 17,
                               .Eval_End = 999,
                               .Teach_Value = 411,
                               .Upper_Tolerance = 33,
                               .Lower_Tolerance = 44,
                               .Average = 3,
                               .Ext_Trigger_Mode = 5,
                               .Analog_Mode = 6,
                               .CCD_OP_Mode = 1,
                               .Hardware_Mode = 2,
                               .Video_Thd_Mode = 0,
                               .Video_Thd_Fix = 55,
                               .Video_Thd_Auto = 66,
                               .RS_232_Mode = 2,
                               .RS_232_Baudrate = 2,
                               .Filter_Type = 5,
                               .Analog_Zoom_Mode = 9,
                               .Int_Trigger_Mode = 2,
                               .Trigger_Pixel = 99,
                               .Output_Mode = 1,
                               .Exposure_Time = 2300,
                               .Tolerance_Mode = 0,
                               .Free_Para = 0xABCD,
                               .um_Slope = 98765};

TEST_F(TransferTest, UnusualSetSurvivesGetPanelSendByteForByte)
{
    pset = kUnusualSet;
    SelectStorageTarget(RAM);
    SetCtrlMin(pPara2, PARA2_EXPOSURE, 0.0);
    SetPanelValues();
    press(pPA, MAIN_SEND);
    EXPECT_EQ(MainStatus(), "Transmission successful - Line Ok!");
    EXPECT_EQ(sim.lastRequestHex(), ReferenceRequest(1, 0, BytesOf(&kUnusualSet, sizeof kUnusualSet)));

    std::memset(&pset, 0, sizeof pset);
    press(pPA, MAIN_GET);
    EXPECT_EQ(MainStatus(), "Parameter-frame received! - Line Ok!");
    EXPECT_TRUE(SameBytes(pset, kUnusualSet)) << "the set read back";

    // and back again: what GET showed, SEND sends unchanged
    press(pPA, MAIN_SEND);
    EXPECT_EQ(sim.lastRequestHex(), ReferenceRequest(1, 0, BytesOf(&kUnusualSet, sizeof kUnusualSet)));
}

TEST_F(TransferTest, ExposureOfTheReceiverModeSurvivesGetAndSend)
{
    // Receiver mode 2 from the EEPROM; the slider starts from the minimum of mode 0 (MIN_ITIME),
    // as after any other set. A file read goes through the same display of the set.
    ASSERT_GT(MIN_ITIME, 0.6);
    for (const auto &[stored, shownMs, sent] : {std::tuple{600, 0.6, 600}, {200, 0.4, 400}}) {
        SCOPED_TRACE(stored);
        SelectStorageTarget(RAM);
        press(pPA, MAIN_GET);
        ASSERT_EQ(pset.CCD_OP_Mode, 0);
        pset.CCD_OP_Mode = 2;
        pset.Exposure_Time = static_cast<std::uint16_t>(stored);
        PushSEND(EEPROM);
        SelectStorageTarget(EEPROM);
        press(pPA, MAIN_GET);
        EXPECT_DOUBLE_EQ(doubleOf(pPara2, PARA2_EXPOSURE), shownMs);
        SelectStorageTarget(RAM);
        press(pPA, MAIN_SEND);
        EXPECT_EQ(pset.Exposure_Time, sent);
        pset.CCD_OP_Mode = 0;
        PushSEND(RAM);
        PushSEND(EEPROM);
    }
}

TEST_F(TransferTest, SetTheSensorCannotUseIsSentOnlyWhenConfirmed)
{
    const struct {
        int panel, control, value;
        const char *named;
    } rows[] = {{pPA, MAIN_EDGE_LEFT, 2000, "E-BEG 2000 > E-END"},
                {pPara1, PARA1_UPPER_TOL, 4000, "TOL-HIGH 4000 >"},
                {pPara1, PARA1_LOWER_TOL, 4000, "TOL-LOW 4000 > TEACH-VALUE"},
                {pCal1, CAL1_SLOPE, 0, "um-SLOPE 0"},
                {pPara2, PARA2_VTHD, 120, "V-THD 120 % > 100 %"}};
    SelectStorageTarget(RAM);
    press(pPA, MAIN_GET);
    const ParameterSet good = pset;
    for (const auto &row : rows) {
        SetPanelValues();
        SetCtrlVal(row.panel, row.control, row.value);
        sim.command("reset-stats");
        popups->confirmAnswers = {0};
        press(pPA, MAIN_SEND);
        EXPECT_TRUE(sim.orders().empty()) << row.named;
        ASSERT_FALSE(popups->shown.empty());
        EXPECT_NE(popups->shown.back().text.find(row.named), std::string::npos) << popups->shown.back().text;
        EXPECT_EQ(MainStatus(), "Parameter-frame not sent!");
        pset = good;
    }
    // Confirmed, it goes out; to a file, declined, nothing is written.
    SetCtrlVal(pPA, MAIN_EDGE_LEFT, 2000);
    popups->confirmAnswers = {1};
    press(pPA, MAIN_SEND);
    EXPECT_EQ(sim.orders(), std::vector<int>{1});
    SelectStorageTarget(DATFILE);
    popups->filePaths = {programDir + "/odd.ini"};
    press(pPA, MAIN_SEND);
    EXPECT_EQ(std::pair(FileExists(programDir + "/odd.ini"), MainStatus()),
              std::pair(false, std::string("Parameter not saved to file!")));
}

TEST_F(TransferTest, GetInAutomaticThresholdModeFetchesTheSensorsProfile)
{
    pset.Video_Thd_Mode = 1;
    PushSEND(RAM);
    PushSEND(EEPROM);
    const std::string file = programDir + "/auto.ini";
    WriteParaToIniFile(&pset, file.c_str());
    const struct {
        const char *name;
        int where, teach;
        std::vector<int> sent;
    } rows[] = {{"RAM", RAM, 0, {2, 9}},
                {"EEPROM", EEPROM, 0, {4, 9}},
                {"RAM for TEACH", RAM, 1, {2}},
                {"file", DATFILE, 0, {}}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        SelectStorageTarget(row.where);
        popups->filePaths = {file};
        teach_flag = row.teach;
        sim.command("reset-stats");
        SimulateEvent(pPA, MAIN_GET, EVENT_COMMIT);
        teach_flag = 0;
        EXPECT_EQ(sim.orders(), row.sent);

        if (row.sent.size() == 2) {
            EXPECT_EQ(sim.lastRequestHex(), ReferenceRequest(9, 1)) << "the threshold curve asked for";
            EXPECT_TRUE(SameBytes(thdArrayEE, vtbuf)) << "the stored threshold curve";
            EXPECT_TRUE(SameBytes(thdArrayDYN, vtbuf)) << "the new threshold curve";
        }
    }
}

TEST_F(TransferTest, EepromKeepsItsOwnSetApartFromRamAndFailuresKeepTheSet)
{
    SelectStorageTarget(RAM);
    press(pPA, MAIN_GET);
    const ParameterSet ram = pset;

    SetCtrlVal(pPara1, PARA1_TEACH_VALUE, 600);
    SetCtrlVal(pPara2, PARA2_POWER, 321);
    SelectStorageTarget(EEPROM);
    press(pPA, MAIN_SEND);
    EXPECT_EQ(std::pair(sim.orders().back(), MainStatus()),
              std::pair(3, std::string("Transmission successful - Line Ok!")));

    SelectStorageTarget(RAM);
    press(pPA, MAIN_GET);
    EXPECT_EQ(std::tuple(sim.orders().back(), pset.Teach_Value, pset.Power), std::tuple(2, ram.Teach_Value, ram.Power))
        << "order, teach value, power: the RAM set untouched by the EEPROM SEND";

    SelectStorageTarget(EEPROM);
    press(pPA, MAIN_GET);
    EXPECT_EQ(sim.orders().back(), 4) << "read the EEPROM set";
    EXPECT_EQ(pset.Teach_Value, 600);
    EXPECT_EQ(pset.Power, 321);
    EXPECT_EQ(intOf(pPara2, PARA2_POWER), 321) << "the power control";

    // Failed exchanges keep the set.
    const ParameterSet before = pset;
    sim.command("fault silent always");
    press(pPA, MAIN_GET);
    EXPECT_EQ(MainStatus(), "Timeout-RS-232...");
    EXPECT_TRUE(SameBytes(pset, before)) << "a failed GET changed the set";
    press(pPA, MAIN_SEND);
    EXPECT_EQ(MainStatus(), "Transmission error [SEND]!");
}

TEST_F(TransferTest, ThresholdSaveToEitherTargetFetchesTheSensorsNewCurve)
{
    // Saved to RAM (the switch's off position) or EEPROM, then the sensor's new curve is fetched.
    SetCtrlVal(pPara2, PARA2_VTHD_MODE, 1);
    SetCtrlVal(pPara2, PARA2_VTHD, 61);
    for (const auto &[toEeprom, order] : {std::pair{0, 13}, {1, 14}}) {
        SCOPED_TRACE(order);
        std::fill(thdArrayEE, thdArrayEE + kCurvePoints, 7);
        std::fill(thdArrayDYN, thdArrayDYN + kCurvePoints, 7);
        SetCtrlVal(pPara2, PARA2_THD_TARGET, toEeprom);
        popups->confirmAnswers = {1};
        sim.command("reset-stats");
        SimulateEvent(pPara2, PARA2_SAVE_THD, EVENT_COMMIT);
        // The stored curve is the sensor's new one.
        EXPECT_EQ(sim.orders(), (std::vector<int>{order, 9})) << "save, then fetch the curve";
        EXPECT_EQ(sim.lastRequestHex(), ReferenceRequest(9, 1));
        EXPECT_EQ(pset.Video_Thd_Auto, 61);
        EXPECT_TRUE(SameBytes(thdArrayEE, vtbuf)) << "the stored threshold curve";

        EXPECT_NE(thdArrayEE[128], 7);
    }
}

} // namespace
