// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// How the automatic set-up moves the light: power first, the exposure time only where the
// power alone cannot reach the target or a too bright band would leave the power low at a long
// exposure, within the receiver mode's limits. Pure, for the window and the benchmark alike.

#include "setup/diagnosis.h"

#include <cstdint>

namespace setup {

struct LightSetting {
    std::uint16_t power = 0;      // 0..1000
    std::uint16_t exposureUs = 0; // steps of 100 µs
};

struct ExposureLimits {
    std::uint16_t minUs = 100;
    std::uint16_t maxUs = 10000;
};

// The shortest exposure the receiver mode allows (CCD-OP-Mode 2: 0.4 ms; 1: half the
// hardware's shortest; else the hardware's shortest), rounded up to whole 100 µs steps.
ExposureLimits ExposureLimitsFor(std::uint16_t ccdOpMode, double minItimeMs);

enum class LightStep { OnTarget, Adjusted, OutOfReach };

// The next setting to try after a profile measured with `current`; OnTarget when the peak lies
// near the middle of 70-85 % unclipped (or inside 70-85 % where the setting cannot come nearer);
// OutOfReach when the limits are reached and the band is still too dark or too bright.
LightStep NextLightSetting(const LightSetting &current, const VideoFigures &f, ExposureLimits limits,
                           LightSetting &next);

} // namespace setup
