// SPDX-License-Identifier: GPL-3.0-or-later

#include "setup/diagnosis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace setup {

namespace {

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    return *mid;
}

// The threshold the sensor compares point i with.
double thresholdAt(const VideoInput &in, const ParameterSet &p, int i)
{
    if (p.Video_Thd_Mode == 1 && in.autoThreshold)
        return in.autoThreshold[i];
    return static_cast<double>(in.adcMax * p.Video_Thd_Fix / 100);
}

// A level beside an edge as a straight line over the pixels: the band is seldom level, and a
// level taken a few points off the edge is not the level at the edge.
struct Level {
    double x0 = 0, at = 0, slope = 0;
    double operator()(double x) const { return at + slope * (x - x0); }
};

// The plateau on one side of the crossing: from `start` outwards in steps of `dir`, past the
// flank's points (those inside `flank`) and as many points again as a margin (at least one),
// then up to `points` points that stay on their side of `split`: their mean, and with `sloped`
// a straight line through them. `fallback` where the plateau has no point.
template <typename InFlank>
Level plateauLevel(const VideoInput &in, int start, int dir, int from, int to, bool bright, double split,
                   const InFlank &inFlank, int points, bool sloped, double fallback)
{
    int i = start, flankPoints = 0;
    for (; i >= from && i <= to && inFlank(i); i += dir)
        ++flankPoints;
    i += dir * std::max(1, flankPoints);
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (; i >= from && i <= to && n < points && (in.video[i] > split) == bright; i += dir) {
        const double x = in.pixelOf[i], y = in.video[i];
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    if (n == 0)
        return {0.0, fallback, 0.0};
    Level line{sx / n, sy / n, 0.0};
    const double sxxCentred = sxx - sx * sx / n;
    if (sloped && n >= 2 && sxxCentred > 1e-9)
        line.slope = (sxy - sx * sy / n) / sxxCentred;
    return line;
}

// The edge next to a threshold crossing between points a and a + 1, judged on the local swing:
// the band is seldom level over the whole line, and its far ends say nothing about this edge.
// Its position is where the profile passes halfway between the band and the shadow, both taken
// as straight lines through their plateaus beside the edge, which does not move with the
// threshold; the transition is the points between 10 % and 90 %.
void describeEdge(const VideoInput &in, int a, Crossing &c)
{
    constexpr int kReach = 16;
    const int from = std::max(0, a - kReach), to = std::min(kPoints - 1, a + 1 + kReach);
    const auto [lo, hi] = std::minmax_element(in.video + from, in.video + to + 1);
    const double split = (*lo + *hi) / 2.0;
    // Medians, not extremes: noise on the plateau is no transition.
    std::vector<double> band, shadow;
    for (int i = from; i <= to; ++i)
        (in.video[i] > split ? band : shadow).push_back(in.video[i]);
    const double bandMedian = median(band), shadowMedian = median(shadow);
    const double low = shadowMedian + 0.1 * (bandMedian - shadowMedian);
    const double high = shadowMedian + 0.9 * (bandMedian - shadowMedian);
    const auto inside = [&](int i) { return in.video[i] > low && in.video[i] < high; };
    c.transitionPoints = 0;
    for (int i = a; i >= from && inside(i); --i)
        ++c.transitionPoints;
    for (int i = a + 1; i <= to && inside(i); ++i)
        ++c.transitionPoints;

    // A falling edge has the band before it, a rising one after it. The band's slope beside the
    // edge moves the halfway level by a good part of a pixel; the shadow holds too little light
    // for a slope worth its noise.
    const int bandStart = c.falling ? a : a + 1, shadowStart = c.falling ? a + 1 : a;
    const int bandDir = c.falling ? -1 : 1;
    const Level bandLine = plateauLevel(in, bandStart, bandDir, from, to, true, split, inside, 16, true, bandMedian);
    const Level shadowLine =
        plateauLevel(in, shadowStart, -bandDir, from, to, false, split, inside, 12, false, shadowMedian);
    c.localBand = bandLine(c.pixel);
    c.localBackground = shadowLine(c.pixel);

    // Each point's share of the swing at its own place; on the flank the share is S-shaped, so
    // its log-odds are a straight line whose zero is the edge.
    const auto share = [&](int i) {
        const double swing = bandLine(in.pixelOf[i]) - shadowLine(in.pixelOf[i]);
        return swing > 0 ? (in.video[i] - shadowLine(in.pixelOf[i])) / swing : 0.5;
    };
    const auto logOdds = [&](int i) {
        const double y = std::clamp(share(i), 0.02, 0.98);
        return std::log(y / (1.0 - y));
    };
    if (c.localBand <= c.localBackground)
        return;
    // The halfway crossing nearest to the threshold crossing, in the same direction, then a
    // straight line through the log-odds of the flank's points around it, each weighted by how
    // little the noise moves it there. Keeps the two-point value when the flank has too few
    // points for the line.
    for (int step = 0; step <= kReach; ++step) {
        for (int j : {a - step, a + step}) {
            if (j < from || j + 1 > to)
                continue;
            const double d0 = logOdds(j), d1 = logOdds(j + 1);
            if (!(c.falling ? (d0 > 0 && d1 <= 0) : (d0 <= 0 && d1 > 0)))
                continue;
            c.pixel = in.pixelOf[j] + d0 / (d0 - d1) * (in.pixelOf[j + 1] - in.pixelOf[j]);
            double sw = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
            int used = 0;
            for (int i = std::max(0, j - 2); i <= std::min(kPoints - 1, j + 3); ++i) {
                const double y = share(i);
                if (y < 0.03 || y > 0.97)
                    continue;
                const double w = y * y * (1 - y) * (1 - y);
                const double x = in.pixelOf[i], l = logOdds(i);
                sw += w;
                sx += w * x;
                sy += w * l;
                sxx += w * x * x;
                sxy += w * x * l;
                ++used;
            }
            const double det = sw * sxx - sx * sx;
            if (used >= 3 && std::fabs(det) > 1e-12) {
                const double slope = (sw * sxy - sx * sy) / det;
                const double x = -(sy - slope * sx) / sw / slope;
                if ((c.falling ? slope < 0 : slope > 0) && x >= in.pixelOf[std::max(0, j - 1)] &&
                    x <= in.pixelOf[std::min(kPoints - 1, j + 2)])
                    c.pixel = x;
            }
            c.localBand = bandLine(c.pixel);
            c.localBackground = shadowLine(c.pixel);
            return;
        }
    }
}

} // namespace

