// SPDX-License-Identifier: GPL-3.0-or-later

// Every write to the simulated sensor leaves its rows in the change log: the action, the
// target, the key, the value last read (or "not read") and the value written, and whether
// it was written. A log that cannot be written never stops the write itself.

#include "base/records.h"
#include "base/state.h"
#include "calib_ui/procedure.h"
#include "files/change_log.h"
#include "files/change_watch.h"
#include "link/orders.h"
#include "link/xflash.h"
#include "link_ui/change_log_window.h"
#include "link_ui/ident_page.h"
#include "main_ui/target_buttons.h"
#include "params_ui/para_callbacks.h"
#include "params_ui/transfer.h"
#include "setup/assistant.h"
#include "support/files.h"
#include "support/integration_helpers.h"
#include "support/sim_fixture.h"

#include <functional>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

class ChangeLogTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSimOverTcp());
        ASSERT_EQ(1, InitDataExchange());
        ASSERT_EQ(ChangeLogFile(), programDir + "/MQ-Vista-changes.sqlite") << "beside the settings file";
    }

    // The rows written since the last call, one line each: "action target key old->new result".
    std::vector<std::string> newRows()
    {
        std::vector<ChangeRow> rows;
        std::string error;
        ReadChangeRows(ChangeLogFile(), {}, &rows, &error);
        std::vector<std::string> lines;
        for (std::size_t i = seen_; i < rows.size(); ++i) {
            const ChangeRow &r = rows[i];
            lines.push_back(r.action + " " + r.target + " " + r.key + " " +
                            (r.oldValue ? std::to_string(*r.oldValue) : "not read") + "->" +
                            std::to_string(r.newValue) + " " + ChangeResultText(r));
        }
        seen_ = rows.size();
        return lines;
    }
    std::size_t seen_ = 0;
};

