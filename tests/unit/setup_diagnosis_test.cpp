// SPDX-License-Identifier: GPL-3.0-or-later
// The set-up diagnosis against profiles built for each fault, and the light plan of the
// automatic set-up.

#include "setup/diagnosis.h"
#include "setup/light_plan.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

using namespace setup;

namespace {

constexpr int kAdc = 1024;

// A light band on a 1024-pixel receiver (point i at pixel 4 i) with the object's shadow
// between two edges, in video units of a 1024 full scale.
// bandPct: light above the background, everywhere; left, right, flank: the edges and their
// softness, pixels; noise: amplitude, video units; dipPct: dirt, share of the band lost at pixel
// dipAt; tiltPct: the band falls by this share from the line's start to its end.
struct Scene {
    double bandPct = 78, backgroundPct = 5, left = 300, right = 700, flank = 2, noise = 4, dipPct = 0, dipAt = 110,
           tiltPct = 0;
};

// The figures of a profile built for the scene, judged against a fixed threshold at `fix` % of
// full scale, or (autoPct > 0) in AUTO mode against the band without the object scaled by autoPct.
VideoFigures measure(const Scene &s, int fix = 40, int evalEnd = 1024, int evalMode = 1, int evalBegin = 1,
                     int autoPct = 0)
{
    std::array<std::uint16_t, kPoints> video{}, autoThreshold{};
    std::array<double, kPoints> pixel{};
    const auto logistic = [](double x) { return 1.0 / (1.0 + std::exp(-x)); };
    unsigned seed = 12345;
    for (int i = 0; i < kPoints; ++i) {
        const double x = pixel[i] = 4.0 * i;
        const double shadow = 1.0 - logistic((x - s.left) / s.flank) * logistic((s.right - x) / s.flank);
        const double dip = 1.0 - s.dipPct / 100.0 * std::exp(-0.5 * std::pow((x - s.dipAt) / 12.0, 2));
        seed = seed * 1103515245u + 12345u;
        const double noise = s.noise * ((seed >> 16) % 2001 / 1000.0 - 1.0);
        const double tilt = 1.0 - s.tiltPct / 100.0 * i / kPoints;
        const double v = kAdc * (s.backgroundPct + s.bandPct * tilt * shadow * dip) / 100.0 + noise;
        video[i] = static_cast<std::uint16_t>(std::clamp(std::lround(v), 0L, long(kAdc - 1)));
        autoThreshold[i] = static_cast<std::uint16_t>(kAdc * (s.backgroundPct + s.bandPct) / 100.0 * autoPct / 100.0);
    }
    ParameterSet p{};
    p.Video_Thd_Mode = autoPct > 0 ? 1 : 0;
    p.Video_Thd_Fix = static_cast<std::uint16_t>(fix);
    p.Eval_Begin = static_cast<std::uint16_t>(evalBegin);
    p.Eval_End = static_cast<std::uint16_t>(evalEnd);
    p.Eval_Mode = static_cast<std::uint16_t>(evalMode);
    return MeasureVideo({video.data(), autoThreshold.data(), pixel.data(), kAdc}, p);
}

constexpr Verdict O = Verdict::Ok, C = Verdict::Check, F = Verdict::Fault;

TEST(SetupDiagnosis, EachFaultIsJudgedOnItsRow)
{
    struct Case {
        const char *name;
        Scene scene;
        int fix, evalEnd, evalMode, evalBegin, autoPct, crossings; // as measure() takes them; then the crossings
        std::array<Verdict, kDiagnosisRows>
            verdicts; // saturation, peak, background, contrast, margin, edges, sharpness, noise
    };
    // clang-format off
    const Case cases[] = {
        {"clean", {}, 40, 1024, 1, 1, 0, 2, {O, O, O, O, O, O, O, O}},
        {"clean on an uneven band", {.tiltPct = 35}, 40, 1024, 1, 1, 0, 2, {O, O, O, O, O, O, O, O}},
        {"saturated", {.bandPct = 150}, 40, 1024, 1, 1, 0, 2, {F, F, O, O, O, O, O, C}},
        {"too dark", {.bandPct = 25}, 40, 1024, 1, 1, 0, 0, {O, F, O, C, F, F, C, O}},
        {"low contrast", {.bandPct = 18, .backgroundPct = 50}, 59, 1024, 1, 1, 0, 2, {O, O, F, F, O, O, O, O}},
        {"threshold close to the band", {}, 80, 1024, 1, 1, 0, 2, {O, O, O, O, F, O, O, O}},
        {"threshold close to the background", {}, 9, 1024, 1, 1, 0, 2, {O, O, O, O, C, O, O, O}},
        {"three crossings (the dip is soft too)", {.dipPct = 80}, 40, 1024, 1, 101, 0, 3, {O, O, O, O, O, F, C, O}},
        {"soft edges", {.flank = 20}, 40, 1024, 1, 1, 0, 2, {O, O, O, O, O, O, F, O}},
        {"noisy", {.noise = 60}, 40, 1024, 1, 1, 0, 2, {O, O, O, O, O, O, O, F}},
        {"one edge, first-edge mode", {}, 40, 500, 0, 1, 0, 1, {O, O, O, O, O, O, O, O}},
        {"one edge, second-edge mode", {}, 40, 500, 1, 1, 0, 1, {O, O, O, O, O, F, O, O}},
        {"AUTO threshold near the band", {}, 40, 1024, 1, 1, 97, 2, {O, O, O, O, F, O, O, O}},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const VideoFigures f = measure(c.scene, c.fix, c.evalEnd, c.evalMode, c.evalBegin, c.autoPct);
        EXPECT_EQ(f.crossings, c.crossings);
        for (int row = 0; row < kDiagnosisRows; ++row) {
            const RowJudgement j = JudgeRow(row, f, 0.005);
            EXPECT_STREQ(VerdictText(j.verdict), VerdictText(c.verdicts[static_cast<size_t>(row)]))
                << RowLabel(row) << ": " << j.figure;
            EXPECT_EQ(j.advice.empty(), j.verdict == Verdict::Ok) << RowLabel(row);
        }
    }
}

// The margin row: ambient light named with its cure where it lifts the background to the
// threshold, and no figure shown beyond -100..200 %.
TEST(SetupDiagnosis, ThresholdMarginNamesAmbientLightAndStaysInItsShownRange)
{
    struct Case {
        const char *name;
        Scene scene;
        int fix;
        const char *figure, *advice;
    };
    const char *const ambient = "Ambient light: BACKGROUND-COMPENSATION ON, or shield the sensor.";
    const char *const raise = "Threshold too close to the background: raise V-THD (midway is best).";
    const char *const lower = "Threshold too close to the band: lower V-THD (midway is best).";
    // clang-format off
    const Case cases[] = {
        {"ambient light over the threshold", {.bandPct = 20, .backgroundPct = 90}, 40,
         "< -100 % above background, > 200 % below band", ambient},
        {"ambient light close to the threshold", {.bandPct = 60, .backgroundPct = 38}, 40,
         "3 % above background, 97 % below band", ambient},
        {"ambient light, threshold near the band", {.bandPct = 40, .backgroundPct = 40}, 77,
         "92 % above background, 8 % below band", lower},
        {"threshold under a dark background", {}, 3, "-3 % above background, 103 % below band", raise},
        {"threshold far above the band", {}, 200, "> 200 % above background, < -100 % below band", lower},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const RowJudgement j = JudgeRow(ROW_MARGIN, measure(c.scene, c.fix), 0.005);
        EXPECT_EQ(j.figure, c.figure);
        EXPECT_EQ(j.advice, c.advice);
    }
}

TEST(SetupDiagnosis, FiguresOfACleanProfile)
{
    const VideoFigures f = measure({});
    ASSERT_EQ(f.crossings, 2);
    EXPECT_NEAR(f.peakPct, 83.0, 1.0);
    EXPECT_NEAR(f.backgroundPct, 5.0, 1.0);
    EXPECT_NEAR(f.contrastPct, 78.0, 1.0);
    EXPECT_NEAR(f.noisePct, 4.0 / std::sqrt(3.0) / kAdc * 100, 0.1);
    EXPECT_EQ(MidwayThresholdPct(f, kAdc), 44); // (5 + 83) / 2
    // Where the edges are, in pixels and millimetres.
    char edges[96];
    std::snprintf(edges, sizeof edges, "2 of 2: %.1f px (%.3f mm), %.1f px (%.3f mm)", f.edges[0].pixel,
                  f.edges[0].pixel * 0.005, f.edges[1].pixel, f.edges[1].pixel * 0.005);
    EXPECT_EQ(JudgeRow(ROW_EDGES, f, 0.005).figure, edges);
    // Halfway between band and shadow at the edge itself, on a level band and on one that slopes
    // away: a level taken a few points off the edge puts it a good part of a pixel off on a
    // receiver with 16 pixels per point.
    for (double tilt : {0.0, 50.0}) {
        const VideoFigures t = measure({.tiltPct = tilt});
        EXPECT_NEAR(t.edges[0].pixel, 300.0, 0.07) << tilt;
        EXPECT_NEAR(t.edges[1].pixel, 700.0, 0.07) << tilt;
    }
}

TEST(SetupLightPlan, PowerFirstThenExposureWithinTheReceiverModesLimits)
{
    EXPECT_EQ(ExposureLimitsFor(0, 1.4).minUs, 1400);
    EXPECT_EQ(ExposureLimitsFor(1, 1.5).minUs, 800); // 0.75 ms up to the next step
    EXPECT_EQ(ExposureLimitsFor(2, 1.5).minUs, 400);
    struct Row {
        const char *name;
        LightSetting current;
        double peakPct;
        int clipped;
        LightStep step;
        LightSetting next;
    };
    // clang-format off
    const Row rows[] = {
        {"on target", {500, 0}, 80, 0, LightStep::OnTarget, {500, 0}},
        {"inside the band but low: one step to its middle", {150, 3000}, 72.5, 0, LightStep::Adjusted, {161, 3000}},
        {"inside the band at the limits: as near its middle as it goes", {20, 1000}, 84, 0, LightStep::OnTarget, {20, 1000}},
        {"half too dark: power only, the exposure kept as it is", {400, 0}, 41.25, 0, LightStep::Adjusted, {800, 0}},
        {"clipped wide: a shorter exposure, not a power below 250", {500, 2000}, 99.9, 200, LightStep::Adjusted, {150, 1000}},
        {"clipped a little", {500, 2000}, 99.9, 10, LightStep::Adjusted, {300, 2000}},
        {"too dark at full power: longer exposure", {1000, 1000}, 20, 0, LightStep::Adjusted, {986, 4900}},
        {"too bright at low power: the shortest exposure", {30, 5000}, 99.9, 200, LightStep::Adjusted, {23, 1000}},
        {"dark at the limits", {1000, 10000}, 30, 0, LightStep::OutOfReach, {1000, 10000}},
        {"bright at the limits", {20, 1000}, 99.9, 100, LightStep::OutOfReach, {20, 1000}},
    };
    // clang-format on
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const VideoFigures f{.saturatedPoints = r.clipped,
                             .saturatedPct = 100.0 * r.clipped / kPoints,
                             .peakPct = r.peakPct,
                             .backgroundPct = 5.0};
        LightSetting next;
        EXPECT_EQ(NextLightSetting(r.current, f, ExposureLimitsFor(0, 1.0), next), r.step);
        EXPECT_EQ(std::pair(next.power, next.exposureUs), std::pair(r.next.power, r.next.exposureUs));
    }
}

} // namespace
