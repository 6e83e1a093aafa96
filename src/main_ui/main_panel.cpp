// SPDX-License-Identifier: GPL-3.0-or-later

#include "main_ui/main_panel.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "files/settings.h"
#include "link/transport.h"
#include "link_ui/connection.h"
#include "platform/comm.h"
#include "recorder/recorder.h"
#include "ui/popup.h"
#include "ui/runtime.h"

using namespace ui;
using namespace panels;

namespace {
// Contact lines of the header band.
const char *const kContactLines[3] = {"K-VOR Sensor Technology", "Laser line-scan measuring systems",
                                      "service: +49 000 000000"};
constexpr int kBandColor = 0x0080FF;
} // namespace

void ShowInfoText(int backColor, int textColor, const char *text, int left, int top, int pointSize)
{
    const int id = NewTextMessage(pPA, text, top, left);
    if (id < 0)
        return;
    SetCtrlFont(pPA, id, "NIDialog", pointSize);
    SetCtrlTextColor(pPA, id, textColor);
    SetCtrlBackColor(pPA, id, backColor);
    SetCtrlTooltip(pPA, id, szSoftBuildDate);
    SetCtrlVal(pPA, id, text);
}

void ShowLogo(int brandVariant)
{
    if (brandVariant != 2)
        return;
    SetCtrlBackColor(pPA, MAIN_HEADER, kBandColor);
    SetCtrlPos(pPA, MAIN_LOGO, 10, 300);
    DisplayImageFile(pPA, MAIN_LOGO, "mq-vista-logo.png");
    for (int i = 0; i < 3; ++i)
        ShowInfoText(kBandColor, VAL_WHITE, kContactLines[i], 15, 10 + 15 * i, 11);
    ShowInfoText(kBandColor, VAL_WHITE, szSoftName, 300, 35, 18);
    ShowInfoText(kBandColor, VAL_WHITE, szVersion, 450, 42, 11);
}

int CC_PANEL(int panel, int /*control*/, int event, void *, int, int)
{
    switch (event) {
    case EVENT_CLOSE:
        // A running recording is not ended without a word: the operator may go on recording.
        if (RecordingRuns() && !ConfirmPopup("ATTENTION!", "DATA-RECORDER is recording! - Stop recording and close ?"))
            break;
        stop_flag = 1;
        exit_flag = 1;
        KeepExitFlag();
        WriteIniFile(appini_pathname);
        DelayWithEventProcessing(0.5);
        if (rs232con > 0) {
            if (GetOutQLen(rs232openport) > 0)
                FlushOutQ(rs232openport);
            if (GetInQLen(rs232openport) > 0)
                FlushInQ(rs232openport);
        }
        QuitUserInterface(0);
        break;
    case EVENT_PANEL_SIZE:
        SetStripChartTraces(panel, MAIN_ROLL_GRAPH, 6);
        SetStripChartTraceColor(panel, MAIN_ROLL_GRAPH, 1, 0x008000);
        SetStripChartTraceColor(panel, MAIN_ROLL_GRAPH, 2, 0x008000);
        SetStripChartTraceColor(panel, MAIN_ROLL_GRAPH, 3, 0x000000);
        for (int trace = 4; trace <= 6; ++trace)
            SetStripChartTraceColor(panel, MAIN_ROLL_GRAPH, trace, 0xFF0000);
        break;
    case EVENT_RIGHT_DOUBLE_CLICK:
        SetPanelSize(panel, 548, 780);
        CenterPanel(panel);
        break;
    default:
        break;
    }
    return 0;
}

int CC_PANELpopup(int panel, int /*control*/, int event, void *, int, int)
{
    switch (event) {
    case EVENT_LEFT_CLICK:
    case EVENT_RIGHT_CLICK:
    case EVENT_LOST_FOCUS:
    case EVENT_CLOSE:
        HidePanel(panel);
        break;
    default:
        break;
    }
    return 0;
}