TEST_F(ChangeLogTest, EveryActionLogsTheFieldsItChangedWithTheValueLastRead)
{
    SelectStorageTarget(RAM);
    press(pPA, MAIN_GET);
    const ParameterSet ram = pset;
    ASSERT_TRUE(newRows().empty()) << "a GET writes nothing";
    const std::string power = std::to_string(ram.Power);
    const std::string teach = std::to_string(ram.Teach_Value);

    struct Case {
        const char *name;
        std::function<void()> act;
        std::vector<std::string> rows; // empty: checked by count below
        std::size_t count = 0;
    };
    const Case cases[] = {
        {"SEND to RAM after GET: only the field changed, old from the GET",
         [&] {
             SetCtrlVal(pPara2, PARA2_POWER, 321);
             press(pPA, MAIN_SEND);
         },
         {"SEND RAM Power " + power + "->321 written", "SEND RAM Exposure-Time 0->1400 written"}},
        {"SEND of the same set again: nothing changed, no row", [&] { press(pPA, MAIN_SEND); }, {}},
        {"SEND to EEPROM never read: every field, not read",
         [&] {
             SelectStorageTarget(EEPROM);
             press(pPA, MAIN_SEND);
             SelectStorageTarget(RAM);
         },
         {},
         29},
        {"TEACH: the set point the sensor took", [&] { PushTEACH(); }, {"TEACH RAM Teach-Value " + teach + "->"}},
        {"SAVE V-THD to RAM",
         [&] {
             SetCtrlVal(pPara2, PARA2_VTHD, 61);
             SetCtrlVal(pPara2, PARA2_THD_TARGET, 0);
             popups->confirmAnswers = {1};
             SimulateEvent(pPara2, PARA2_SAVE_THD, EVENT_COMMIT);
         },
         {"SAVE V-THD RAM Video-Thd-Auto " + std::to_string(ram.Video_Thd_Auto) + "->61 written"}},
        {"calibration SAVE: the slope",
         [&] {
             pset.um_Slope = 12345;
             ActivateCalibration(2);
         },
         {"CALIBRATION SAVE RAM um-Slope " + std::to_string(ram.um_Slope) + "->12345 written"}},
        {"header write: old from the header read at identification",
         [&] {
             ChangeAction action("WRITE HEADER");
             CalibrationHeader h = cal;
             h.SER_NO = static_cast<std::uint16_t>(cal.SER_NO + 1);
             WriteCalibDataToXF(&h, sizeof h);
         },
         {"WRITE HEADER XFLASH SER-NO " + std::to_string(cal.SER_NO) + "->" + std::to_string(cal.SER_NO + 1) +
          " written"}},
        {"table page: erased, then written, its CRC-32 as value",
         [&] {
             ChangeAction action("WRITE TABLE");
             ClearXFLASHpage(0x1200);
             const unsigned char bytes[4] = {'1', '2', '3', '4'};
             WriteXFLASH(0x1200, bytes, 4);
         },
         {"WRITE TABLE XFLASH PAGE2-ERASE not read->65535 written",
          "WRITE TABLE XFLASH PAGE2-CRC32@0x1200+4 not read->2615402659 written"}},
        {"a write the sensor refuses is logged as failed",
         [&] {
             sim.command("fault error-1 order 1");
             SetCtrlVal(pPara2, PARA2_POWER, 400);
             press(pPA, MAIN_SEND);
             sim.command("fault none");
         },
         // what the pages hold besides: the threshold field and the slope they show
         {"SEND RAM Power 321->400 failed", "SEND RAM Video-Thd-Fix 40->61 failed",
          "SEND RAM um-Slope 12345->81920 failed"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.act();
        const std::vector<std::string> rows = newRows();
        if (c.count > 0) {
            EXPECT_EQ(rows.size(), c.count);
            for (const std::string &row : rows)
                EXPECT_NE(row.find(" not read->"), std::string::npos) << row;
            continue;
        }
        std::string all;
        for (const std::string &row : rows)
            all += row + "\n";
        ASSERT_EQ(rows.size(), c.rows.size()) << all;
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(rows[i].substr(0, c.rows[i].size()), c.rows[i]);
    }
    const ChainCheck check = VerifyChangeChain(ChangeLogFile());
    EXPECT_EQ(check.firstBroken, 0) << "the chain of every row written";
}

TEST_F(ChangeLogTest, AutoSetUpTrialsAndUndoAreLogged)
{
    press(pPara2, PARA2_SETUP);
    ParameterSet p = pset;
    p.Power = 1000;
    p.Exposure_Time = 3000;
    pset = p;
    ASSERT_EQ(IssueOrder(ORDER_WRITE_PARA_RAM, 0, &p, sizeof p), 1);
    newRows();
    press(pSetup, SETUP_AUTO);
    const std::vector<std::string> trials = newRows();
    ASSERT_FALSE(trials.empty());
    EXPECT_EQ(trials.front().substr(0, 26), "AUTO SET-UP RAM Power 1000")
        << "the first trial starts from the set in RAM";
    const std::string found = std::to_string(pset.Power);
    press(pSetup, SETUP_UNDO);
    const std::vector<std::string> undo = newRows();
    ASSERT_FALSE(undo.empty());
    for (const std::string &row : undo)
        EXPECT_EQ(row.substr(0, 9), "UNDO RAM ") << row;
    std::string all;
    for (const std::string &row : undo)
        all += row + "\n";
    EXPECT_NE(all.find("UNDO RAM Power " + found + "->1000 written"), std::string::npos) << all;
}

TEST_F(ChangeLogTest, ALogThatCannotBeWrittenNeverStopsTheSendAndTheNextRowCountsTheMissed)
{
    const std::string good = ChangeLogFile();
    // A log under a plain file cannot be opened, whoever runs the test.
    ASSERT_TRUE(WriteBytes(programDir + "/plain", "x"));
    SetChangeLogFile(programDir + "/plain/" + kChangeLogFileName);
    SetCtrlVal(pPara2, PARA2_POWER, 222);
    press(pPA, MAIN_SEND);
    EXPECT_EQ(sim.command("ram").substr(3, 4), "de00") << "the sensor has the set";
    EXPECT_EQ(MainStatus().rfind("CHANGE LOG NOT WRITTEN: ", 0), 0u) << MainStatus();
    EXPECT_EQ(ChangeLogMissed(), 2) << "Power, and Exposure-Time the panel puts within its limits";

    SetChangeLogFile(good);
    SetCtrlVal(pPara2, PARA2_POWER, 223);
    press(pPA, MAIN_SEND);
    std::vector<ChangeRow> rows;
    std::string error;
    ASSERT_TRUE(ReadChangeRows(good, {}, &rows, &error)) << error;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].status, "Transmission successful - Line Ok! (2 earlier change rows not logged)");
    EXPECT_EQ(ChangeLogMissed(), 0);
}

