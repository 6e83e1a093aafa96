// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder page without a sensor: the mode ring's dimming, planned durations, the
// service interval, choosing the record file, and Start's refusals.

#include "app/shell.h"
#include "base/control_ids.h"
#include "base/state.h"
#include "base/text.h"
#include "main_ui/target_buttons.h"
#include "params_ui/transfer.h"
#include "platform/system.h"
#include "recorder/recorder.h"
#include "support/app_fixture.h"

#include <filesystem>
#include <string>

using namespace ui;
using namespace panels;
using namespace std::string_literals;

namespace {

class RecorderPageTest : public AppFixture {
protected:
    std::string duration()
    {
        return std::to_string(intOf(pRec, REC_DAYS)) + "d " + std::to_string(intOf(pRec, REC_HOURS)) + "h " +
               std::to_string(intOf(pRec, REC_MINUTES)) + "m " + std::to_string(intOf(pRec, REC_SECONDS)) + "s";
    }
    // The record file {in the page's box, the one the recorder writes}.
    static std::pair<std::string, std::string> chosen() { return {GetCtrlString(pRec, REC_FILENAME), rec_fname}; }
};

TEST_F(RecorderPageTest, ModeRingDimsWhatTheModeCannotUse)
{
    const auto dimmed = [] {
        std::vector<bool> out;
        for (int id : {REC_INTERVAL, REC_SAMPLES, REC_START, REC_STOP, REC_FILE_BTN})
            out.push_back(IsCtrlDimmed(pRec, id));
        return out;
    };
    for (auto [mode, interval, samples, buttons] : {std::tuple{2, true, true, true},
                                                    {1, true, false, false},
                                                    {3, true, true, true},
                                                    {4, true, true, true},
                                                    {0, false, false, false}}) {
        changeValue(pRec, REC_MODE, mode);
        EXPECT_EQ(dimmed(), (std::vector{interval, samples, buttons, buttons, buttons}))
            << "mode " << mode << ": {interval, samples, start, stop, file button} dimmed";
    }
    // Start-up applies the same rule to the ring it finds.
    SetCtrlVal(pRec, REC_MODE, 3);
    InitGUI();
    EXPECT_EQ(dimmed(), std::vector(5, true));
}

TEST_F(RecorderPageTest, PlannedDurationAndTheServiceInterval)
{
    SetCtrlVal(pRec, REC_INTERVAL, 0.5);
    changeValue(pRec, REC_SAMPLES, 125);
    EXPECT_EQ(duration(), "0d 0h 1m 2s"); // 62.5 s, truncated
    changeValue(pRec, REC_INTERVAL, 3599.0);
    EXPECT_EQ(duration(), "5d 4h 57m 55s");
    CalcRecTime(-5);
    EXPECT_EQ(duration(), "0d 0h 0m 0s");
    changeValue(pRec, REC_INTERVAL, 3599.0);
    // At the top of the samples range the display is left as it was.
    SetCtrlVal(pRec, REC_SAMPLES, 40000);
    EXPECT_EQ(intOf(pRec, REC_SAMPLES), 32000);
    SimulateEvent(pRec, REC_SAMPLES, EVENT_VAL_CHANGED);
    EXPECT_EQ(duration(), "5d 4h 57m 55s");

    // The service interval shows the write button and releases the slope field (else an edit
    // would reach the sensor with SEND); a long interval alone does not.
    changeValue(pRec, REC_INTERVAL, 6000.0);
    EXPECT_EQ(std::pair(IsCtrlVisible(pCalib, CALIB_WRITE_XF), IsCtrlDimmed(pCal1, CAL1_SLOPE)), std::pair(false, true))
        << "write-to-XFLASH button visible, slope field dimmed";

    SetCtrlVal(pRec, REC_INTERVAL, 6183.0);
    EXPECT_EQ(doubleOf(pRec, REC_INTERVAL), 6183.0) << "the field accepts the service value";
    SimulateEvent(pRec, REC_INTERVAL, EVENT_VAL_CHANGED);
    EXPECT_EQ(std::tuple(IsCtrlVisible(pCalib, CALIB_WRITE_XF), IsCtrlDimmed(pCalib, CALIB_WRITE_XF),
                         IsCtrlDimmed(pCal1, CAL1_SLOPE)),
              std::tuple(true, false, false))
        << "write-to-XFLASH button {visible, dimmed}, slope field dimmed";
}

TEST_F(RecorderPageTest, ChosenRecordFileReplacesAnExistingOneOnlyWhenConfirmed)
{
    const std::string before = GetCtrlString(pRec, REC_FILENAME);
    EXPECT_EQ(before, JoinPath(programDir, "RECORD.DAT"));

    // Cancel: nothing changes.
    SimulateEvent(pRec, REC_FILE_BTN, EVENT_COMMIT);
    ASSERT_EQ(popups->shown.size(), 1u);
    EXPECT_EQ(popups->said(0), std::pair("K-VOR-Series Recorder-File:"s, "RECORD.DAT"s));
    EXPECT_EQ(GetCtrlString(pRec, REC_FILENAME), before);

    const std::string fresh = programDir + "/new.dat";
    popups->filePaths.push_back(fresh);
    SimulateEvent(pRec, REC_FILE_BTN, EVENT_COMMIT);
    EXPECT_EQ(chosen(), std::pair(fresh, fresh));

    // An existing file is only chosen (to be looked at, perhaps): it stays, and the box names it.
    const std::string old = programDir + "/old.dat";
    WriteBytes(old, "keep me");
    popups->filePaths.push_back(old);
    popups->confirmAnswers.push_back(1); // a yes, were anything asked
    const size_t asked = popups->shown.size();
    SimulateEvent(pRec, REC_FILE_BTN, EVENT_COMMIT);
    popups->confirmAnswers.clear();
    EXPECT_EQ(popups->shown.size(), asked + 1) << "nothing asked beside the file selection";
    EXPECT_EQ(ReadBytes(old), "keep me") << "the old file's contents";
    EXPECT_EQ(chosen(), std::pair(old, old)) << "{file name box, rec_fname}";

    // Start then asks again; declining writes nothing and starts nothing.
    SimulateEvent(pRec, REC_START, EVENT_COMMIT);
    EXPECT_EQ(popups->saidLast(), std::pair("ATTENTION !"s, "File already exist - overwrite ?"s));
    EXPECT_EQ(ReadBytes(old), "keep me") << "the old file's contents";
    EXPECT_EQ(stop_flag, 1);
    EXPECT_FALSE(IsCtrlDimmed(pRec, REC_START));
    EXPECT_FALSE(IsCtrlDimmed(pPA, MAIN_RUN));
}

TEST_F(RecorderPageTest, ChosenPathsGetTheirExtensionAndMustFitTheirBuffer)
{
    popups->filePaths = {programDir + "/plain"};
    SimulateEvent(pRec, REC_FILE_BTN, EVENT_COMMIT);
    EXPECT_EQ(chosen(), std::pair(programDir + "/plain.dat", programDir + "/plain.dat"));

    const std::string longPath = programDir + "/" + std::string(300, 'x') + ".dat";
    popups->filePaths = {longPath};
    SimulateEvent(pRec, REC_FILE_BTN, EVENT_COMMIT);
    EXPECT_EQ(chosen(), std::pair(programDir + "/plain.dat", programDir + "/plain.dat")) << "the too long path refused";
    EXPECT_EQ(popups->shown.back().kind, "message");

    EXPECT_NE(popups->shown.back().text.find("longer than 259 characters"), std::string::npos);

    // The parameter file alike: SEND to a file named without extension writes the .ini.
    SelectStorageTarget(DATFILE);
    popups->filePaths = {programDir + "/set"};
    SimulateEvent(pPA, MAIN_SEND, EVENT_COMMIT);
    EXPECT_TRUE(FileExists(programDir + "/set.ini"));
    popups->filePaths = {programDir + "/" + std::string(300, 'p') + ".ini"};
    SimulateEvent(pPA, MAIN_SEND, EVENT_COMMIT);
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "Parameter saving to file failed!");
    EXPECT_STREQ(para_pathname, (programDir + "/set.ini").c_str());
}

