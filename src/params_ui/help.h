// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Help texts of the parameter controls: the pop-up stands right of the main tab
// control, level with the clicked control.

// Shows a help text in the help pop-up at the given panel position (kept inside the window).
void ShowHelpPopup(int top, int left, const char *text);
// Shows a help text beside a control of a window of its own (the statistics and set-up
// windows) in that window's help pop-up `popup` with its text box `textBox`.
void ShowWindowHelp(int popup, int textBox, int window, int control, const char *text);
// Shows text right of an anchor control of the main panel, level with control on its page.
void ShowHelpRightOf(int anchorPanel, int anchor, int page, int control, const char *text);
// Shows text beside the tab control, level with control on its page.
void ShowParameterHelp(int page, int control, const char *text);
// Shows text at an offset from a control's top and right edge on its own panel.
void ShowHelpBesideControl(int panel, int control, int topOffset, int rightOffset, const char *text);
// On a right click shows the help text and returns true; other events return false.
bool ParameterHelpOnRightClick(int page, int control, int event, const char *text);
