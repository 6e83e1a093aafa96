// SPDX-License-Identifier: GPL-3.0-or-later
// Set-up assistant: its window, ANALYSE, AUTO SET-UP and UNDO.

#include "setup/assistant.h"
#include "files/change_watch.h"

#include "base/control_ids.h"
#include "base/popups.h"
#include "base/records.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "display/measure.h"
#include "link/frame.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "link/transport.h"
#include "params_ui/help.h"
#include "params_ui/mapping.h"
#include "setup/light_plan.h"
#include "ui/runtime.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace ui;
using namespace panels;

int pSetup = 0;
int pSetupHelp = 0;

namespace {

constexpr char kTitle[] = "SET-UP ASSISTANT";

const char *const kHelpAnalyse =
    "ANALYSE:\nTake one frame and one video-signal (as VIDEO)\nand judge it: one row per figure with OK,\n"
    "CHECK or FAULT and what to do.";
const char *const kHelpAuto =
    "AUTO SET-UP:\nSet power, exposure-time and V-THD for a clean\nvideo-signal, in the RAM of the sensor only\n"
    "(max. 12 trials). SEND to EEPROM keeps it!";
const char *const kHelpUndo =
    "UNDO:\nSend the parameter-frame found in the RAM at the\nstart of the last AUTO SET-UP back to the sensor\n"
    "and judge its video-signal again.";
const char *const kHelpClose =
    "CLOSE:\nClose the SET-UP ASSISTANT window.\nThe settings of the sensor stay as they are.";
constexpr int kOkColor = 0x008000;
constexpr int kCheckColor = 0xE08000;
constexpr int kFaultColor = 0xFF0000;

setup::VideoFigures g_figures;
bool g_haveFigures = false;
std::uint16_t g_profile[setup::kPoints];
std::uint16_t g_threshold[setup::kPoints];
int g_trials = 0;
std::string g_result;
bool g_haveUndo = false;
ParameterSet g_undo{};
bool g_running = false;

int verdictColor(setup::Verdict v)
{
    return v == setup::Verdict::Ok ? kOkColor : v == setup::Verdict::Check ? kCheckColor : kFaultColor;
}

void showResult(const std::string &text, int color)
{
    g_result = text;
    if (pSetup == 0)
        return;
    SetCtrlValUtf8(pSetup, SETUP_RESULT, text.c_str());
    SetCtrlTooltip(pSetup, SETUP_RESULT, text.c_str()); // the line may be too short for it
    SetCtrlTextColor(pSetup, SETUP_RESULT, color);
}

void logStep(const char *text)
{
    if (pSetup != 0)
        AppendTextBox(pSetup, SETUP_STEPS, (std::string(text) + "\n").c_str());
}

// The profile and its threshold as the video graph draws them, and one row per figure.
void showFigures()
{
    if (pSetup == 0 || !g_haveFigures)
        return;
    DeleteGraphPlots(pSetup, SETUP_GRAPH);
    SetGraphAutoRefresh(pSetup, SETUP_GRAPH, false);
    SetAxisRange(pSetup, SETUP_GRAPH, XAXIS, xArray_pi[0], xArray_pi[setup::kPoints - 1]);
    SetAxisRange(pSetup, SETUP_GRAPH, YAXIS, 0.0, ADCMAX);
    PlotXYu16(pSetup, SETUP_GRAPH, xArray_pi, g_profile, setup::kPoints, 0xFF0000, false);
    PlotXYu16(pSetup, SETUP_GRAPH, xArray_pi, g_threshold, setup::kPoints, 0x008000, false);
    RefreshGraph(pSetup, SETUP_GRAPH);
    for (int row = 0; row < setup::kDiagnosisRows; ++row) {
        const setup::RowJudgement j = setup::JudgeRow(row, g_figures, YSCALE_FAC);
        SetCtrlValUtf8(pSetup, SETUP_FIGURE + row, j.figure.c_str());
        SetCtrlVal(pSetup, SETUP_VERDICT + row, setup::VerdictText(j.verdict));
        SetCtrlTextColor(pSetup, SETUP_VERDICT + row, verdictColor(j.verdict));
        SetCtrlValUtf8(pSetup, SETUP_ADVICE + row, j.advice.c_str());
        SetCtrlTooltip(pSetup, SETUP_ADVICE + row, j.advice.c_str());
    }
}

// No figures: the rows and the graph empty, as before the first ANALYSE.
void clearFigures()
{
    g_haveFigures = false;
    if (pSetup == 0)
        return;
    DeleteGraphPlots(pSetup, SETUP_GRAPH);
    for (int row = 0; row < setup::kDiagnosisRows; ++row) {
        for (int id : {SETUP_FIGURE, SETUP_VERDICT, SETUP_ADVICE})
            SetCtrlVal(pSetup, id + row, "");
        SetCtrlTooltip(pSetup, SETUP_ADVICE + row, "");
    }
}

// Judges the profile in adbuf against a parameter set and keeps it for the window.
void judge(const ParameterSet &p)
{
    std::memcpy(g_profile, adbuf, sizeof g_profile);
    for (int i = 0; i < setup::kPoints; ++i)
        g_threshold[i] = p.Video_Thd_Mode == 1 ? vtbuf[i] : static_cast<std::uint16_t>(ADCMAX * p.Video_Thd_Fix / 100);
    setup::VideoInput in;
    in.video = g_profile;
    in.autoThreshold = vtbuf;
    in.pixelOf = xArray_pi;
    in.adcMax = ADCMAX;
    g_figures = setup::MeasureVideo(in, p);
    g_haveFigures = true;
    showFigures();
}

bool linkUsable() { return err_flag != 1 && (comtype == 0 ? rs232con == 1 : tcpcon == 1); }

// The assistant is a loop of its own: nothing else may start on the line meanwhile.
bool refused()
{
    if (g_running || stop_flag == 0 || exchange_busy) {
        MessagePopup(kTitle, "Stop RUN, VIDEO or the data recorder first.");
        return true;
    }
    if (!linkUsable()) {
        MessagePopup(kTitle, "No usable sensor is connected.");
        return true;
    }
    return false;
}

void holdControls(bool hold)
{
    g_running = hold;
    if (hold) {
        stop_flag = 0;
        DimLoopButtons();
    } else {
        for (int id : {MAIN_VIDEO, MAIN_RUN, MAIN_SEND, MAIN_GET})
            SetCtrlDimmed(pPA, id, false);
        SetCtrlDimmed(pCal1, CAL1_FACTORY, false);
        int thdMode = 0;
        GetCtrlVal(pPara2, PARA2_VTHD_MODE, &thdMode);
        SetCtrlDimmed(pPara2, PARA2_SAVE_THD, thdMode == 0);
        // Requests made meanwhile had their buttons dimmed; none is carried out late.
        send_flag = get_flag = teach_flag = reset_flag = 0;
        stop_flag = 1;
    }
    SetCtrlDimmed(pPA, MAIN_SEND, hold);
    SetCtrlDimmed(pPara1, PARA1_TEACH, hold);
    SetCtrlDimmed(pRec, REC_START, hold);
    if (pSetup != 0)
        for (int id : {SETUP_ANALYSE, SETUP_AUTO, SETUP_UNDO})
            SetCtrlDimmed(pSetup, id, hold || (id == SETUP_UNDO && !g_haveUndo));
}

void linkFailed()
{
    SetStatusColor(kFaultColor);
    ShowStatus();
}

// A frame and a profile, as one VIDEO pass; the fetch routines write the status line.
bool takeProfile()
{
    if (GetRAW() != 1 || GetDATA(0) != 1) {
        linkFailed();
        return false;
    }
    ShowStatus();
    return true;
}

bool sendToRam(const ParameterSet &p, const char *actionName)
{
    ChangeAction action(actionName);
    if (IssueOrder(ORDER_WRITE_PARA_RAM, 0, &p, sizeof p) == 1)
        return true;
    CopyText(szStatus, "Transmission error [SEND]!");
    linkFailed();
    return false;
}

// After a failure on the line: the RAM set of the start goes back if the line still carries it.
void restoreAfterFailure()
{
    char status[kTextSize];
    CopyText(status, szStatus);
    bool restored = false;
    {
        ChangeAction action("AUTO SET-UP");
        restored = IssueOrder(ORDER_WRITE_PARA_RAM, 0, &g_undo, sizeof g_undo) == 1;
    }
    CopyText(szStatus, status);
    ShowStatus();
    if (restored)
        pset = g_undo;
    logStep(restored ? "The sensor's RAM set of the start is restored."
                     : "The sensor's RAM set could not be restored.");
}

void describeTrial(int trial, const ParameterSet &p)
{
    char text[160];
    std::snprintf(text, sizeof text, "%d: POWER %u, %.1f ms, V-THD %u %% -> %.1f %%, %.1f %% clipped", trial, p.Power,
                  p.Exposure_Time / 1000.0, p.Video_Thd_Mode == 1 ? p.Video_Thd_Auto : p.Video_Thd_Fix,
                  g_figures.peakPct, g_figures.saturatedPct);
    logStep(text);
}

bool edgesAndMarginsHold()
{
    return setup::JudgeRow(setup::ROW_EDGES, g_figures, YSCALE_FAC).verdict == setup::Verdict::Ok &&
           setup::JudgeRow(setup::ROW_MARGIN, g_figures, YSCALE_FAC).verdict == setup::Verdict::Ok;
}

// What ends the trials when light outside the band is to blame, named with its cure: ambient
// light grows with the exposure as the band does, so no power or exposure takes it out.
std::string ambientReason()
{
    char text[120];
    std::snprintf(text, sizeof text,
                  "ambient light lifts the background to %.0f %%: BACKGROUND-COMPENSATION ON, or shield the sensor",
                  g_figures.backgroundPct);
    return text;
}

// The trials: the light first, then the fixed threshold; -1 when the line failed.
int trySettings(ParameterSet &work, std::string &reason)
{
    const setup::ExposureLimits limits = setup::ExposureLimitsFor(work.CCD_OP_Mode, MIN_ITIME);
    // The exposure slider cannot show a time outside the limits (0, never set, included) and SEND
    // would send what it shows: the trials start from that.
    if (work.Exposure_Time < limits.minUs || work.Exposure_Time > limits.maxUs) {
        work.Exposure_Time = std::clamp(work.Exposure_Time, limits.minUs, limits.maxUs);
        char text[120];
        std::snprintf(text, sizeof text, "EXPOSURE-TIME set to %.1f ms, within the receiver mode's limits.",
                      work.Exposure_Time / 1000.0);
        logStep(text);
    }
    int thresholdMoves = 0;
    while (g_trials < kMaxSetupTrials) {
        if (stop_flag != 0) {
            reason = "stopped";
            return 0;
        }
        ++g_trials;
        if (!sendToRam(work, "AUTO SET-UP") || !takeProfile())
            return -1;
        judge(work);
        describeTrial(g_trials, work);
        setup::LightSetting next;
        const setup::LightStep step =
            setup::NextLightSetting({work.Power, work.Exposure_Time}, g_figures, limits, next);
        if (step == setup::LightStep::OutOfReach) {
            const bool bright = g_figures.saturatedPoints > 0 || g_figures.peakPct > 85.0;
            if (bright && setup::AmbientLight(g_figures))
                reason = ambientReason();
            else
                reason = bright ? "still too bright at the lowest power and exposure"
                                : "still too dark at full power and the longest exposure";
            return 0;
        }
        if (step == setup::LightStep::Adjusted) {
            work.Power = next.power;
            work.Exposure_Time = next.exposureUs;
            continue;
        }
        const std::uint16_t midway = setup::MidwayThresholdPct(g_figures, ADCMAX);
        if (work.Video_Thd_Mode == 0 && midway != work.Video_Thd_Fix && thresholdMoves < 2) {
            work.Video_Thd_Fix = midway;
            ++thresholdMoves;
            continue;
        }
        if (!edgesAndMarginsHold()) {
            // The sensor's AUTO threshold profile was taught at the light it had then; teaching it
            // again writes the EEPROM or needs a free measuring section, which is the operator's call.
            reason = setup::AmbientLight(g_figures) ? ambientReason()
                     : work.Video_Thd_Mode == 1 ? "the light is set; the AUTO threshold was taught at another light: "
                                                  "free the measuring section and press SAVE V-THD"
                                                : "the light is set; the edges need attention (see the rows)";
            return 0;
        }
        return 1;
    }
    reason = "no result within " + std::to_string(kMaxSetupTrials) + " trials";
    return 0;
}

} // namespace

