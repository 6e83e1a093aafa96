#include "measurement.h"

#include <algorithm>
#include <cmath>

namespace mqsim {

namespace {

constexpr double kTwoPi = 6.283185307179586;

double cycleSeconds(const ParamSet &params)
{
    return 0.001 * std::max<int>(1, params.Average);
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

double logistic(double x)
{
    return 1.0 / (1.0 + std::exp(-x));
}

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

Curve videoAt(double t, const ParamSet &params, const Identity &identity)
{
    const int pixels = effectivePixelCount(identity);
    const int fullScale = adcMax(identity);
    const EdgePair edges = edgesAt(t, params, identity, false);
    double level;
    if (params.Power_Mode == 1 || params.Power_Mode == 2)
        level = 0.8 * (fullScale - 1); // the sensor regulates itself to a fixed brightness
    else
        level = 0.9 * (fullScale - 1) * params.Power / 500.0;
    const double flank = std::max(1.0, pixels / 512.0);
    const double step = pixels / 256.0;
    const int64_t scan = scanIndex(t, params);

    Curve video{};
    for (size_t i = 0; i < kCurvePoints; ++i) {
        const double x = static_cast<double>(i) * step;
        const double u = (x - pixels / 2.0) / (pixels / 2.0);
        const double envelope = 1.0 - 0.3 * u * u;
        const double shadow = 1.0 - 0.95 * logistic((x - edges.left) / flank) * logistic((edges.right - x) / flank);
        const double value = level * envelope * shadow + 0.01 * fullScale * noise(scan, 16 + i);
        video[i] = static_cast<uint16_t>(std::clamp<long>(std::lround(value), 0, fullScale - 1));
    }
    return movingAverage(video, std::min<int>(params.Filter_Type, 64));
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

MeasRecord MeasurementModel::measure(double t, const ParamSet &params, const Identity &identity, bool calibrating)
{
    const Window window = calibrating ? Window{1, effectivePixelCount(identity)} : evaluationWindow(params, identity);
    // Catch up with the scans made since the last record, sampled so a long pause stays cheap.
    if (haveExtremes_ && t > lastTracked_) {
        const double cycle = cycleSeconds(params);
        const double missed = std::min(256.0, std::floor((t - lastTracked_) / cycle));
        for (int k = 1; k < static_cast<int>(missed); ++k) {
            const double scanTime = lastTracked_ + (t - lastTracked_) * k / missed;
            const EdgePair scanEdges = edgesAt(scanTime, params, identity, calibrating);
            track(measurementValue(toPixel(scanEdges.left, window), toPixel(scanEdges.right, window), params,
                                   calibrating));
        }
    }
    lastTracked_ = t;

    const EdgePair edges = edgesAt(t, params, identity, calibrating);
    MeasRecord record{};
    record.E_LEFT = toPixel(edges.left, window);
    record.E_RIGHT = toPixel(edges.right, window);
    record.EDGES = 2;
    record.M_VALUE = measurementValue(record.E_LEFT, record.E_RIGHT, params, calibrating);
    track(record.M_VALUE);
    record.M_VAL_um = static_cast<uint32_t>(static_cast<uint64_t>(record.M_VALUE) * params.um_Slope / 16384);
    record.SETPOINT = params.Teach_Value;
    record.SIDE_VALUE_1 = static_cast<uint16_t>(record.E_LEFT - window.begin);
    record.SIDE_VALUE_2 = static_cast<uint16_t>(window.end - record.E_RIGHT);
    record.MAX_VALUE = max_;
    record.MIN_VALUE = min_;
    // IN0 is high while the line is triggered, or for one second in five when it is wired as an input.
    const bool in0 = params.RS_232_Mode == 1 || (params.Ext_Trigger_Mode > 0 && std::fmod(std::fabs(t), 5.0) < 1.0);
    record.IN_STATE = in0 ? 1 : 5;
    record.DARK_PIXELS = static_cast<uint16_t>(record.E_RIGHT - record.E_LEFT);
    record.DYN_POWER = params.Power_Mode == 1
                           ? static_cast<uint16_t>(std::lround(444.0 * (1.0 + 0.03 * std::sin(kTwoPi * t / 13.0))))
                           : params.Power;
    record.DYN_EXPOSURE = params.Power_Mode == 2
                              ? static_cast<uint16_t>(std::lround(1400.0 * (1.0 + 0.05 * std::sin(kTwoPi * t / 17.0))))
                              : params.Exposure_Time;
    record.AUTO_TOL = params.Tolerance_Mode > 0
                          ? static_cast<uint16_t>(std::max(1u, static_cast<unsigned>(params.Teach_Value) *
                                                                   params.Tolerance_Mode / 100u))
                          : 0;
    record.CYCLE_TIME = 1000u * std::max<unsigned>(1u, params.Average);
    return record;
}

} // namespace mqsim
