// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Moving the parameter set between the panel and the sensor's RAM or EEPROM.

#include "base/state.h"

#include <cstdint>

// Reads the set from the sensor (RAM or EEPROM) and shows it; with DATFILE the set
// was read from a file already and is only shown.
void PushGET(std::uint16_t target);
// Sends pset to the sensor's RAM (order 1) or EEPROM (order 3); the panel is not changed.
void PushSEND(std::uint16_t target);

int CC_BTNGet(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNSend(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
