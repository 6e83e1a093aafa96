#pragma once
// Identifying the sensor behind a freshly opened link: echo, firmware text, hardware
// information, compatibility, calibration header and the parameter set.

#include <string>

int CheckComLine();
int GetVERSIONInfo();
int GetHARDWAREInfo();
// The whole identification: 1 when the sensor answered its echo and firmware text
// (err_flag then tells whether it is usable), 0 or less otherwise.
int InitDataExchange();

// The short version shown in the header band and status line.
std::string ShortFirmwareVersion(const char *firmwareText);
// The calibration header on the service page; the slope field shows slopeShown.
void ShowCalibrationHeader(double slopeShown);
