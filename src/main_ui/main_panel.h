// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The main panel itself: its header band and the callbacks of the main panel and the help
// pop-up.

void ShowLogo(int brandVariant);
void ShowInfoText(int backColor, int textColor, const char *text, int left, int top, int pointSize);

int CC_PANEL(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_PANELpopup(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