const setup::VideoFigures &SetupFigures() { return g_figures; }
int SetupTrials() { return g_trials; }
const std::string &SetupResultText() { return g_result; }

void OpenSetupAssistant()
{
    if (pSetup == 0) {
        pSetup = LoadPanel(0, PANEL_SETUP);
        if (pSetup < 0) {
            pSetup = 0;
            return;
        }
        pSetupHelp = std::max(0, LoadPanel(pSetup, PANEL_SETUP_HELP));
        if (!g_result.empty())
            showResult(g_result, VAL_BLACK);
    }
    for (int id : {SETUP_ANALYSE, SETUP_AUTO})
        SetCtrlDimmed(pSetup, id, g_running);
    SetCtrlDimmed(pSetup, SETUP_UNDO, g_running || !g_haveUndo);
    showFigures();
    DisplayPanel(pSetup);
}

void DiscardSetupAssistant()
{
    if (pSetup != 0)
        DiscardPanel(pSetup);
    pSetup = pSetupHelp = 0;
    g_haveFigures = g_haveUndo = false;
    g_trials = 0;
    g_result.clear();
}

int AnalyseVideo()
{
    if (refused())
        return -1;
    holdControls(true);
    const bool taken = takeProfile();
    holdControls(false);
    if (!taken) {
        showResult("ANALYSE failed: the sensor did not answer.", kFaultColor);
        return -1;
    }
    judge(pset);
    showResult("Analysed one profile.", VAL_BLACK);
    return 1;
}

