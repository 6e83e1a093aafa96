// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration pages without a sensor: model defaults from the hardware-type ring,
// revealing and hiding the service section, the write button following the radio
// buttons, and loading a calibration table through the load button.

#include "base/control_ids.h"
#include "base/state.h"
#include "calib/calrec.h"
#include "calib_ui/table_loader.h"
#include "main_ui/hwtype.h"
#include "support/app_fixture.h"
#include "support/byte_lines.h"

#include <cstring>

using namespace ui;
using namespace panels;
using namespace std::string_literals;

namespace {

class CalibPagesTest : public AppFixture {
protected:
    std::string writeFile(const std::string &name, const std::string &text)
    {
        const std::string path = programDir + "/" + name;
        EXPECT_TRUE(WriteBytes(path, text));
        return path;
    }
    static std::string entries(int count)
    {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += std::to_string(i + 1000) + "\n";
        return text;
    }
    void loadThroughButton(const std::string &path)
    {
        popups->filePaths.push_back(path);
        SimulateEvent(pCal2, CAL2_LOAD_TABLE, EVENT_COMMIT);
    }
};

TEST_F(CalibPagesTest, ModelSelectionFillsItsGeometry)
{
    for (auto [code, slope, range] : {std::tuple{517311, 2.5, 10000.0},
                                      {517422, 2.5, 10000.0},
                                      {517465, 3.5, 14000.0},
                                      {517312, 5.0, 20000.0},
                                      {517318, 5.0, 20000.0},
                                      {517204, 7.5, 30000.0},
                                      {517449, 7.5, 30000.0},
                                      {517314, 10.0, 40000.0},
                                      {517437, 10.0, 40000.0},
                                      {123456, 5.0, 20000.0},
                                      {0, 5.0, 20000.0}}) {
        SCOPED_TRACE("hardware type " + std::to_string(code));
        // Leftovers of a fitted slope and an edited header.
        SetCtrlVal(pCal1, CAL1_NEW_SLOPE, 4.321);
        SetCtrlVal(pCal2, CAL2_OFFSET, 77.0);
        SetCtrlVal(pCal2, CAL2_SIZE, 1024);
        SetCtrlVal(pCal2, CAL2_DIVISOR, 9);
        selectHARDWARE(code);
        EXPECT_EQ(doubleOf(pCal2, CAL2_SLOPE), slope) << "header slope";
        EXPECT_EQ(doubleOf(pCal1, CAL1_SLOPE), slope) << "slope in use";
        EXPECT_EQ(doubleOf(pCal2, CAL2_RANGE), range);
        EXPECT_EQ(doubleOf(pCal2, CAL2_SIZE), 2048.0) << "XF-SIZE";
        EXPECT_EQ(doubleOf(pCal2, CAL2_DIVISOR), 1.0) << "the edited divisor reset";
        EXPECT_EQ(doubleOf(pCal2, CAL2_OFFSET), 0.0) << "the edited offset reset";
        EXPECT_EQ(doubleOf(pCal1, CAL1_NEW_SLOPE), 0.0) << "the fitted slope left over";
    }
}

TEST_F(CalibPagesTest, RingCommitSelectsTheModelOtherEventsDoNot)
{
    SetCtrlVal(pCal2, CAL2_HWTYPE, 517437);
    SetCtrlVal(pCal2, CAL2_SLOPE, 1.25);
    SimulateEvent(pCal2, CAL2_HWTYPE, EVENT_VAL_CHANGED);
    EXPECT_DOUBLE_EQ(doubleOf(pCal2, CAL2_SLOPE), 1.25);
    SimulateEvent(pCal2, CAL2_HWTYPE, EVENT_COMMIT);
    // Nothing is sent: there is no link, and the header record is untouched.
    EXPECT_EQ(std::tuple(doubleOf(pCal2, CAL2_SLOPE), doubleOf(pCal2, CAL2_RANGE), cal.HW_TYPE),
              std::tuple(10.0, 40000.0, 517318));
}

TEST_F(CalibPagesTest, RightDoubleClickRevealsAndHidesTheServiceSection)
{
    // Service controls shown (+), then the editable and the fixed fields dimmed (d), then
    // GET and SEND dimmed.
    const auto mark = [](int panel, std::initializer_list<int> ids, bool (*on)(int, int), char sign) {
        std::string out;
        for (int id : ids)
            out += on(panel, id) ? sign : '-';
        return out;
    };
    const auto state = [&] {
        const std::string service =
            mark(pCalib, {CALIB_RBT_HEADER, CALIB_RBT_LOOKUP, CALIB_WRITE_XF, CALIB_SERVICE_FRAME}, IsCtrlVisible, '+');
        const std::string editable =
            mark(pCal2, {CAL2_HWTYPE, CAL2_SERNO, CAL2_SLOPE, CAL2_RANGE, CAL2_LOAD_TABLE}, IsCtrlDimmed, 'd');
        const std::string fixed =
            mark(pCal2, {CAL2_OFFSET, CAL2_DIVISOR, CAL2_SIZE, CAL2_FILENAME, CAL2_FILE_BTN}, IsCtrlDimmed, 'd');
        return service + " " + editable + " " + fixed + " " + mark(pPA, {MAIN_GET, MAIN_SEND}, IsCtrlDimmed, 'd');
    };
    const auto page = [] {
        int index = -1;
        GetActiveTabPage(pCalib, CALIB_TAB, &index);
        return index;
    };
    // Hidden at start-up with every service field dimmed, Accept and Save too.
    EXPECT_EQ(hide_flag, 1);
    EXPECT_EQ(state(), "---- ddddd ddddd --") << "service controls hidden, calibration fields dimmed";
    EXPECT_TRUE(IsCtrlDimmed(pCal1, CAL1_ACCEPT));
    EXPECT_TRUE(IsCtrlDimmed(pCal1, CAL1_SAVE));

    // A plain click does nothing.
    SimulateEvent(pCalib, CALIB_TEXT, EVENT_LEFT_DOUBLE_CLICK);
    EXPECT_EQ(hide_flag, 1);

    SetActiveTabPage(pCalib, CALIB_TAB, 0);
    SimulateEvent(pCalib, CALIB_TEXT, EVENT_RIGHT_DOUBLE_CLICK);
    EXPECT_EQ(hide_flag, 0);
    EXPECT_EQ(page(), 1) << "the service page comes to the front";
    EXPECT_EQ(state(), "++++ ----- ddddd dd") << "service controls shown, the editable fields released";
    EXPECT_FALSE(IsCtrlVisible(pCalib, CALIB_HW_DESC));
    // No table loaded yet, neither radio button set.
    EXPECT_EQ(std::pair(IsCtrlDimmed(pCalib, CALIB_RBT_LOOKUP), IsCtrlDimmed(pCalib, CALIB_WRITE_XF)),
              std::pair(true, true));

    SimulateEvent(pCalib, CALIB_TEXT, EVENT_RIGHT_DOUBLE_CLICK);
    EXPECT_EQ(hide_flag, 1);
    EXPECT_EQ(page(), 1) << "hiding stays on the page";
    EXPECT_EQ(state(), "---- ddddd ddddd --") << "service controls hidden again, every field dimmed";
    EXPECT_TRUE(IsCtrlVisible(pCalib, CALIB_HW_DESC));

    // Without a usable sensor hiding does not release the exchange buttons.
    err_flag = 1;
    SimulateEvent(pCalib, CALIB_TEXT, EVENT_RIGHT_DOUBLE_CLICK);
    SimulateEvent(pCalib, CALIB_TEXT, EVENT_RIGHT_DOUBLE_CLICK);
    EXPECT_EQ(state(), "---- ddddd ddddd dd");
}

TEST_F(CalibPagesTest, WriteButtonFollowsTheRadioButtons)
{
    SimulateEvent(pCalib, CALIB_TEXT, EVENT_RIGHT_DOUBLE_CLICK);
    for (auto [header, lookup, dimmed] : {std::tuple{1, 0, false}, {0, 1, false}, {1, 1, false}, {0, 0, true}}) {
        SetCtrlVal(pCalib, CALIB_RBT_HEADER, header);
        SetCtrlVal(pCalib, CALIB_RBT_LOOKUP, lookup);
        SimulateEvent(pCalib, header ? CALIB_RBT_HEADER : CALIB_RBT_LOOKUP, EVENT_COMMIT);
        EXPECT_EQ(IsCtrlDimmed(pCalib, CALIB_WRITE_XF), dimmed) << "header " << header << ", lookup " << lookup;
    }
}

TEST_F(CalibPagesTest, LookupWithoutATableOnlyTellsTheOperator)
{
    SetCtrlVal(pCalib, CALIB_RBT_LOOKUP, 1);
    SimulateEvent(pCalib, CALIB_WRITE_XF, EVENT_COMMIT);
    ASSERT_EQ(popups->shown.size(), 1u);
    const auto &[kind, title, text] = popups->shown[0];
    EXPECT_EQ(std::tie(kind, title, text), std::tuple("message"s, "Info"s, "No valid calibration file selected!"s));
}

TEST_F(CalibPagesTest, ValidTableLoadsAndReleasesTheLookupChoice)
{
    SimulateEvent(pCalib, CALIB_TEXT, EVENT_RIGHT_DOUBLE_CLICK);
    const std::string path = writeFile("table.txt", "# test table\n" + entries(2048));
    loadThroughButton(path);
    ASSERT_EQ(popups->shown.size(), 1u);
    EXPECT_EQ(popups->shown[0].kind, "file");
    EXPECT_EQ(cal_file_flag, 1);
    EXPECT_EQ(std::string(calib_fname), path);
    EXPECT_EQ(GetCtrlString(pCal2, CAL2_FILENAME), path) << "the file name field";
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "Calibration table loaded: 2048 entries");
    // The first and the last entry, low byte first.
    EXPECT_EQ(std::pair(linArray[0] | linArray[1] << 8, linArray[4094] | linArray[4095] << 8), std::pair(1000, 3047));
    EXPECT_FALSE(IsCtrlDimmed(pCalib, CALIB_RBT_LOOKUP));

