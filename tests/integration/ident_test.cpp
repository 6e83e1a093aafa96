// SPDX-License-Identifier: GPL-3.0-or-later
// Identification of the sensor behind a freshly opened link, against the simulator set
// up as each kind of device: every row of the failure table, and every model served.

#include "app/shell.h"
#include "calib/calrec.h"
#include "link/hwinfo.h"
#include "link/ident.h"
#include "link_ui/ident_page.h"
#include "params/pset.h"
#include "params_ui/mapping.h"
#include "support/integration_helpers.h"
#include "support/sim_fixture.h"

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

class IdentTest : public SimFixture {
protected:
    int identify(const std::vector<std::string> &options, const std::string &controlBefore = "")
    {
        startSimOverTcp(options);
        if (HasFatalFailure())
            return -99;
        if (!controlBefore.empty()) {
            EXPECT_EQ(sim.command(controlBefore), "ok");
        }
        return InitDataExchange();
    }
    // Back to a freshly started program, for the next row of a table.
    void restart()
    {
        CloseLinkAndPanels();
        ASSERT_EQ(LoadAllPanels(), 0);
        InitVars();
        popups->shown.clear();
    }

    // Whether every exchange button is dimmed (or every one released).
    static bool exchangeButtonsAll(bool dimmed)
    {
        return AllDimmed({{pPA, MAIN_RUN},
                          {pPA, MAIN_GET},
                          {pPA, MAIN_SEND},
                          {pPA, MAIN_VIDEO},
                          {pPA, MAIN_RESET},
                          {pPara1, PARA1_TEACH}},
                         dimmed);
    }
};

TEST_F(IdentTest, ServedSensorIsIdentifiedAndItsParametersRead)
{
    // A firmware text of all 72 bytes, without a terminator, in millimetre units.
    const std::string text = "K-VOR-MQ.V4.06 20-CL " + std::string(72 - 21, 'X');
    SetCtrlVal(pPA, MAIN_MM_SWITCH, 1);
    SetCtrlVal(pPara2, PARA2_THD_TARGET, 1);
    SetCtrlDimmed(pPara2, PARA2_THD_TARGET, true);
    DimmButtons(1); // as a refused sensor connected before leaves them
    ASSERT_EQ(1, identify({"--serial", "40000", "--firmware", text}));
    EXPECT_EQ(std::tuple(err_flag, hwinfo.serialNo, exchangeButtonsAll(false)), std::tuple(0, 40000, true));
    EXPECT_EQ(MainStatus(), "K-VOR-MQ.V4   20-CL");
    EXPECT_EQ(std::string(szVersion), "K-VOR-MQ.V4   20-CL");
    EXPECT_EQ(std::string(szFirmwareVersion), text) << "all 72 bytes kept";
    EXPECT_EQ(GetCtrlTooltip(pPA, MAIN_STATUS), text) << "the status line's tooltip";
    // The serial number is shown unsigned, above 32767 too.
    const auto lines = LogLines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(std::vector(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"K-VOR-MQ.V4   20-CL", "Serial-No:40000", ""}));
    // The calibration header and the parameter set were read.
    EXPECT_EQ(sim.orders(), (std::vector<int>{5, 7, 10, 24, 2}));
    EXPECT_EQ(cal.HW_TYPE, 517318);
    EXPECT_EQ(cal.SER_NO, 40000);
    EXPECT_EQ(DSLOPE_UM, 5.0);
    EXPECT_EQ(intOf(pCal2, CAL2_SERNO), 40000) << "the serial number field";
    // The threshold is saved to RAM unless chosen otherwise.
    EXPECT_EQ(std::tuple(intOf(pPara1, PARA1_TEACH_VALUE), intOf(pPara2, PARA2_THD_TARGET),
                         IsCtrlDimmed(pPara2, PARA2_THD_TARGET)),
              std::tuple(pset.Teach_Value, 0, false))
        << "teach value control, threshold target (0 = RAM), target dimmed";
    // The graphs are scaled in millimetres.
    EXPECT_EQ(mm_flag, 1);
    EXPECT_EQ(xAxisArray(), "xArray_mm");
    EXPECT_EQ(GetCtrlString(pPA, MAIN_AXIS_CAPTION), "Linear-image-sensor [mm]");
    EXPECT_EQ(GetCtrlPrecision(pPA, MAIN_ANALOG_VALUE), PRECISION);
    EXPECT_EQ(axisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS), std::make_pair(0.0, MAXRANGE_MM)) << "video x axis";
    EXPECT_EQ(axisRange(pPA, MAIN_ROLL_GRAPH, YAXIS).second, std::ceil(MAXRANGE_MM)) << "roll y axis top";
}