int RunAutoSetup()
{
    if (refused())
        return -1;
    if (pSetup != 0)
        ResetTextBox(pSetup, SETUP_STEPS, "");
    g_trials = 0;
    holdControls(true);
    showResult("AUTO SET-UP running ...", VAL_BLACK);
    if (IssueOrder(ORDER_READ_PARA_RAM, 0) != 1) {
        CopyText(szStatus, LinkFailureText("Timeout RS232-Line!", "TCP-Server-error!"));
        linkFailed();
        holdControls(false);
        showResult("AUTO SET-UP failed: the sensor's RAM set could not be read.", kFaultColor);
        return -1;
    }
    CopyAnswerData(&g_undo, sizeof g_undo);
    g_haveUndo = true;
    // The margins of an AUTO threshold are judged against the profile the sensor holds now.
    if (g_undo.Video_Thd_Mode == 1 && GetDATA(1) != 1) {
        linkFailed();
        holdControls(false);
        showResult("AUTO SET-UP failed: the sensor's threshold profile could not be read.", kFaultColor);
        return -1;
    }

    ParameterSet work = g_undo;
    if (work.Power_Mode != 0) {
        work.Power_Mode = 0;
        logStep("POWER-MODE set to FIXED: the assistant sets power and exposure itself.");
    }
    std::string reason;
    const int outcome = trySettings(work, reason);
    if (outcome < 0) {
        restoreAfterFailure();
        holdControls(false);
        if (exit_flag != 1)
            SetPanelValues();
        showResult("AUTO SET-UP failed: the line to the sensor failed.", kFaultColor);
        return -1;
    }
    pset = work;
    holdControls(false);
    SetPanelValues();
    showFigures();
    char text[200];
    if (outcome == 1)
        std::snprintf(text, sizeof text,
                      "AUTO SET-UP done in %d trials: peak %.1f %%, %s found. In the sensor's RAM only: SEND to "
                      "EEPROM keeps it, UNDO takes it back.",
                      g_trials, g_figures.peakPct, g_figures.crossings == 1 ? "the edge" : "both edges");
    else
        std::snprintf(text, sizeof text, "AUTO SET-UP ended after %d trial%s: %s. UNDO takes it back.", g_trials,
                      g_trials == 1 ? "" : "s", reason.c_str());
    showResult(text, outcome == 1 ? kOkColor : kFaultColor);
    return outcome;
}

