// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/records.h"

ParameterSet pset;
CalibrationHeader cal;
HardwareInfo hwinfo;
MeasurementRecord raw;
std::uint16_t adbuf[kCurvePoints];
std::uint16_t vtbuf[kCurvePoints];
std::uint16_t thdArray[kCurvePoints];
std::uint16_t thdArrayEE[kCurvePoints];
std::uint16_t thdArrayDYN[kCurvePoints];
unsigned char datbuf[512];
unsigned char wbuf[520];