TEST_F(IdentTest, EachStepAndEachFamilyEndTheIdentificationWithItsText)
{
    const std::string kHardware = "Incompatible hardware detected!\n";
    const std::string kHjw = "Nordal-Metrik HJW-TOOL firmware-version detected!\n";
    const std::vector<int> kFirmware = {5, 7}, kHardwareInfo = {5, 7, 10}, kAll = {5, 7, 10, 24, 2};
    const struct {
        std::vector<std::string> options;
        const char *control; // a fault aimed at one step
        int result;
        int errFlag; // -1: not looked at
        const char *status;
        std::vector<int> orders; // the steps that went out
        std::string popup;       // empty: none; ending in a line break: the status line follows
        int dimmed;              // the exchange buttons; -1: not looked at
        // clang-format off
    } cases[] = {
        {{"--fault", "silent"}, "", 0, 1, "read error - not sync byte 0x55!", {5}, "", 1},
        {{"--firmware-length", "40"}, "", 0, -1, "Timeout/Error reading firmware-info!", kFirmware, "", -1},
        {{}, "fault silent order 10", 0, 1, "Error reading HARDWARE-info!", kHardwareInfo, "", -1},
        // The header and the parameters stay as they were; the sensor stays usable.
        {{}, "fault error-1 order 24", -1, 0, "Error reading Xflash-Data", {5, 7, 10, 24}, "", 0},
        {{"--firmware", "K-VOR-NX.V4.06 A B"}, "", 1, 1, "Please use K-VOR-NX-Vista software version!", kFirmware,
         kHardware, 1},
        {{"--firmware", "K-VOR-PZ.V4.06 A B"}, "", 1, 1, "Please use K-VOR-PZ-Vista software version!", kFirmware,
         kHardware, 1},
        {{"--firmware", "HJW12.V4.06 A B"}, "", 1, 1, "Please use HJW-TOOL-V4.x software!", kFirmware, kHjw, 0},
        {{"--firmware", "QUARVIN.V4.06 A B"}, "", 1, 1, "Please use QUARVIN-Vista software version!", kFirmware,
         kHardware, 1},
        // A text without "." is token 1 whole; the rest are empty. Not usable, and no message.
        {{"--firmware", "ACME"}, "", 1, 1, "ACME.   ", kFirmware, "", 1},
        {{"--firmware", "K-VOR-VUE.V4.05 X Y"}, "", 1, 0, "K-VOR-VUE.V4   X", kAll, "", 0},
        {{"--firmware-no", "409"}, "", 1, 0, "K-VOR-MQ.V4   20-CL", kAll, "", 0},
        {{"--firmware-no", "400"}, "", 1, 0, "K-VOR-MQ.V4   20-CL", kAll, "", 0},
        {{"--firmware-no", "410"}, "", 0, 1, "Please use K-VOR-MQ-Vista Version newer than V4.0 !", kHardwareInfo,
         "Incompatible or newer firmware detected!\nPlease use K-VOR-MQ-Vista software version newer than V4.09 !",
         1},
        {{"--firmware-no", "399"}, "", 0, 1, "Please use K-VOR-MQ-Vista Version 3.xx !", kHardwareInfo,
         "Incompatible firmware detected!\nPlease use K-VOR-MQ-Vista software version 3.xx !", 1},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status);
        const int result = identify(c.options, c.control);
        EXPECT_EQ(std::tuple(result, MainStatus(), sim.orders()),
                  std::tuple(c.result, std::string(c.status), c.orders));
        if (c.errFlag >= 0) {
            EXPECT_EQ(err_flag, c.errFlag);
        }
        if (c.dimmed >= 0) {
            EXPECT_TRUE(exchangeButtonsAll(c.dimmed == 1));
        }
        if (c.popup.empty()) {
            EXPECT_TRUE(popups->shown.empty());
        } else {
            ASSERT_EQ(popups->shown.size(), 1u);
            EXPECT_EQ(popups->shown[0].title, "Attention !!!");
            EXPECT_EQ(popups->shown[0].text, c.popup.back() == '\n' ? c.popup + c.status : c.popup);
        }
        if (c.result == 1 && !c.popup.empty()) {
            // The refusal's line, then the short version as the log text.
            const auto lines = LogLines();
            ASSERT_GE(lines.size(), 2u);
            EXPECT_EQ(std::vector(lines.end() - 2, lines.end()), (std::vector<std::string>{c.status, szVersion}));
        } else if (c.result == 1) {
            EXPECT_STREQ(szVersion, c.status);
        }
        if (c.orders.size() == 1) {
            // No echo: the connection page shows why.
            EXPECT_EQ(std::tuple(activeTab(), IsCtrlDimmed(pConn, CONN_ACCEPT), GetCtrlTextColor(pPA, MAIN_STATUS)),
                      std::tuple(5, true, VAL_RED));
        }
        if (c.result == -1) {
            EXPECT_EQ(cal.SER_NO, 0);
        }
        ASSERT_NO_FATAL_FAILURE(restart());
    }
}

