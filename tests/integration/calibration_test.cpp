// SPDX-License-Identifier: GPL-3.0-or-later
// The slope calibration and the calibration service page against the simulator: the
// frames it receives, what it keeps in its XFLASH, and what the pages show.

#include "base/text.h"
#include "calib/calrec.h"
#include "calib_ui/procedure.h"
#include "calib_ui/table_loader.h"
#include "link/transport.h"
#include "link/xflash.h"
#include "params/pset.h"
#include "support/byte_lines.h"
#include "support/integration_helpers.h"
#include "support/reference_frames.h"
#include "support/sim_fixture.h"

#include <QTimer>

#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

class CalibrationTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSimOverTcp({"--reference-um", "10000"}));
        ASSERT_EQ(sim.command("reset-stats"), "ok");
    }
    std::string last() { return sim.lastRequestHex(); }
    // The SAVE order with the slope word of the parameter set.
    static std::string saveRequest() { return ReferenceRequest(12, 2, BytesOf(&pset.um_Slope, 4)); }
    std::vector<int> orders() { return sim.orders(); }
    // Switching on starts the measurement loop; the operator stops it after a few frames.
    void checkBox(int on)
    {
        // The measurement it starts is stopped 300 ms after it runs. A timer armed now could
        // fire during the start order on a loaded machine, before the loop clears stop_flag,
        // and the loop would then never end.
        std::optional<Poll> armStop;
        if (on && stop_flag != 0)
            armStop.emplace(10, [] {
                if (stop_flag != 0)
                    return false;
                QTimer::singleShot(300, [] { stop_flag = 1; });
                return true;
            });
        changeValue(pCal1, CAL1_ACTIVATE, on);
    }
    // True when the simulator's RAM parameter set (bytes 56..59) holds the slope word of ours.
    bool simHoldsOurSlope() { return sim.command("ram").substr(3 + 112, 8) == ToHex(&pset.um_Slope, 4); }
    std::string pageHex(int page) { return sim.command("xflash " + std::to_string(page)).substr(3); }
    // A table file of the entries chosen in the file selection and loaded.
    void loadTable(int entries, int (*value)(int))
    {
        std::string text;
        for (int i = 0; i < entries; ++i)
            text += std::to_string(value(i)) + "\n";
        const std::string path = programDir + "/table.txt";
        std::ofstream(path) << text;
        popups->filePaths.push_back(path);
        SimulateEvent(pCal2, CAL2_LOAD_TABLE, EVENT_COMMIT);
        ASSERT_EQ(cal_file_flag, 1);
        ASSERT_EQ(LoadedTableBytes(), 2 * entries);
    }
    // The loaded table written over its pages: every erase, then the pieces in address order,
    // the last piece going to lastAddress, and each page holding its part.
    void expectTableWritten(int pages, int lastAddress)
    {
        SCOPED_TRACE(std::to_string(pages) + " pages");
        std::vector<int> expected(pages, 0xB4);
        expected.insert(expected.end(), pages, 0xB6);
        EXPECT_EQ(orders(), expected);
        const std::vector<unsigned char> lastPiece(linArray + (pages - 1) * 512, linArray + pages * 512);
        EXPECT_EQ(last(), ReferenceRequest(0xB6, lastAddress, lastPiece));
        for (int page = 2; page < 2 + pages; ++page)
            EXPECT_EQ(pageHex(page), ToHex(linArray + (page - 2) * 512, 512)) << page;
    }
};

