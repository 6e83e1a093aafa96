// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The PLANT LINK dialog: the MQTT section of the settings file edited on screen. ACCEPT
// writes the settings file and connects with the new settings.

#include <string>

extern int pPlant; // the dialog's panel, 0 until PLANT LINK is first pressed

// Shows the link's state in the dialog while it is loaded.
void ShowPlantStateInDialog(const std::string &text);
void DiscardPlantDialog();

int CC_BTNplantLink(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNplantAccept(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNplantCancel(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_PANELplant(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
