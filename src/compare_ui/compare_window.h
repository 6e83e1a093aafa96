// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The compare-sets window: the set on the pages beside the sensor's RAM and EEPROM sets and a
// file's (a parameter file or a backup), field by field under the parameter-file keys, the
// cells that differ from the pages marked. TAKE puts a column's set on the pages as GET does;
// nothing reaches the sensor before SEND.

#include "base/records.h"

#include <string>

extern int pCompare; // the window's panel while it is loaded, else 0

enum CompareColumn { COMPARE_PANEL = 0, COMPARE_RAM = 1, COMPARE_EEPROM = 2, COMPARE_FILE_SET = 3 };

int OpenCompareWindow();
// Reads the sensor's RAM and EEPROM sets into their columns; false (said in the window) while a
// loop runs or when the sensor does not answer.
bool ReadSensorSetsForCompare();
// Takes a parameter file (.ini) or a backup (.json) into the FILE column; false with the reason shown.
bool LoadCompareFile(const std::string &path);
// Puts a column's set on the pages (normalised and shown, as GET); false when the column is empty.
bool TakeCompareColumn(CompareColumn column);
// Shows every column again against the pages.
void RefreshCompareWindow();
void CloseCompareWindow();
void DiscardCompareWindow();

int CC_BTNcompareSets(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_PANELcompare(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNcompareRead(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNcompareFile(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNcompareTake(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNcompareClose(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