TEST_F(CalibrationTest, CalibrationOrderCarriesModeAndSlope)
{
    pset.um_Slope = 0x00012345;
    const struct {
        int mode;
        std::string request;
        const char *status;
        // clang-format off
    } rows[] = {
        {1, ReferenceRequest(12, 1), "START calibration ... -> Ok!"},
        {2, saveRequest(), "SAVE calibration ... -> Ok!"},
        {0, ReferenceRequest(12, 0), "STOP calibration ... -> Ok!"},
        {7, ReferenceRequest(12, 0), "STOP calibration ... -> Ok!"},  // an unknown mode stops
    };
    // clang-format on
    for (const auto &row : rows) {
        SCOPED_TRACE(row.mode);
        EXPECT_EQ(0, ActivateCalibration(row.mode));
        EXPECT_EQ(std::tuple(last(), std::string(szStatus), MainStatus()),
                  std::tuple(row.request, row.status, row.status));
    }
    EXPECT_TRUE(simHoldsOurSlope());

    ASSERT_EQ(sim.command("fault silent"), "ok");
    EXPECT_EQ(-1, ActivateCalibration(1));
    EXPECT_STREQ(szStatus, "Calibration error! - TCP-Server-error!");
    comtype = 0; // the text names the link in use
    EXPECT_EQ(-1, ActivateCalibration(1));
    EXPECT_STREQ(szStatus, "Calibration error! - Timeout RS232-Line!");
    comtype = 1;
}

TEST_F(CalibrationTest, CalibrateAgainstTheReferenceAndSave)
{
    pset.Upper_Tolerance = 200;
    pset.Lower_Tolerance = 100;
    checkBox(1);
    std::vector<int> sent = orders();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(std::pair(sent[0], sent[1]), std::pair(12, 8)) << "the measurement follows the start";
    EXPECT_TRUE(NoneDimmed({{pCal1, CAL1_ACCEPT}, {pCal1, CAL1_SAVE}}));
    // 10 mm on a 20 mm model with 4096 pixels.
    EXPECT_NEAR(doubleOf(pCal1, CAL1_CUR_PIXEL), 2048, 2);
    EXPECT_NEAR(raw.M_VALUE, 2048, 2);

    SetCtrlVal(pCal1, CAL1_REF_SIZE, 10000);
    raw.M_VALUE = 2000;
    press(pCal1, CAL1_ACCEPT);
    EXPECT_EQ(std::pair(slopeval, doubleOf(pCal1, CAL1_NEW_SLOPE)), std::pair(5.0, 5.0));
    // Accept again with another reading: the last one counts, and the slope is truncated.
    raw.M_VALUE = 7000;
    press(pCal1, CAL1_ACCEPT);
    EXPECT_DOUBLE_EQ(slopeval, 10000.0 / 7000.0);

    ASSERT_EQ(sim.command("reset-stats"), "ok");
    SimulateEvent(pCal1, CAL1_SAVE, EVENT_LEFT_CLICK);
    EXPECT_EQ(MainStatus(), "SAVE new calibration value to RAM ...");
    EXPECT_EQ(pset.um_Slope, 23405u) << "1.428571 * 16384 = 23405.71, truncated";
    EXPECT_EQ(std::pair(DSLOPE_UM, doubleOf(pCal1, CAL1_SLOPE)), std::pair(slopeval, slopeval));
    SimulateEvent(pCal1, CAL1_SAVE, EVENT_COMMIT);
    EXPECT_EQ(std::tuple(orders(), last(), simHoldsOurSlope()), std::tuple(std::vector<int>{12}, saveRequest(), true))
        << "SAVE and no STOP";
    EXPECT_EQ(YSCALE_FAC, 23405 / 16384000.0) << "mm per pixel of the saved slope";
    EXPECT_EQ(xArray_mm[255], xArray_pi[255] * YSCALE_FAC) << "the video's millimetre points";
    EXPECT_EQ(doubleOf(pPA, MAIN_UPPER_TOL_MM), 200 * 23405 / 16384000.0) << "upper tolerance in mm";
    EXPECT_EQ(doubleOf(pPara1, PARA1_LOWER_TOL_MM), 100 * 23405 / 16384000.0) << "lower tolerance in mm";
    EXPECT_EQ(std::tuple(doubleOf(pCal1, CAL1_ACTIVATE), AllDimmed({{pCal1, CAL1_ACCEPT}, {pCal1, CAL1_SAVE}}),
                         IsCtrlDimmed(pCal1, CAL1_ACTIVATE)),
              std::tuple(0.0, true, false));
}

