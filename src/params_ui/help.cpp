// SPDX-License-Identifier: GPL-3.0-or-later

#include "params_ui/help.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "ui/runtime.h"

using namespace ui;
using namespace panels;

void ShowHelpPopup(int top, int left, const char *text)
{
    ResetTextBox(pPH, HELP_TEXT, text);
    FitPanelToTextBox(pPH, HELP_TEXT);
    SetPanelPos(pPH, top, left);
    DisplayPanel(pPH);
}

void ShowWindowHelp(int popup, int textBox, int window, int control, const char *text)
{
    Rect r;
    GetCtrlBoundingRect(window, control, &r);
    ResetTextBox(popup, textBox, text);
    FitPanelToTextBox(popup, textBox);
    SetPanelPos(popup, r.top + 25, r.left + r.width + 5);
    DisplayPanel(popup);
}

void ShowHelpRightOf(int anchorPanel, int anchor, int page, int control, const char *text)
{
    Rect a, ctl;
    GetCtrlBoundingRect(anchorPanel, anchor, &a);
    GetCtrlBoundingRect(page, control, &ctl);
    ShowHelpPopup(a.top + ctl.top + 25, a.left + a.width + 5, text);
}

void ShowParameterHelp(int page, int control, const char *text) { ShowHelpRightOf(pPA, MAIN_TAB, page, control, text); }

void ShowHelpBesideControl(int panel, int control, int topOffset, int rightOffset, const char *text)
{
    Rect r;
    GetCtrlBoundingRect(panel, control, &r);
    ShowHelpPopup(r.top + topOffset, r.left + r.width + rightOffset, text);
}

bool ParameterHelpOnRightClick(int page, int control, int event, const char *text)
{
    if (event != EVENT_RIGHT_CLICK)
        return false;
    ShowParameterHelp(page, control, text);
    return true;
}