TEST_F(RecorderPageTest, StartAndOverwriteRefusalsSayWhy)
{
    // A record file that cannot be deleted (a directory with something in it) is not
    // written behind the old recording.
    const std::string stuck = programDir + "/stuck.dat";
    std::filesystem::create_directories(stuck + "/inside");
    popups->filePaths = {stuck};
    SimulateEvent(pRec, REC_FILE_BTN, EVENT_COMMIT);
    EXPECT_EQ(GetCtrlString(pRec, REC_FILENAME), stuck);
    popups->confirmAnswers = {1};
    SimulateEvent(pRec, REC_START, EVENT_COMMIT);
    EXPECT_EQ(popups->shown.back().text, "Output-File cannot be overwritten (not deleted):\n" + stuck);
    EXPECT_EQ(std::tuple(GetCtrlString(pRec, REC_STATUS), stop_flag, IsCtrlDimmed(pRec, REC_START)),
              std::tuple("DATA-RECORDER: OLD DATA-FILE CANNOT BE DELETED!"s, 1, false));

    // While Run or Video runs, Start says so instead of doing nothing.
    stop_flag = 0;
    SimulateEvent(pRec, REC_START, EVENT_COMMIT);
    stop_flag = 1;
    EXPECT_EQ(std::pair(GetCtrlString(pRec, REC_STATUS), GetCtrlTextColor(pRec, REC_STATUS)),
              std::pair("DATA-RECORDER: STOP RUN / VIDEO FIRST!"s, VAL_RED));
}

TEST_F(RecorderPageTest, UnwritableRecordFileStartsNoRecording)
{
    CopyText(rec_fname, (programDir + "/no-such-dir/R.DAT").c_str());
    SimulateEvent(pRec, REC_START, EVENT_COMMIT);
    EXPECT_EQ(stop_flag, 1);
    EXPECT_EQ(GetCtrlString(pRec, REC_STATUS), "DATA-RECORDER: CANNOT WRITE DATA-FILE!");
    EXPECT_EQ(GetCtrlTextColor(pRec, REC_STATUS), VAL_RED) << "the recorder status colour";
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "Data-Recorder error - record file cannot be written!");
    EXPECT_EQ(std::vector({IsCtrlDimmed(pPA, MAIN_RUN), IsCtrlDimmed(pPA, MAIN_VIDEO),
                           IsCtrlDimmed(pPara1, PARA1_TEACH), IsCtrlDimmed(pRec, REC_START)}),
              std::vector(4, false))
        << "{Run, Video, TEACH, Start} dimmed";
}

} // namespace