TEST_F(CalibrationTest, AcceptAndSaveNeedAReferenceAReadingAndAUsableSlope)
{
    // Accept without a reference or without a reading keeps the candidate slope.
    slopeval = 1.5;
    for (const auto &[reference, reading] : {std::pair{0, 1000}, std::pair{5000, 0}}) {
        SetCtrlVal(pCal1, CAL1_REF_SIZE, reference);
        raw.M_VALUE = static_cast<std::uint16_t>(reading);
        press(pCal1, CAL1_ACCEPT);
        EXPECT_DOUBLE_EQ(slopeval, 1.5);
    }
    EXPECT_TRUE(orders().empty());
    // Save without a slope accepted, or with one beyond the 32-bit word, keeps the slope in use.
    pset.um_Slope = 81920;
    checkBox(1);
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    for (const double candidate : {0.0, 300000.0}) {
        slopeval = candidate;
        press(pCal1, CAL1_SAVE);
        EXPECT_EQ(std::tuple(pset.um_Slope, orders().empty(), MainStatus()),
                  std::tuple(81920u, true, std::string("No valid new slope: ACCEPT a reference first!")));
    }
    EXPECT_EQ(doubleOf(pCal1, CAL1_ACTIVATE), 1) << "the calibration goes on";
}

TEST_F(CalibrationTest, DiscardAndSwitchingOffSendStop)
{
    checkBox(1);
    raw.M_VALUE = 2500;
    SetCtrlVal(pCal1, CAL1_REF_SIZE, 10000);
    press(pCal1, CAL1_ACCEPT);
    pset.um_Slope = 81920;
    DSLOPE_UM = 5.0;
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    SimulateEvent(pCal1, CAL1_DISCARD, EVENT_LEFT_CLICK);
    EXPECT_EQ(MainStatus(), "STOP calibration...");
    SimulateEvent(pCal1, CAL1_DISCARD, EVENT_COMMIT);
    const auto stopOnly = std::pair(std::vector<int>{12}, ReferenceRequest(12, 0));
    EXPECT_EQ(std::pair(orders(), last()), stopOnly);
    EXPECT_EQ(slopeval, 4.0) << "the measured slope stays on show";
    EXPECT_EQ(DSLOPE_UM, 5.0) << "the slope in use unchanged";
    EXPECT_EQ(pset.um_Slope, 81920u);
    EXPECT_EQ(doubleOf(pCal1, CAL1_ACTIVATE), 0.0) << "the activate box cleared";
    EXPECT_TRUE(IsCtrlDimmed(pCal1, CAL1_ACCEPT));

    checkBox(1);
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    checkBox(0);
    EXPECT_EQ(std::pair(orders(), last()), stopOnly);
    EXPECT_EQ(std::pair(IsCtrlDimmed(pCal1, CAL1_SAVE), IsCtrlDimmed(pCal1, CAL1_DISCARD)), std::pair(true, false));
}

TEST_F(CalibrationTest, WhileALoopRunsRequestsWaitForIt)
{
    stop_flag = 0;
    checkBox(1);
    raw.M_VALUE = 2000;
    SetCtrlVal(pCal1, CAL1_REF_SIZE, 10000);
    press(pCal1, CAL1_ACCEPT);
    press(pCal1, CAL1_SAVE);
    checkBox(1);
    press(pCal1, CAL1_DISCARD);
    // Each left for the loop; the new slope is in the set the loop sends; nothing went out.
    EXPECT_EQ(cal_start_flag, 1);
    EXPECT_EQ(cal_save_flag, 1);
    EXPECT_EQ(cal_exit_flag, 1);
    EXPECT_EQ(pset.um_Slope, 81920u);
    EXPECT_EQ(orders(), std::vector<int>{}) << "an order went out past the running loop";

    // A loop that ended on a time-out serves nothing: the order goes out at once.
    cal_start_flag = cal_save_flag = cal_exit_flag = 0;
    stop_flag = -1;
    checkBox(1);
    EXPECT_EQ(std::pair(cal_start_flag, orders().empty() ? -1 : orders().front()), std::pair(0, 12));
    checkBox(0);
    EXPECT_EQ(std::pair(cal_exit_flag, last()), std::pair(0, ReferenceRequest(12, 0)));
}