int UndoSetup()
{
    if (!g_haveUndo || refused())
        return -1;
    holdControls(true);
    const bool sent = sendToRam(g_undo, "UNDO");
    // The rows judged the set just taken back: they judge the signal with the set put back.
    const bool analysed = sent && takeProfile();
    holdControls(false);
    if (!sent) {
        showResult("UNDO failed: the line to the sensor failed.", kFaultColor);
        return -1;
    }
    pset = g_undo;
    SetPanelValues();
    logStep("UNDO: the RAM set of the start is back in the sensor.");
    if (!analysed) {
        clearFigures();
        showResult("UNDO: the sensor's RAM holds the set from before AUTO SET-UP again; its signal could not be "
                   "read: ANALYSE.",
                   kFaultColor);
        return 1;
    }
    judge(pset);
    CopyText(szStatus, "Transmission successful - Line Ok!");
    ShowStatus();
    showResult("UNDO: the sensor's RAM holds the set from before AUTO SET-UP again; the rows show its signal.",
               VAL_BLACK);
    return 1;
}

int CC_BTNsetupAssistant(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(panel, control, event,
                                  "SET-UP ASSISTANT:\nReads the video signal and says what is wrong with it.\n"
                                  "AUTO SET-UP sets power, exposure and threshold\nin the sensor's RAM only."))
        return 0;
    if (event == EVENT_COMMIT)
        OpenSetupAssistant();
    return 0;
}

int CC_PANELsetup(int, int, int event, void *, int, int)
{
    if (event == EVENT_CLOSE && pSetup != 0)
        HidePanel(pSetup); // hidden, not discarded: the close arrives inside the window's own event handling
    return 0;
}

namespace {
void showHelp(int control, const char *text)
{
    if (pSetupHelp != 0)
        ShowWindowHelp(pSetupHelp, SETUP_HELP_TEXT, pSetup, control, text);
}
} // namespace

int CC_BTNsetupAnalyse(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        showHelp(control, kHelpAnalyse);
    if (event == EVENT_COMMIT)
        AnalyseVideo();
    return 0;
}

int CC_BTNsetupAuto(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        showHelp(control, kHelpAuto);
    if (event == EVENT_COMMIT)
        RunAutoSetup();
    return 0;
}

int CC_BTNsetupUndo(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        showHelp(control, kHelpUndo);
    if (event == EVENT_COMMIT)
        UndoSetup();
    return 0;
}

int CC_BTNsetupClose(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        showHelp(control, kHelpClose);
    if (event == EVENT_COMMIT && pSetup != 0)
        HidePanel(pSetup);
    return 0;
}
