// SPDX-License-Identifier: GPL-3.0-or-later

#include "measurement.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mqsim {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Exposure of 0 (never set) runs at the receiver's standard exposure.
constexpr double kStandardExposureUs = 1000.0;
constexpr double kReadoutUsPerPixel = 0.125;

double exposureFactor(uint16_t exposureUs) { return exposureUs == 0 ? 1.0 : exposureUs / kStandardExposureUs; }

double cycleSeconds(const ParamSet &params)
{
    // The scan clock of the noise and the extremes; the reported cycle adds the read-out.
    const double exposure = params.Exposure_Time == 0 ? kStandardExposureUs : params.Exposure_Time;
    return std::max(200.0, exposure) * 1e-6;
}

// Uniform noise in [-1, 1], a pure function of (scan, channel).
double noise(int64_t scan, uint64_t channel)
{
    uint64_t z = static_cast<uint64_t>(scan) * 0x9E3779B97F4A7C15ull + channel * 0xBF58476D1CE4E5B9ull + 1;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

int64_t scanIndex(double t, const ParamSet &params)
{
    const double scans = std::floor(t / cycleSeconds(params));
    return std::isfinite(scans) ? static_cast<int64_t>(std::clamp(scans, -9.0e15, 9.0e15)) : 0;
}

uint16_t toPixel(double position, const Window &window)
{
    return static_cast<uint16_t>(std::clamp<long>(std::lround(position), window.begin, window.end));
}

double logistic(double x) { return 1.0 / (1.0 + std::exp(-x)); }

Curve movingAverage(const Curve &in, int width)
{
    if (width < 2)
        return in;
    Curve out{};
    const int half = width / 2;
    const int n = static_cast<int>(kCurvePoints);
    for (int i = 0; i < n; ++i) {
        const int from = std::max(0, i - half);
        const int to = std::min(n - 1, i - half + width - 1);
        unsigned sum = 0;
        for (int j = from; j <= to; ++j)
            sum += in[static_cast<size_t>(j)];
        out[static_cast<size_t>(i)] = static_cast<uint16_t>(sum / static_cast<unsigned>(to - from + 1));
    }
    return out;
}

} // namespace

Window evaluationWindow(const ParamSet &params, const Identity &identity)
{
    const int pixels = effectivePixelCount(identity);
    int begin = params.Eval_Begin;
    int end = params.Eval_End;
    if (begin < 1 || begin > pixels)
        begin = 1;
    if (end == 0 || end > pixels)
        end = pixels;
    if (end - begin < 16) // too narrow (or reversed) to hold an object: use the whole line
        return {1, pixels};
    return {begin, end};
}

EdgePair edgesAt(double t, const ParamSet &params, const Identity &identity, bool calibrating)
{
    // Calibration measures the reference object over the whole line, whatever the window.
    const Window window = calibrating ? Window{1, effectivePixelCount(identity)} : evaluationWindow(params, identity);
    const double span = window.end - window.begin;
    double width = span * (0.35 + 0.05 * std::sin(kTwoPi * t / 11.0 + 0.5));
    if (calibrating) // the reference object's true size in pixels
        width = std::min(span - 4.0, identity.referenceUm / trueMicronsPerPixel(identity));
    // The object drifts but never leaves the line.
    const double room = std::max(0.0, (span - width) / 2 - 2.0);
    const double drift = span * (0.12 * std::sin(kTwoPi * t / 23.0) + 0.04 * std::sin(kTwoPi * t / 5.3 + 1.0));
    const double centre = window.begin + span * 0.5 + std::clamp(drift, -room, room);
    // Averaging N scans shrinks the noise as a real ring buffer would.
    const double jitter = 0.6 / std::sqrt(static_cast<double>(std::max<int>(1, params.Average)));
    const int64_t scan = scanIndex(t, params);
    return {centre - width / 2 + jitter * noise(scan, 1), centre + width / 2 + jitter * noise(scan, 2)};
}

uint16_t measurementValue(uint16_t left, uint16_t right, const ParamSet &params, bool calibrating)
{
    if (calibrating) // the operator reads the reference object's size in pixels
        return static_cast<uint16_t>(right > left ? right - left : 0);
    switch (params.Eval_Mode) {
    case 0:
        return left;
    case 1:
        return right;
    default:
        return static_cast<uint16_t>((left + right) / 2);
    }
}