TEST_F(CalibrationTest, FactorySettingsThenSaveMakesTheFactorySlopeTheSlopeInUse)
{
    // The simulator's factory header: 5.0 µm per pixel.
    DSLOPE_UM = 3.0;
    pset.um_Slope = 49152;
    SimulateEvent(pCal1, CAL1_FACTORY, EVENT_LEFT_CLICK);
    EXPECT_EQ(MainStatus(), "READ factory-setting from EEPROM ...");
    SimulateEvent(pCal1, CAL1_FACTORY, EVENT_COMMIT);
    EXPECT_EQ(last(), ReferenceRequest(0x18, 0x1100));
    EXPECT_EQ(std::pair(slopeval, doubleOf(pCal1, CAL1_NEW_SLOPE)), std::pair(5.0, 5.0));
    EXPECT_EQ(std::pair(DSLOPE_UM, doubleOf(pCal2, CAL2_SLOPE)), std::pair(3.0, 3.0))
        << "the slope in use changes only by saving";
    EXPECT_EQ(std::pair(doubleOf(pCal2, CAL2_HWTYPE), doubleOf(pCal2, CAL2_SIZE)), std::pair(517318.0, 2048.0));

    checkBox(1);
    press(pCal1, CAL1_SAVE);
    EXPECT_EQ(std::pair(pset.um_Slope, simHoldsOurSlope()), std::pair(81920u, true));

    // A failed read changes nothing.
    ASSERT_EQ(sim.command("fault silent"), "ok");
    slopeval = 1.0;
    const CalibrationHeader before = cal;
    press(pCal1, CAL1_FACTORY);
    EXPECT_EQ(slopeval, 1.0);
    EXPECT_TRUE(SameBytes(cal, before)) << "the calibration header changed";
}

TEST_F(CalibrationTest, HeaderWriteThenReadBackThroughTheSimulatorsFlash)
{
    SimulateEvent(pCalib, CALIB_TEXT, EVENT_RIGHT_DOUBLE_CLICK);
    cal.reserved = 0xBEEF;
    SetCtrlVal(pCal2, CAL2_HWTYPE, 517465);
    SetCtrlVal(pCal2, CAL2_SERNO, 4321);
    SetCtrlVal(pCal2, CAL2_SLOPE, 3.5);
    SetCtrlVal(pCal2, CAL2_RANGE, 14000.0);
    SetCtrlVal(pCal2, CAL2_OFFSET, -12.0);
    SetCtrlVal(pCal2, CAL2_DIVISOR, 2);
    SetCtrlVal(pCal2, CAL2_SIZE, 1024);
    SetCtrlVal(pCal1, CAL1_NEW_SLOPE, 9.9);
    pset.um_Slope = 81920;
    commitValue(pCalib, CALIB_RBT_HEADER, 1);
    ASSERT_FALSE(IsCtrlDimmed(pCalib, CALIB_WRITE_XF));

    const double start = Timer();
    SimulateEvent(pCalib, CALIB_WRITE_XF, EVENT_COMMIT);
    EXPECT_GE(Timer() - start, 0.1) << "the sensor gets its time after the erase";
    // The reserved word carried through unchanged; the header's slope in use: in the set sent with
    // the next SEND, shown, and scaling the millimetres.
    EXPECT_EQ(orders(), (std::vector<int>{0xB4, 0x17})) << "erase, then write the page";
    EXPECT_EQ(cal.UM_SLOPE, 57344u);
    EXPECT_EQ(cal.reserved, 0xBEEF) << "the reserved word must carry through";
    EXPECT_EQ(pset.um_Slope, 57344u);
    EXPECT_EQ(DSLOPE_UM, 3.5);
    EXPECT_EQ(doubleOf(pCal1, CAL1_SLOPE), 3.5) << "slope in use";
    EXPECT_EQ(doubleOf(pCal1, CAL1_SLOPE_SHOWN), 3.5) << "slope shown";
    EXPECT_EQ(YSCALE_FAC, 57344 / 16384000.0) << "mm per pixel";
    EXPECT_EQ(doubleOf(pCal1, CAL1_NEW_SLOPE), 0.0) << "the fitted slope cleared";
    EXPECT_EQ(pageHex(1).substr(0, 48), ToHex(&cal, sizeof cal));
    const CalibrationHeader written = cal;

    // Edit the page, then read the flash back into it.
    SetCtrlVal(pCal2, CAL2_SERNO, 1);
    SetCtrlVal(pCal2, CAL2_SLOPE, 8.0);
    DSLOPE_UM = 8.0;
    SetCalibrationDefaults(cal);
    SimulateEvent(pCal2, CAL2_READ_XF, EVENT_COMMIT);
    EXPECT_TRUE(SameBytes(cal, written)) << "the header read back";
    EXPECT_EQ(DSLOPE_UM, 3.5);
    EXPECT_EQ(doubleOf(pCal2, CAL2_SERNO), 4321.0) << "serial number field";
    EXPECT_EQ(doubleOf(pCal2, CAL2_SLOPE), 3.5) << "slope field";
    EXPECT_EQ(doubleOf(pCal2, CAL2_HWTYPE), 517465.0) << "hardware type field";
    EXPECT_EQ(doubleOf(pCal2, CAL2_OFFSET), -12.0) << "offset field";
    EXPECT_EQ(doubleOf(pCal2, CAL2_SIZE), 1024.0) << "XF-SIZE field";

    // The picture button shows the header's own slope and the file name.
    DSLOPE_UM = 6.0;
    SetCtrlVal(pCal2, CAL2_SLOPE, 6.0);
    CopyText(calib_fname, "/some/table.txt");
    SimulateEvent(pCal2, CAL2_FILE_BTN, EVENT_COMMIT);
    EXPECT_EQ(GetCtrlString(pCal2, CAL2_FILENAME), "/some/table.txt");
    EXPECT_EQ(std::pair(doubleOf(pCal2, CAL2_SLOPE), DSLOPE_UM), std::pair(3.5, 6.0));
}

