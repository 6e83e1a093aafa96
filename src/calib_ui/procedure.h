// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The slope calibration procedure: the calibration order and the callbacks of the
// first calibration page.

#include <cstdint>

// Order 12 with mode 0 (stop), 1 (start) or 2 (save: sends um-Slope); any other mode
// stops. 0 on success, -1 on a failed exchange; the outcome is in the status field.
int ActivateCalibration(std::uint16_t mode);

// True while the measurement or video loop runs and serves the calibration requests.
// After a loop ended (on a time-out, or a finished recording) no loop is left to
// serve a request, so the callbacks then send their orders themselves.
bool CalibrationLoopRunning();
// Derives the scaling and the millimetre displays from pset's slope and shows it as in use.
void ShowSlopeInUse();

int CC_CheckActivateCalib(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_ButtonAcceptCalib(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_ButtonRefreshCalib(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_ButtonDiscardCalib(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_ButtonGetFactorySettings(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