TEST_F(IdentTest, EveryModelOfTheServedFamilySetsItsConstants)
{
    const struct {
        std::uint32_t code;
        std::uint16_t hwtype;
        double minItime;
        const char *title;
        const char *resolution;
    } models[] = {
        {517422, 1, 1.4, "-------- K-VOR-MQ-10-CL    --------", "10"},
        {517311, 2, 1.5, "-------- K-VOR-MQ    --------", "10"},
        {517465, 1, 1.4, "-------- K-VOR-MQ-14-CL    --------", "14"},
        {517318, 1, 1.4, "-------- K-VOR-MQ-20-CL    --------", "20"},
        {517312, 2, 1.5, "-------- K-VOR-MQ-20    --------", "20"},
        {517204, 1, 1.4, "-------- K-VOR-MQ-30-CL    --------", "30"},
        {517449, 2, 1.5, "-------- K-VOR-MQ-30    --------", "30"},
        {517437, 1, 1.4, "-------- K-VOR-MQ-40-CL    --------", "40"},
        {517314, 2, 1.5, "-------- K-VOR-MQ-40    --------", "40"},
    };
    for (const auto &m : models) {
        SCOPED_TRACE(m.code);
        ASSERT_EQ(1, identify({"--hardware-type", std::to_string(m.code), "--pixel-count", "2048", "--adc-code", "256",
                               "--firmware-no", "403"}));
        EXPECT_EQ(HWTYPE, m.hwtype);
        EXPECT_EQ(MIN_ITIME, m.minItime);
        EXPECT_EQ(PRECISION, 2);
        EXPECT_EQ(pixE, 2048);
        EXPECT_EQ(GetCtrlPrecision(pPara1, PARA1_TEACH_MM), 2) << "set point in mm";
        EXPECT_EQ(GetCtrlPrecision(pPA, MAIN_UPPER_TOL_MM), 2) << "upper tolerance in mm";
        // Scaling with the slope read from the sensor's parameter set, over pixels 0..255 * 8.
        EXPECT_DOUBLE_EQ(MAXRANGE_MM, 2040.0 * pset.um_Slope / 16384000.0);
        const auto description = GetTextBoxLines(pCalib, CALIB_HW_DESC);
        ASSERT_EQ(description.size(), 4u);
        EXPECT_EQ(description[0], m.title);
        EXPECT_EQ(description[1], std::string("resolution\t\t\t\t= +/- ") + m.resolution + "\xB5m");
        EXPECT_EQ(description[3], std::string("measuring-range\t\t= ") + m.resolution + "mm");
        // Models with an operating button offer only two hardware modes; the sensor's own
        // value is still shown, under its usual name.
        const bool button = m.hwtype == 1;
        EXPECT_TRUE(AllDimmed({{pPara3, PARA3_HW_MODE}, {pPara1, PARA1_OUTPUT_MODE}, {pPA, MAIN_BTN_LED}}, !button));
        if (button) {
            EXPECT_EQ(FindListItem(pPara3, PARA3_HW_MODE, "DISABLE BTN"), 0) << "first in the list";
            EXPECT_GT(FindListItem(pPara3, PARA3_HW_MODE, "ENABLE BTN"), 0);
            EXPECT_EQ(FindListItem(pPara3, PARA3_HW_MODE, "ENABLE POTI"), -1) << "no potentiometer with a button";
            EXPECT_EQ(intOf(pPara3, PARA3_HW_MODE), pset.Hardware_Mode) << "the hardware mode ring";
        }
        // Firmware 4.03 has no receiver operating modes.
        EXPECT_TRUE(IsCtrlDimmed(pPara3, PARA3_OP_MODE));
        ASSERT_NO_FATAL_FAILURE(restart());
    }
}