TEST_F(CalibrationTest, HeaderWrittenAfterACalibrationCarriesTheSlopeInUse)
{
    slopeval = 4.8804;
    press(pCal1, CAL1_SAVE);
    ASSERT_EQ(pset.um_Slope, 79960u);
    SimulateEvent(pCalib, CALIB_TEXT, EVENT_RIGHT_DOUBLE_CLICK);
    EXPECT_NEAR(doubleOf(pCal2, CAL2_SLOPE), 4.8804, 1e-4);
    commitValue(pCalib, CALIB_RBT_HEADER, 1);
    SimulateEvent(pCalib, CALIB_WRITE_XF, EVENT_COMMIT);
    EXPECT_EQ(cal.UM_SLOPE, 79960u);
    SimulateEvent(pCalib, CALIB_TEXT, EVENT_RIGHT_DOUBLE_CLICK);
    press(pPA, MAIN_SEND);
    EXPECT_EQ(std::pair(pset.um_Slope, simHoldsOurSlope()), std::pair(79960u, true));
}

TEST_F(CalibrationTest, TableGoesToFourOrEightPagesInOrder)
{
    ASSERT_NO_FATAL_FAILURE(loadTable(2048, [](int i) { return (i * 37) & 0xFFFF; }));
    ASSERT_EQ(sim.command("reset-stats"), "ok");

    // Eight pages: every erase before the first piece, in address order.
    SetCtrlVal(pCalib, CALIB_RBT_LOOKUP, 1);
    cal.XF_SIZE = 2048;
    double start = Timer();
    SimulateEvent(pCalib, CALIB_WRITE_XF, EVENT_COMMIT);
    EXPECT_GE(Timer() - start, 1.6) << "0.1 s after each of 16 operations";
    expectTableWritten(8, 0x1900);
    EXPECT_TRUE(popups->shown.size() == 1) << "only the file selection";

    // A header size that is not the table's own refuses the write, naming both.
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    cal.XF_SIZE = 1024;
    SimulateEvent(pCalib, CALIB_WRITE_XF, EVENT_COMMIT);
    EXPECT_TRUE(orders().empty());
    EXPECT_EQ(popups->shown.back().text,
              "The loaded calibration table holds 2048 entries, the header's XF-SIZE is 1024:\n"
              "the table is not written!");

    // Four pages: the upper four keep what they hold.
    ASSERT_EQ(0, ClearXFLASHpage(0x1600));
    const std::vector<unsigned char> marker(512, 0x3C);
    ASSERT_EQ(1, WriteXFLASH(0x1600, marker.data(), 512));
    SetCtrlVal(pCal2, CAL2_SIZE, 1024);
    ASSERT_NO_FATAL_FAILURE(loadTable(1024, [](int i) { return 255 - i % 251; }));
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    SimulateEvent(pCalib, CALIB_WRITE_XF, EVENT_COMMIT);
    expectTableWritten(4, 0x1500);
    EXPECT_EQ(pageHex(6), ToHex(marker.data(), 512));
}