Optics opticsAt(double t, const ParamSet &params, const Identity &identity, const Scene &scene)
{
    const double full = adcMax(identity) - 1;
    // The band's light at a power of 500 and the standard exposure.
    const double usual = 0.9 * full * (std::clamp(scene.brightnessPct, 1.0, 1000.0) / 100.0);
    const double exposure = exposureFactor(params.Exposure_Time);
    // The regulated modes aim at 80 % of full scale and wander a little around the setting.
    const double target = 0.8 * full;
    Optics optics{};
    switch (params.Power_Mode) {
    case 1: {
        const double power = 500.0 * target / (usual * exposure) * (1.0 + 0.03 * std::sin(kTwoPi * t / 13.0));
        optics.dynPower = static_cast<uint16_t>(std::clamp<long>(std::lround(power), 1, 1000));
        optics.dynExposure = params.Exposure_Time;
        optics.level = usual * optics.dynPower / 500.0 * exposure;
        break;
    }
    case 2: {
        const double power = std::max<double>(1, params.Power);
        const double us =
            kStandardExposureUs * target / (usual * power / 500.0) * (1.0 + 0.05 * std::sin(kTwoPi * t / 17.0));
        optics.dynExposure = static_cast<uint16_t>(std::clamp<long>(std::lround(us), 100, 10000));
        optics.dynPower = params.Power;
        optics.level = usual * power / 500.0 * exposureFactor(optics.dynExposure);
        break;
    }
    default:
        optics.dynPower = params.Power;
        optics.dynExposure = params.Exposure_Time;
        optics.level = usual * params.Power / 500.0 * exposure;
        break;
    }
    return optics;
}

uint32_t cycleMicroseconds(const ParamSet &params, const Identity &identity)
{
    const double exposure = params.Exposure_Time == 0 ? kStandardExposureUs : params.Exposure_Time;
    const double cycle = std::max(200.0, exposure) + kReadoutUsPerPixel * effectivePixelCount(identity);
    return static_cast<uint32_t>(std::lround(cycle));
}

namespace {

// Stray light of the optics reaching the receiver, % of full scale at the standard exposure.
constexpr double kStrayPct = 2.0;
// What background compensation leaves of the background light.
constexpr double kCompensatedShare = 0.1;

struct Band {
    int pixels;
    double level;
    double flank;
    EdgePair edges;
    bool withObject;
    double background; // stray and ambient light, added everywhere
    double dirtDepth;  // 0..1
    double dirtCentre; // pixel
    double dirtSigma;  // pixels

    // Noise-free intensity at pixel x, saturating at full scale.
    double at(double x, double full) const
    {
        const double u = (x - pixels / 2.0) / (pixels / 2.0);
        const double envelope = 1.0 - 0.3 * u * u;
        const double shadow =
            withObject ? 1.0 - 0.95 * logistic((x - edges.left) / flank) * logistic((edges.right - x) / flank) : 1.0;
        const double d = (x - dirtCentre) / dirtSigma;
        const double dirt = 1.0 - dirtDepth * std::exp(-0.5 * d * d);
        return std::min(full, level * envelope * shadow * dirt + background);
    }
};

Band bandAt(double t, const ParamSet &params, const Identity &identity, bool calibrating, bool withObject,
            const Scene &scene)
{
    const int pixels = effectivePixelCount(identity);
    const Optics optics = opticsAt(t, params, identity, scene);
    const double full = adcMax(identity) - 1;
    // Background light is collected over the whole exposure; the compensation takes most of it out.
    double background =
        (kStrayPct + std::clamp(scene.ambientPct, 0.0, 100.0)) / 100.0 * full * exposureFactor(optics.dynExposure);
    if (params.Background_Mode == 1)
        background *= kCompensatedShare;
    const Window window = evaluationWindow(params, identity);
    const double span = window.end - window.begin;
    const double pointPixels = pixels / 256.0;
    return {pixels,
            optics.level,
            std::max(1.0, pixels / 512.0) * std::clamp(scene.defocus, 1.0, 50.0),
            edgesAt(t, params, identity, calibrating),
            withObject,
            background,
            std::clamp(scene.dirtPct, 0.0, 100.0) / 100.0,
            window.begin + span * std::clamp(scene.dirtAtPct, 0.0, 100.0) / 100.0,
            std::max(1.5 * pointPixels, 0.02 * span)};
}

Curve sampleVideo(const Band &band, double t, const ParamSet &params, const Identity &identity, const Scene &scene)
{
    const int fullScale = adcMax(identity);
    const double step = band.pixels / 256.0;
    const int64_t scan = scanIndex(t, params);
    const double amplitude = std::clamp(scene.noisePct, 0.0, 100.0) / 100.0 * fullScale;
    Curve video{};
    for (size_t i = 0; i < kCurvePoints; ++i) {
        const double x = static_cast<double>(i) * step;
        const double value = band.at(x, fullScale - 1) + amplitude * noise(scan, 16 + i);
        video[i] = static_cast<uint16_t>(std::clamp<long>(std::lround(value), 0, fullScale - 1));
    }
    return movingAverage(video, std::min<int>(params.Filter_Type, 64));
}

} // namespace