VideoFigures MeasureVideo(const VideoInput &in, const ParameterSet &p)
{
    VideoFigures f;
    const double full = in.adcMax;
    const std::uint16_t clip = static_cast<std::uint16_t>(std::max(1, in.adcMax) - 1);
    std::uint16_t lo = in.video[0], hi = in.video[0];
    for (int i = 0; i < kPoints; ++i) {
        lo = std::min(lo, in.video[i]);
        hi = std::max(hi, in.video[i]);
        f.saturatedPoints += in.video[i] >= clip;
    }
    f.saturatedPct = 100.0 * f.saturatedPoints / kPoints;
    f.peakPct = 100.0 * hi / full;
    f.pixelsPerPoint = (in.pixelOf[kPoints - 1] - in.pixelOf[0]) / (kPoints - 1);

    // Band and background split halfway between the darkest and the brightest point.
    const double split = (lo + hi) / 2.0;
    std::vector<double> band, background;
    for (int i = 0; i < kPoints; ++i)
        (in.video[i] > split ? band : background).push_back(in.video[i]);
    f.bandLevel = median(band);
    f.backgroundLevel = background.empty() ? f.bandLevel : median(background);
    const double contrast = f.bandLevel - f.backgroundLevel;
    f.backgroundPct = 100.0 * f.backgroundLevel / full;
    f.contrastPct = 100.0 * contrast / full;

    // Crossings inside the evaluation window (pixels are 1-based there, point positions 0-based).
    const double first = std::max<int>(1, p.Eval_Begin) - 1;
    const double last = p.Eval_End >= p.Eval_Begin && p.Eval_End > 0 ? p.Eval_End - 1 : in.pixelOf[kPoints - 1];
    const double high = f.backgroundLevel + 0.9 * contrast;
    double thresholdSum = 0.0;
    std::vector<double> windowThreshold;
    int previous = -1;
    for (int i = 0; i < kPoints; ++i) {
        if (in.pixelOf[i] < first || in.pixelOf[i] > last)
            continue;
        windowThreshold.push_back(thresholdAt(in, p, i));
        if (previous >= 0) {
            const double d0 = in.video[previous] - thresholdAt(in, p, previous);
            const double d1 = in.video[i] - thresholdAt(in, p, i);
            if ((d0 > 0) != (d1 > 0)) {
                if (f.crossings < kMaxEdges) {
                    const double share = d0 / (d0 - d1);
                    Crossing &c = f.edges[static_cast<size_t>(f.crossings)];
                    c.pixel = in.pixelOf[previous] + share * (in.pixelOf[i] - in.pixelOf[previous]);
                    c.falling = d0 > 0;
                    describeEdge(in, previous, c);
                    f.softestEdge = std::max(f.softestEdge, c.transitionPoints);
                    thresholdSum +=
                        thresholdAt(in, p, previous) + share * (thresholdAt(in, p, i) - thresholdAt(in, p, previous));
                }
                ++f.crossings;
            }
        }
        previous = i;
    }
    const int kept = std::min(f.crossings, kMaxEdges);
    f.thresholdLevel = kept > 0 ? thresholdSum / kept : median(windowThreshold);
    if (contrast > 0) {
        f.lowerMarginPct = 100.0 * (f.thresholdLevel - f.backgroundLevel) / contrast;
        f.upperMarginPct = 100.0 * (f.bandLevel - f.thresholdLevel) / contrast;
    }
    // The first edge is measured in mode 0; the other modes need both.
    f.minEdges = p.Eval_Mode == 0 ? 1 : 2;
    f.maxEdges = 2;

    // Noise from second differences on the unclipped plateau: the band's slow curvature drops out.
    double sum = 0.0;
    int n = 0;
    const auto plateau = [&](int i) { return in.video[i] >= high && in.video[i] < clip; };
    for (int i = 1; i + 1 < kPoints; ++i) {
        if (!plateau(i - 1) || !plateau(i) || !plateau(i + 1))
            continue;
        const double e = static_cast<double>(in.video[i + 1]) - 2.0 * in.video[i] + in.video[i - 1];
        sum += e * e;
        ++n;
    }
    f.haveNoise = n >= 8;
    if (f.haveNoise)
        f.noisePct = 100.0 * std::sqrt(sum / n / 6.0) / full;
    return f;
}

