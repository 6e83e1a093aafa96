// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Choosing a sensor model on the calibration service page fills both calibration pages
// with that model's default geometry. Nothing is sent to the sensor.

#include <cstdint>

// Micrometres per pixel and measuring range in micrometres of a hardware-type code;
// codes not known take 5.0 and 20000.
struct ModelGeometry {
    double micronsPerPixel;
    std::int32_t rangeMicrons;
};
ModelGeometry GeometryOfHardwareType(std::int32_t hardwareType);

void selectHARDWARE(int hardwareType);

int CC_DROPhwtype(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