    // Cancelling the file selection changes nothing.
    SimulateEvent(pCal2, CAL2_LOAD_TABLE, EVENT_COMMIT);
    EXPECT_EQ(std::pair(cal_file_flag, std::string(calib_fname)), std::pair(1, path));

    // The sample table that ships with the program is valid for the default size.
    std::string error;
    EXPECT_TRUE(LoadCalibrationTable(MQ_SAMPLE_TABLE, &error)) << error;
}

TEST_F(CalibPagesTest, BadTableLeavesTheLoadedOneAsItWas)
{
    const std::string good = writeFile("good.txt", entries(2048));
    loadThroughButton(good);
    ASSERT_EQ(cal_file_flag, 1);
    unsigned char before[sizeof linArray];
    std::memcpy(before, linArray, sizeof before);

    // clang-format off
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"short.txt", entries(100), "Line 101: the file ends after 100 entries, 2048 are needed (XF-SIZE 2048)"},
        {"long.txt", entries(2049), "Line 2049: more than 2048 entries (XF-SIZE 2048)"},
        {"bad.txt", "1\n2\nseven\n" + entries(2045), "Line 3: not a number from 0 to 65535"},
        {"huge.txt", std::string(kMaxCalibTableFileBytes + 1, '\n'), "The file is larger than 1048576 bytes"},
    };
    // clang-format on
    for (const auto &[name, text, message] : cases) {
        SCOPED_TRACE(name);
        popups->shown.clear();
        loadThroughButton(writeFile(name, text));
        ASSERT_EQ(popups->shown.size(), 2u);
        EXPECT_EQ(popups->said(1), std::pair("Calibration table"s, message + "\nThe table in use is unchanged."));
        // The flag, the file name and the table as they were.
        EXPECT_EQ(cal_file_flag, 1);
        EXPECT_EQ(std::string(calib_fname), good);
        EXPECT_TRUE(SameBytes(linArray, before)) << "the table in use";
    }

    // A missing file, and a first load that fails, leave the flag down.
    popups->shown.clear();
    loadThroughButton(programDir + "/missing.txt");
    EXPECT_EQ(popups->shown.back().text, "Cannot open " + programDir + "/missing.txt\nThe table in use is unchanged.");
    cal_file_flag = 0;
    loadThroughButton(writeFile("short2.txt", entries(5)));
    EXPECT_EQ(std::pair(cal_file_flag, LoadedTableBytes()), std::pair(0, 0));

    // The four-page layout takes 1024 entries (CalibrationTest.TableGoesToFourOrEightPagesInOrder),
    // and clears the rest of the table.
    SetCtrlVal(pCal2, CAL2_SIZE, 1024);
    loadThroughButton(writeFile("four.txt", entries(1024)));
    EXPECT_EQ(linArray[2048], 0);
}

} // namespace