namespace {

Verdict band(double value, double okFrom, double okTo, double checkFrom, double checkTo)
{
    if (value >= okFrom && value <= okTo)
        return Verdict::Ok;
    if (value >= checkFrom && value <= checkTo)
        return Verdict::Check;
    return Verdict::Fault;
}

std::string format(const char *pattern, double a, double b = 0.0, double c = 0.0)
{
    char text[96];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

RowJudgement edgesRow(const VideoFigures &f, double mmPerPixel)
{
    RowJudgement r;
    char text[200];
    int used =
        std::snprintf(text, sizeof text, "%d of %d%s", f.crossings, f.minEdges, f.minEdges == f.maxEdges ? "" : "-2");
    for (int k = 0; k < std::min(f.crossings, 4) && used > 0 && used < static_cast<int>(sizeof text); ++k) {
        const Crossing &c = f.edges[static_cast<size_t>(k)];
        used += std::snprintf(text + used, sizeof text - static_cast<size_t>(used), "%s %.1f px (%.3f mm)",
                              k == 0 ? ":" : ",", c.pixel, c.pixel * mmPerPixel);
    }
    r.figure = text;
    if (f.crossings >= f.minEdges && f.crossings <= f.maxEdges)
        return r;
    r.verdict = Verdict::Fault;
    if (f.crossings == 0)
        r.advice = "No edge: the threshold misses the signal, or no object in the window.";
    else if (f.crossings < f.minEdges)
        r.advice = "One edge only: centre the object in the window, or widen it.";
    else
        r.advice = "Too many edges: clean the sensor's window (a dip crosses the threshold).";
    return r;
}

} // namespace

RowJudgement JudgeRow(int row, const VideoFigures &f, double mmPerPixel)
{
    RowJudgement r;
    switch (row) {
    case ROW_SATURATION:
        r.figure = format("%.1f %% (%.0f points)", f.saturatedPct, f.saturatedPoints);
        r.verdict = f.saturatedPoints == 0 ? Verdict::Ok : f.saturatedPoints <= 2 ? Verdict::Check : Verdict::Fault;
        if (r.verdict != Verdict::Ok)
            r.advice = "The light band is clipped: lower the power or the exposure time.";
        break;
    case ROW_PEAK:
        r.figure = format("%.1f %% of full scale", f.peakPct);
        r.verdict = band(f.peakPct, 60.0, 90.0, 40.0, 95.0);
        if (f.peakPct > 90.0)
            r.advice = "Too bright: lower the power, then the exposure time.";
        else if (f.peakPct < 60.0)
            r.advice = "Too dark: raise the power, then the exposure time.";
        break;
    case ROW_BACKGROUND:
        r.figure = format("%.1f %% of full scale", f.backgroundPct);
        r.verdict = band(f.backgroundPct, 0.0, 15.0, 0.0, 30.0);
        if (r.verdict != Verdict::Ok)
            r.advice = "Light outside the band: shield the sensor, or BACKGROUND-COMPENSATION ON.";
        break;
    case ROW_CONTRAST:
        r.figure = format("%.1f %% of full scale", f.contrastPct);
        r.verdict = band(f.contrastPct, 40.0, 100.0, 20.0, 100.0);
        if (r.verdict != Verdict::Ok)
            r.advice = "Band and background too close: more light on the band, less around it.";
        break;
    case ROW_MARGIN: {
        const double worst = std::min(f.lowerMarginPct, f.upperMarginPct);
        r.verdict = f.contrastPct <= 0.0 ? Verdict::Fault : band(worst, 15.0, 100.0, 5.0, 100.0);
        r.figure = f.contrastPct <= 0.0 ? std::string("\xE2\x80\x94")
                                        : MarginText(f.lowerMarginPct) + " above background, " +
                                              MarginText(f.upperMarginPct) + " below band";
        if (r.verdict == Verdict::Ok)
            break;
        // A background lifted to the threshold by ambient light is no matter of V-THD: a
        // threshold raised above it sits in a band that ambient light squeezes.
        if (AmbientLight(f) && f.lowerMarginPct <= f.upperMarginPct)
            r.advice = "Ambient light: BACKGROUND-COMPENSATION ON, or shield the sensor.";
        else if (f.contrastPct <= 0.0)
            r.advice = "No light band to set the threshold in: see PEAK LEVEL.";
        else
            r.advice = f.upperMarginPct < f.lowerMarginPct
                           ? "Threshold too close to the band: lower V-THD (midway is best)."
                           : "Threshold too close to the background: raise V-THD (midway is best).";
        break;
    }
    case ROW_EDGES:
        return edgesRow(f, mmPerPixel);
    case ROW_SHARPNESS:
        if (f.crossings == 0) {
            r.figure = "\xE2\x80\x94";
            r.verdict = Verdict::Check;
            r.advice = "No edge to judge.";
            break;
        }
        r.figure = format(f.softestEdge == 1 ? "%.0f point (%.0f px) at the softest edge"
                                             : "%.0f points (%.0f px) at the softest edge",
                          f.softestEdge, f.softestEdge * f.pixelsPerPoint);
        r.verdict = f.softestEdge <= 3 ? Verdict::Ok : f.softestEdge <= 5 ? Verdict::Check : Verdict::Fault;
        if (r.verdict != Verdict::Ok)
            r.advice = "Soft edges: check the object's distance, clean the window, square it up.";
        break;
    case ROW_NOISE:
        if (!f.haveNoise) {
            r.figure = "\xE2\x80\x94";
            r.verdict = Verdict::Check;
            r.advice = "No unclipped plateau to judge the noise on.";
            break;
        }
        r.figure = format("%.2f %% of full scale", f.noisePct);
        r.verdict = band(f.noisePct, 0.0, 1.5, 0.0, 3.0);
        if (r.verdict != Verdict::Ok)
            r.advice = "Noisy: longer exposure with less power, or SMOOTH-VIDEO-SIGNAL.";
        break;
    default:
        break;
    }
    return r;
}

const char *RowLabel(int row)
{
    static const char *const labels[kDiagnosisRows] = {"SATURATION",       "PEAK LEVEL", "BACKGROUND",     "CONTRAST",
                                                       "THRESHOLD MARGIN", "EDGES",      "EDGE SHARPNESS", "NOISE"};
    return row >= 0 && row < kDiagnosisRows ? labels[row] : "";
}

const char *VerdictText(Verdict v)
{
    switch (v) {
    case Verdict::Ok:
        return "OK";
    case Verdict::Check:
        return "CHECK";
    case Verdict::Fault:
        return "FAULT";
    }
    return "";
}

bool AmbientLight(const VideoFigures &f) { return f.backgroundPct > 15.0; }

std::string MarginText(double pct)
{
    if (pct < -100.0)
        return "< -100 %";
    if (pct > 200.0)
        return "> 200 %";
    return format("%.0f %%", pct);
}

bool PeakOnTarget(const VideoFigures &f) { return f.saturatedPoints == 0 && f.peakPct >= 70.0 && f.peakPct <= 85.0; }

std::uint16_t MidwayThresholdPct(const VideoFigures &f, int adcMax)
{
    double sum = f.bandLevel + f.backgroundLevel;
    const int kept = std::min(f.crossings, kMaxEdges);
    if (kept > 0) {
        sum = 0.0;
        for (int k = 0; k < kept; ++k)
            sum += (f.edges[static_cast<size_t>(k)].localBand + f.edges[static_cast<size_t>(k)].localBackground) / kept;
    }
    const double pct = 100.0 * sum / 2.0 / adcMax;
    return static_cast<std::uint16_t>(std::clamp(std::lround(pct), 10L, 95L));
}

} // namespace setup
