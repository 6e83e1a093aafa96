#pragma once
// The slope calibration procedure: the calibration order and the callbacks of the
// first calibration page.

#include <cstdint>

// Order 12 with mode 0 (stop), 1 (start) or 2 (save: sends um-Slope); any other mode
// stops. 0 on success, -1 on a failed exchange; the outcome is in the status field.
int ActivateCalibration(std::uint16_t mode);