TEST_F(CalibrationTest, BothRadioButtonsWriteHeaderFirstWithTheNewSizeAndAFailedStepStopsThere)
{
    SetCtrlVal(pCal2, CAL2_SIZE, 1024);
    ASSERT_NO_FATAL_FAILURE(loadTable(1024, [](int) { return 4660; }));
    cal.XF_SIZE = 2048;
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    SetCtrlVal(pCalib, CALIB_RBT_HEADER, 1);
    SetCtrlVal(pCalib, CALIB_RBT_LOOKUP, 1);
    SimulateEvent(pCalib, CALIB_WRITE_XF, EVENT_COMMIT);
    EXPECT_EQ(std::tuple(orders(), cal.XF_SIZE, pageHex(2).substr(0, 8)),
              std::tuple(std::vector<int>{0xB4, 0x17, 0xB4, 0xB4, 0xB4, 0xB4, 0xB6, 0xB6, 0xB6, 0xB6}, 1024,
                         std::string("34123412")));

    // A four-page table is not stretched over eight pages.
    SetCtrlVal(pCalib, CALIB_RBT_HEADER, 0);
    cal.XF_SIZE = 2048;
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    SimulateEvent(pCalib, CALIB_WRITE_XF, EVENT_COMMIT);
    EXPECT_TRUE(orders().empty());
    EXPECT_EQ(popups->shown.back().title, "Info");
    EXPECT_EQ(popups->shown.back().text.substr(0, 48), "The loaded calibration table holds 1024 entries,");

    // A failed erase or write stops there, named; a failed header erase writes no header.
    SetCtrlVal(pCal2, CAL2_SERNO, 999);
    cal.XF_SIZE = 1024;
    const CalibrationHeader before = cal;
    const struct {
        int header, lookup;
        const char *fault;
        std::vector<int> sent;
        const char *text;
    } failures[] = {
        {1, 0, "fault error-1 order 0xB4", {0xB4}, "Erase-Error:Timeout TCP-Server-error!"},
        {0, 1, "fault error-1 order 0xB4", {0xB4}, "XFLASH-PAGE2 not erased - table incomplete!"},
        {0,
         1,
         "fault error-1 order 0xB6",
         {0xB4, 0xB4, 0xB4, 0xB4, 0xB6},
         "XFLASH-PAGE2 not written - table incomplete!"},
    };
    for (const auto &f : failures) {
        SCOPED_TRACE(f.text);
        SetCtrlVal(pCalib, CALIB_RBT_HEADER, f.header);
        SetCtrlVal(pCalib, CALIB_RBT_LOOKUP, f.lookup);
        ASSERT_EQ(sim.command("reset-stats"), "ok");
        ASSERT_EQ(sim.command(f.fault), "ok");
        SimulateEvent(pCalib, CALIB_WRITE_XF, EVENT_COMMIT);
        EXPECT_EQ(orders(), f.sent);
        EXPECT_TRUE(SameBytes(cal, before)) << "the calibration header changed";
        EXPECT_EQ(MainStatus(), f.text);

        if (f.lookup) {
            EXPECT_EQ(LogLines().back(), f.text) << "the table's failures are logged";
        }
    }
}

} // namespace
