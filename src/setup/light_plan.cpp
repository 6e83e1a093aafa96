// SPDX-License-Identifier: GPL-3.0-or-later

#include "setup/light_plan.h"

#include <algorithm>
#include <cmath>

namespace setup {

namespace {

constexpr double kTargetPct = 77.5;
// A peak this close to the target ends the light trials: the edges of a single profile are
// noticeably noisier towards the band's lower end, so a peak merely inside 70-85 % gets one
// more step towards the middle.
constexpr double kAimPct = 2.5;
constexpr int kMinPower = 20; // below this the light source is not steady
// A long exposure gathers stray and ambient light under the band as well: a band too bright
// gets a shorter exposure rather than a power below this (the background and the edges' noise
// stay low).
constexpr int kLowPower = 250;
constexpr int kMaxPower = 1000;

std::uint16_t exposureSteps(double us, ExposureLimits limits, bool up)
{
    const double steps = up ? std::ceil(us / 100.0 - 1e-9) : std::floor(us / 100.0 + 1e-9);
    return static_cast<std::uint16_t>(std::clamp(steps * 100.0, double(limits.minUs), double(limits.maxUs)));
}

// By how much the light has to change: proportional on the band above the background while the
// band is visible and unclipped; by the clipped share while it is clipped.
double lightFactor(const VideoFigures &f)
{
    if (f.saturatedPoints > 0) {
        const double bandShare = f.saturatedPct / 100.0;
        return bandShare >= 0.6 ? 0.15 : bandShare >= 0.3 ? 0.35 : 0.6;
    }
    const double above = f.peakPct - f.backgroundPct;
    if (above < 3.0) // nothing but noise above the background
        return 8.0;
    return std::clamp((kTargetPct - f.backgroundPct) / above, 0.05, 8.0);
}

} // namespace

ExposureLimits ExposureLimitsFor(std::uint16_t ccdOpMode, double minItimeMs)
{
    const double minimumMs = ccdOpMode == 2 ? 0.4 : ccdOpMode == 1 ? minItimeMs / 2 : minItimeMs;
    ExposureLimits limits;
    limits.minUs = static_cast<std::uint16_t>(std::clamp(std::ceil(minimumMs * 10.0 - 1e-9) * 100.0, 100.0, 10000.0));
    return limits;
}

LightStep NextLightSetting(const LightSetting &current, const VideoFigures &f, ExposureLimits limits,
                           LightSetting &next)
{
    next = current;
    if (PeakOnTarget(f) && std::fabs(f.peakPct - kTargetPct) <= kAimPct)
        return LightStep::OnTarget;
    const double factor = lightFactor(f);
    const double power = std::max(1.0, static_cast<double>(current.power));
    // The exposure stays (as it is, even outside the limits) unless the power alone cannot
    // make up the light, or would have to fall below kLowPower at an exposure that can shorten.
    const double exposure = std::clamp<double>(current.exposureUs, limits.minUs, limits.maxUs);
    const double lowest = factor < 1.0 && exposure > limits.minUs ? kLowPower : kMinPower;
    if (power * factor > kMaxPower || power * factor < lowest) {
        const double wanted = power * exposure * factor;
        const bool up = power * factor > kMaxPower;
        next.exposureUs = exposureSteps(wanted / (up ? kMaxPower : lowest), limits, up);
        next.power =
            static_cast<std::uint16_t>(std::clamp<long>(std::lround(wanted / next.exposureUs), kMinPower, kMaxPower));
    } else {
        next.power = static_cast<std::uint16_t>(std::lround(power * factor));
    }
    if (next.power == current.power && next.exposureUs == current.exposureUs)
        return PeakOnTarget(f) ? LightStep::OnTarget : LightStep::OutOfReach;
    return LightStep::Adjusted;
}

} // namespace setup
