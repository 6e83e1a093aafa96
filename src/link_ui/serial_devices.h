// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Serial devices by name on the connection page: the devices present on the machine,
// and binding one of them to the COM number in use, so that a USB adapter keeps its
// COM number under whatever /dev name it comes back.

// Refills the device list: "(no binding)", the devices present, and bound devices that
// are missing.
#include <string>

void FillSerialDeviceList();
// The text shown for a bound device that is not present, or empty when the port is
// usable (not bound, bound and present, or overridden by a com<n> link).
std::string MissingBoundDeviceText(int port);

int CC_DROPserialDevice(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNbindSerialDevice(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
