// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Identifying the sensor behind a freshly opened link: echo, firmware text, hardware
// information, compatibility and calibration header. What the window shows of it is done
// by the connection page (InitDataExchange); a program without windows uses IdentifySensor.

#include <string>

int CheckComLine();
int GetVERSIONInfo();
// Reads the hardware information and derives the receiver's constants (pixel count, ADC
// range, model, minimum exposure, precision); receiverView says what the window shows.
int GetHARDWAREInfo();

// What the window shows of the receiver read last by GetHARDWAREInfo.
struct ReceiverView {
    bool described = false; // the service page's hardware text is `description`
    std::string description;
    bool twoDecimals = false;      // millimetre displays with two decimals
    bool hardwareTypeStep = false; // the served family: controls that depend on the hardware type
    bool unitScaling = false;      // graphs and displays follow the new receiver's scale
};
extern ReceiverView receiverView;

// How an identification ended.
struct IdentifyOutcome {
    int result = 0;            // 1: the sensor answered its echo and firmware text (err_flag then
                               // tells whether it is served); 0 or less otherwise
    bool echoed = false;       // the sensor answered its echo
    bool hardwareRead = false; // receiverView is the identified sensor's
    bool served = false;       // a served sensor, its calibration header read into cal
    int dim = -1;              // the exchange controls: 1 dimmed, 0 usable, -1 left as they are
    std::string refusal;       // the operator's message when the sensor is refused, else empty
    std::string log;           // the line for the link's history
};
// The whole identification; szStatus holds the text to show, err_flag whether the sensor
// is served.
IdentifyOutcome IdentifySensor();

// The short version shown in the header band and status line.
std::string ShortFirmwareVersion(const char *firmwareText);