Curve videoAt(double t, const ParamSet &params, const Identity &identity, const Scene &scene)
{
    return sampleVideo(bandAt(t, params, identity, false, true, scene), t, params, identity, scene);
}

Curve emptyVideoAt(double t, const ParamSet &params, const Identity &identity, const Scene &scene)
{
    return sampleVideo(bandAt(t, params, identity, false, false, scene), t, params, identity, scene);
}

FoundEdges findEdges(double t, const ParamSet &params, const Identity &identity, bool calibrating,
                     const Curve *autoThreshold, const Scene &scene)
{
    const Band band = bandAt(t, params, identity, calibrating, true, scene);
    // The reference object of a calibration is measured at its true size: the sensor's
    // calibration mode fits the edges instead of cutting the flanks at the threshold.
    if (calibrating)
        return {2, band.edges.left, band.edges.right, false};
    const double full = adcMax(identity) - 1;
    const double step = band.pixels / 256.0;
    const auto threshold = [&](double x) {
        if (params.Video_Thd_Mode == 0)
            return static_cast<double>(adcMax(identity) * params.Video_Thd_Fix / 100);
        if (autoThreshold) {
            const auto i = static_cast<size_t>(std::clamp<long>(std::lround(x / step), 0, kCurvePoints - 1));
            return static_cast<double>((*autoThreshold)[i]);
        }
        Band empty = band;
        empty.withObject = false;
        return empty.at(x, full) * params.Video_Thd_Auto / 100.0;
    };
    // Searches pixel by pixel around the nominal edge for the crossing, refined linearly.
    const auto crossing = [&](double nominal, bool falling, double &at) {
        const double reach = 8.0 * band.flank;
        const double from = std::max(0.0, nominal - reach);
        const double to = std::min<double>(band.pixels - 1, nominal + reach);
        double previous = band.at(from, full) - threshold(from);
        for (double x = from + 1.0; x <= to; x += 1.0) {
            const double d = band.at(x, full) - threshold(x);
            if (falling ? (previous >= 0 && d < 0) : (previous < 0 && d >= 0)) {
                at = x - 1.0 + previous / (previous - d);
                return true;
            }
            previous = d;
        }
        return false;
    };
    FoundEdges found{};
    double left = 0, right = 0;
    const bool haveLeft = crossing(band.edges.left, true, left);
    const bool haveRight = crossing(band.edges.right, false, right);
    if (haveLeft && haveRight) {
        found = {2, left, right, false};
    } else if (haveLeft) {
        found = {1, left, 0.0, false};
    } else if (haveRight) {
        found = {1, right, 0.0, true};
    }
    return found;
}

Curve thresholdFrom(const Curve &video, unsigned percent, int adcFullScale)
{
    Curve scaled{};
    const Curve smooth = movingAverage(video, 9);
    for (size_t i = 0; i < kCurvePoints; ++i) {
        const unsigned long value = static_cast<unsigned long>(smooth[i]) * percent / 100;
        scaled[i] = static_cast<uint16_t>(std::min<unsigned long>(value, static_cast<unsigned long>(adcFullScale - 1)));
    }
    return scaled;
}

void MeasurementModel::track(uint16_t value)
{
    if (!haveExtremes_) {
        haveExtremes_ = true;
        max_ = min_ = value;
        return;
    }
    max_ = std::max(max_, value);
    min_ = std::min(min_, value);
}

namespace {

using Scan = MeasurementModel::Scan;

Scan scanAt(double t, const ParamSet &params, const Identity &identity, bool calibrating, const Curve *threshold,
            const Scene &scene)
{
    const Window window = calibrating ? Window{1, effectivePixelCount(identity)} : evaluationWindow(params, identity);
    const FoundEdges found = findEdges(t, params, identity, calibrating, threshold, scene);
    Scan scan;
    scan.edges = static_cast<uint16_t>(found.count);
    scan.onlyRight = found.onlyRight;
    if (found.count >= 1)
        scan.left = toPixel(found.left, window);
    if (found.count == 2) {
        scan.right = toPixel(found.right, window);
        scan.value = measurementValue(scan.left, scan.right, params, calibrating);
    } else if (found.count == 1) {
        scan.value = scan.left;
    }
    return scan;
}

} // namespace

const Scan &MeasurementModel::scanOf(int64_t index, double t, const ParamSet &params, const Identity &identity,
                                     bool calibrating, const Curve *autoThreshold, const Scene &scene)
{
    CachedScan &c = cache_;
    const bool same = c.valid && c.index == index && c.calibrating == calibrating &&
                      c.haveThreshold == (autoThreshold != nullptr) &&
                      (!autoThreshold || c.threshold == *autoThreshold) &&
                      std::memcmp(&c.params, &params, sizeof params) == 0 && c.identity == identity && c.scene == scene;
    if (!same) {
        c.valid = true;
        c.index = index;
        c.params = params;
        c.identity = identity;
        c.scene = scene;
        c.calibrating = calibrating;
        c.haveThreshold = autoThreshold != nullptr;
        if (autoThreshold)
            c.threshold = *autoThreshold;
        c.scan = scanAt(t, params, identity, calibrating, autoThreshold, scene);
    }
    return c.scan;
}