TEST_F(IdentTest, UnlistedHardwareTypeOfTheFamilyKeepsWhatWasThere)
{
    ResetTextBox(pCalib, CALIB_HW_DESC, "earlier\n");
    HWTYPE = 7;
    PRECISION = 1;
    ASSERT_EQ(1, identify({"--hardware-type", "123456", "--firmware-no", "404"}));
    EXPECT_EQ(HWTYPE, 7) << "kept";
    EXPECT_EQ(PRECISION, 1) << "kept";
    EXPECT_EQ(MIN_ITIME, 1.4);
    EXPECT_FALSE(IsCtrlDimmed(pPara3, PARA3_OP_MODE));
    EXPECT_EQ(GetTextBoxLines(pCalib, CALIB_HW_DESC), std::vector<std::string>{"earlier"});
}

TEST_F(IdentTest, PixelCountsAndVideoResolution)
{
    const struct {
        const char *pixels, *adc, *receiver;
        int count, step, adcmax;
        // clang-format off
    } cases[] = {
        {"100", "1024", "736214", 256, 1, 1024},   {"1000", "1024", "736214", 1024, 4, 1024},
        {"16384", "256", "736214", 16384, 64, 256}, {"512", "512", "736214", 512, 2, 1024},
        {"512", "512", "736213", 512, 2, 256},     {"512", "1024", "736213", 512, 2, 1024},
        {"512", "512", "736215", 512, 2, 1024},    {"512", "256", "103", 512, 2, 256},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.pixels) + "/" + c.adc + "/" + c.receiver);
        ASSERT_EQ(1, identify({"--pixel-count", c.pixels, "--adc-code", c.adc, "--receiver-type", c.receiver}));
        EXPECT_EQ(hwinfo.pixelCount, c.count);
        EXPECT_EQ(xArray_pi[10], 10.0 * c.step) << "the pixel of video point 10";
        EXPECT_EQ(ADCMAX, c.adcmax);
        EXPECT_EQ(pixE, c.count) << "the last pixel";

        ASSERT_NO_FATAL_FAILURE(restart());
    }
    // An unknown receiver: no description and the plain constants, whatever was there.
    HWTYPE = 7;
    PRECISION = 1;
    ASSERT_EQ(1, identify({"--receiver-type", "999"}));
    const std::string blanks(25, ' ');
    const auto description = GetTextBoxLines(pCalib, CALIB_HW_DESC);
    ASSERT_EQ(description.size(), 4u);
    // Line 1 is the resolution line that showing the parameters writes.
    EXPECT_EQ(std::tuple(description[0], description[2], description[3]),
              std::tuple("No information avialable!", blanks, blanks));
    EXPECT_EQ(std::tuple(HWTYPE, PRECISION, ADCMAX), std::tuple(0, 2, 1024));
}

TEST(ShortVersion, SplitsAtDotsAndBlanksSkippingLeadingDelimiters)
{
    EXPECT_EQ(ShortFirmwareVersion("A.B.C D E"), "A.B   D");
    // Leading delimiters are skipped, as the standard tokenizer does.
    EXPECT_EQ(ShortFirmwareVersion("..A.B C D"), "A.B C D   ");
    EXPECT_EQ(ShortFirmwareVersion("A.B. C D"), "A.B   D");
    EXPECT_EQ(ShortFirmwareVersion(""), ".   ");
}

} // namespace