TEST_F(ChangeLogTest, AFileThatIsNoDatabaseIsNamedAndSetAsideAndANewLogStarts)
{
    const std::string path = ChangeLogFile();
    SetCtrlVal(pPara2, PARA2_POWER, 300);
    press(pPA, MAIN_SEND);
    const std::string truncated = ReadBytes(path).substr(0, 1000);
    for (const std::string &content : {std::string("[Link]\ncomtype=1\n"), truncated}) {
        SCOPED_TRACE(content.substr(0, 16));
        ASSERT_TRUE(WriteBytes(path, content));
        popups->shown.clear();
        SetCtrlVal(pPara2, PARA2_POWER, pset.Power + 1);
        press(pPA, MAIN_SEND);
        EXPECT_EQ(MainStatus(), "Transmission successful - Line Ok!");
        ASSERT_EQ(popups->shown.size(), 1u);
        const std::string &text = popups->shown[0].text;
        EXPECT_NE(text.find(path + " is not a database"), std::string::npos) << text;
        const std::string::size_type at = text.find("renamed to ");
        ASSERT_NE(at, std::string::npos) << text;
        const std::string aside = text.substr(at + 11, text.find(" and a new", at) - at - 11);
        EXPECT_EQ(ReadBytes(aside), content) << "the file set aside is kept as it was: " << aside;
        const ChainCheck check = VerifyChangeChain(path);
        EXPECT_EQ(check.rows, 1) << "the new log holds the SEND's row " << check.error;
    }
}

TEST_F(ChangeLogTest, TheWindowShowsNewestFirstFiltersBySerialAndDateAndExportsWhatItShows)
{
    SetCtrlVal(pPara2, PARA2_POWER, 301);
    press(pPA, MAIN_SEND);
    PushTEACH();
    press(pConn, CONN_CHANGE_LOG);
    ASSERT_NE(pChanges, 0);
    std::vector<std::string> lines = GetTextBoxLines(pChanges, CHANGES_TABLE);
    ASSERT_EQ(lines.size(), 3u) << "TEACH, then the SEND's Power and Exposure-Time";
    EXPECT_NE(lines[0].find("TEACH"), std::string::npos) << lines[0];
    EXPECT_NE(lines[2].find("Power"), std::string::npos) << lines[2];
    EXPECT_EQ(
        GetCtrlString(pChanges, CHANGES_HASH).rfind("LATEST HASH: " + VerifyChangeChain(ChangeLogFile()).lastHash, 0),
        0u);

    struct Filter {
        const char *serial, *since;
        std::size_t rows;
        const char *info; // the start of the line above the rows
    };
    const Filter filters[] = {{"4711", "", 3, "3 changes"},
                              {"4712", "", 0, "0 changes"},
                              {"", "2999-01-01", 0, "0 changes"},
                              {"", "2000-01-01", 3, "3 changes"},
                              {"", "yesterday", 3, "SINCE must be a date YYYY-MM-DD"}};
    for (const Filter &f : filters) {
        SCOPED_TRACE(std::string(f.serial) + "/" + f.since);
        SetCtrlVal(pChanges, CHANGES_SERIAL, f.serial);
        SetCtrlVal(pChanges, CHANGES_SINCE, f.since);
        press(pChanges, CHANGES_SHOW);
        EXPECT_EQ(GetCtrlString(pChanges, CHANGES_INFO).rfind(f.info, 0), 0u) << GetCtrlString(pChanges, CHANGES_INFO);
        EXPECT_EQ(GetTextBoxLines(pChanges, CHANGES_TABLE).size(), f.rows);
    }

    SetCtrlVal(pChanges, CHANGES_SINCE, "");
    press(pChanges, CHANGES_SHOW);
    const std::string csv = programDir + "/changes.csv";
    popups->filePaths.push_back(csv);
    press(pChanges, CHANGES_EXPORT);
    const std::string text = ReadBytes(csv);
    EXPECT_EQ(text.substr(0, text.find('\n') + 1), ChangeCsvHeader());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << "the header and the three rows, oldest first";
    EXPECT_NE(text.find(",SEND,RAM,Power,"), std::string::npos) << text;
}

} // namespace