void MeasurementModel::trackUntil(double t, const ParamSet &params, const Identity &identity, bool calibrating,
                                  const Curve *autoThreshold, const Scene &scene)
{
    if (!haveExtremes_ || !std::isfinite(t))
        return;
    const double cycle = cycleSeconds(params);
    const int64_t index = scanIndex(t, params);
    const double scanStart = static_cast<double>(index) * cycle;
    if (scanStart <= lastTracked_)
        return;
    // The scans made since the last one tracked, sampled so a long pause stays cheap, then the one
    // under way.
    const double missed = std::min(64.0, std::floor((scanStart - lastTracked_) / cycle));
    for (int k = 1; k < static_cast<int>(missed); ++k) {
        const double scanTime = lastTracked_ + (scanStart - lastTracked_) * k / missed;
        const Scan missedScan = scanAt(scanTime, params, identity, calibrating, autoThreshold, scene);
        if (missedScan.edges > 0)
            track(missedScan.value);
    }
    const Scan &current = scanOf(index, scanStart, params, identity, calibrating, autoThreshold, scene);
    if (current.edges > 0)
        track(current.value);
    lastTracked_ = scanStart;
}

MeasRecord MeasurementModel::measure(double t, const ParamSet &params, const Identity &identity, bool calibrating,
                                     const Curve *autoThreshold, const Scene &scene)
{
    const Window window = calibrating ? Window{1, effectivePixelCount(identity)} : evaluationWindow(params, identity);
    const int64_t index = scanIndex(t, params);
    const double scanStart = static_cast<double>(index) * cycleSeconds(params);
    trackUntil(t, params, identity, calibrating, autoThreshold, scene);
    lastTracked_ = scanStart;

    const Scan scan = scanOf(index, scanStart, params, identity, calibrating, autoThreshold, scene);
    const Optics optics = opticsAt(t, params, identity, scene);
    const int pixels = effectivePixelCount(identity);
    MeasRecord record{};
    record.E_LEFT = scan.left;
    record.E_RIGHT = scan.right;
    record.EDGES = scan.edges;
    record.M_VALUE = scan.value;
    if (scan.edges > 0)
        track(record.M_VALUE);
    record.M_VAL_um = static_cast<uint32_t>(static_cast<uint64_t>(record.M_VALUE) * params.um_Slope / 16384);
    record.SETPOINT = params.Teach_Value;
    if (scan.edges == 2) {
        record.SIDE_VALUE_1 = static_cast<uint16_t>(record.E_LEFT - window.begin);
        record.SIDE_VALUE_2 = static_cast<uint16_t>(window.end - record.E_RIGHT);
    } else if (scan.edges == 1) {
        // A single falling edge has the shadow to its right, a rising one to its left.
        record.SIDE_VALUE_1 = scan.onlyRight ? 1 : 0;
        record.SIDE_VALUE_2 = scan.onlyRight ? 0 : 1;
    }
    // No extremes yet: the sensor reports the empty range (max 0, min at the line's end).
    record.MAX_VALUE = haveExtremes_ ? max_ : 0;
    record.MIN_VALUE = haveExtremes_ ? min_ : static_cast<uint16_t>(pixels - 1);
    // IN0 is high while the line is triggered, or for one second in five when it is wired as an input.
    const bool in0 = params.RS_232_Mode == 1 || (params.Ext_Trigger_Mode > 0 && std::fmod(std::fabs(t), 5.0) < 1.0);
    record.IN_STATE = in0 ? 1 : 5;
    if (scan.edges == 2)
        record.DARK_PIXELS = static_cast<uint16_t>(record.E_RIGHT - record.E_LEFT);
    else if (scan.edges == 1)
        record.DARK_PIXELS =
            static_cast<uint16_t>(scan.onlyRight ? record.E_LEFT - window.begin : window.end - record.E_LEFT);
    record.DYN_POWER = optics.dynPower;
    record.DYN_EXPOSURE = optics.dynExposure;
    record.AUTO_TOL = params.Tolerance_Mode > 0
                          ? static_cast<uint16_t>(
                                std::max(1u, static_cast<unsigned>(params.Teach_Value) * params.Tolerance_Mode / 100u))
                          : 0;
    record.CYCLE_TIME = cycleMicroseconds(params, identity);
    return record;
}

} // namespace mqsim
