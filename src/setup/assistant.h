// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The set-up assistant: a window of its own that reads the video signal for the operator
// (ANALYSE), sets power, exposure and the threshold in the sensor's RAM (AUTO SET-UP) and puts
// back the RAM set it found (UNDO). It never writes the EEPROM; SEND does, when the operator
// decides so.

#include "params/pset.h"
#include "setup/diagnosis.h"

#include <string>

extern int pSetupHelp; // the window's help pop-up, loaded and discarded with it
extern int
    pSetup; // set-up window, 0 until first opened; loaded by OpenSetupAssistant, cleared by DiscardSetupAssistant

constexpr int kMaxSetupTrials = 12;

// Opens (or brings up) the window with the last profile judged.
void OpenSetupAssistant();
// The way out: discards the window.
void DiscardSetupAssistant();

// One frame and one profile (as a VIDEO pass), judged in the window's rows: 1, or -1 when
// refused or when the line failed.
int AnalyseVideo();
// 1 when the band ended on target with its edges found, 0 when the assistant ended without
// that, -1 when refused or the line failed.
int RunAutoSetup();
// Sends the RAM set found at the start of the last AUTO SET-UP back: 1, or -1.
int UndoSetup();

// What the window shows, for the tests and the benchmark.
const setup::VideoFigures &SetupFigures();
int SetupTrials();                    // trials of the last AUTO SET-UP
const std::string &SetupResultText(); // the window's result line

// Second parameter page.
int CC_BTNsetupAssistant(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
// Set-up window.
int CC_PANELsetup(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNsetupAnalyse(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNsetupAuto(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNsetupUndo(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNsetupClose(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
