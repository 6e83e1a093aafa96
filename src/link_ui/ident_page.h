// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the window shows of an identification: the verdict, the receiver on the pages,
// the calibration header on the service page, and the sensor's RAM set on the pages.

// The whole identification: 1 when the sensor answered its echo and firmware text
// (err_flag then tells whether it is usable), 0 or less otherwise.
int InitDataExchange();
// The calibration header on the service page; the slope field shows slopeShown.
void ShowCalibrationHeader(double slopeShown);
