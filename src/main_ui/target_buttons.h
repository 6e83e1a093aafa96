// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The storage-target radio buttons of the main panel (RAM, EEPROM, FILE): one group
// that always has exactly one member on.

// Switches the group to the target given (RAM, EEPROM or DATFILE) and sets target.
void SelectStorageTarget(int which);

int CC_RBTRam(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_RBTEeprom(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_RBTFile(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
