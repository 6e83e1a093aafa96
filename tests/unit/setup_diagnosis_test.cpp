// The set-up diagnosis against profiles built for each fault, and the light plan of the
// automatic set-up.

#include "setup/diagnosis.h"
#include "setup/light_plan.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

using namespace setup;

namespace {

constexpr int kAdc = 1024;

// A light band on a 1024-pixel receiver (point i at pixel 4 i) with the object's shadow
// between two edges, in video units of a 1024 full scale.
struct Scene {
    double bandPct = 78;      // light above the background
    double backgroundPct = 5; // everywhere, shadow included
    double left = 300, right = 700;
    double flank = 2;         // pixels
    double noise = 4;         // amplitude, video units
    double dipPct = 0;        // dirt: share of the band lost at dipAt
    double dipAt = 110;
    double tiltPct = 0;       // the band falls by this share from the line's start to its end
};

struct Profile {
    std::array<std::uint16_t, kPoints> video{};
    std::array<double, kPoints> pixel{};
};

Profile build(const Scene &s)
{
    Profile p;
    const auto logistic = [](double x) { return 1.0 / (1.0 + std::exp(-x)); };
    unsigned seed = 12345;
    for (int i = 0; i < kPoints; ++i) {
        const double x = 4.0 * i;
        p.pixel[i] = x;
        const double shadow = 1.0 - logistic((x - s.left) / s.flank) * logistic((s.right - x) / s.flank);
        const double dip = 1.0 - s.dipPct / 100.0 * std::exp(-0.5 * std::pow((x - s.dipAt) / 12.0, 2));
        seed = seed * 1103515245u + 12345u;
        const double noise = s.noise * ((seed >> 16) % 2001 / 1000.0 - 1.0);
        const double tilt = 1.0 - s.tiltPct / 100.0 * i / kPoints;
        const double v = kAdc * (s.backgroundPct + s.bandPct * tilt * shadow * dip) / 100.0 + noise;
        p.video[i] = static_cast<std::uint16_t>(std::clamp(std::lround(v), 0L, long(kAdc - 1)));
    }
    return p;
}

ParameterSet params()
{
    ParameterSet p{};
    p.Eval_Mode = 1;
    p.Eval_Begin = 1;
    p.Eval_End = 1024;
    p.Video_Thd_Fix = 40;
    p.Video_Thd_Auto = 70;
    return p;
}

constexpr Verdict O = Verdict::Ok, C = Verdict::Check, F = Verdict::Fault;

struct Case {
    const char *name;
    Scene scene;
    int fix;             // Video-Thd-Fix
    int evalBegin, evalEnd, evalMode;
    int autoThresholdPct; // > 0: AUTO mode with a threshold profile at this share of the signal
    int crossings;
    std::array<Verdict, kDiagnosisRows> verdicts; // saturation, peak, background, contrast, margin, edges, sharpness, noise
};

TEST(SetupDiagnosis, EachFaultIsJudgedOnItsRow)
{
    const Case cases[] = {
        {"clean", {}, 40, 1, 1024, 1, 0, 2, {O, O, O, O, O, O, O, O}},
        {"clean on an uneven band", {.tiltPct = 35}, 40, 1, 1024, 1, 0, 2, {O, O, O, O, O, O, O, O}},
        {"saturated", {.bandPct = 150}, 40, 1, 1024, 1, 0, 2, {F, F, O, O, O, O, O, C}},
        {"too dark", {.bandPct = 25}, 40, 1, 1024, 1, 0, 0, {O, F, O, C, F, F, C, O}},
        {"low contrast", {.bandPct = 18, .backgroundPct = 50}, 59, 1, 1024, 1, 0, 2, {O, O, F, F, O, O, O, O}},
        {"threshold close to the band", {}, 80, 1, 1024, 1, 0, 2, {O, O, O, O, F, O, O, O}},
        {"threshold close to the background", {}, 9, 1, 1024, 1, 0, 2, {O, O, O, O, C, O, O, O}},
        {"three crossings (the dip is soft too)", {.dipPct = 80}, 40, 101, 1024, 1, 0, 3, {O, O, O, O, O, F, C, O}},
        {"soft edges", {.flank = 20}, 40, 1, 1024, 1, 0, 2, {O, O, O, O, O, O, F, O}},
        {"noisy", {.noise = 60}, 40, 1, 1024, 1, 0, 2, {O, O, O, O, O, O, O, F}},
        {"one edge, first-edge mode", {}, 40, 1, 500, 0, 0, 1, {O, O, O, O, O, O, O, O}},
        {"one edge, second-edge mode", {}, 40, 1, 500, 1, 0, 1, {O, O, O, O, O, F, O, O}},
        {"AUTO threshold near the band", {}, 40, 1, 1024, 1, 97, 2, {O, O, O, O, F, O, O, O}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Profile profile = build(c.scene);
        std::array<std::uint16_t, kPoints> autoThreshold{};
        for (int i = 0; i < kPoints; ++i) // the band without the object, scaled
            autoThreshold[i] = static_cast<std::uint16_t>(kAdc * (c.scene.backgroundPct + c.scene.bandPct) / 100.0 *
                                                          c.autoThresholdPct / 100.0);
        ParameterSet p = params();
        p.Video_Thd_Fix = static_cast<std::uint16_t>(c.fix);
        p.Eval_Begin = static_cast<std::uint16_t>(c.evalBegin);
        p.Eval_End = static_cast<std::uint16_t>(c.evalEnd);
        p.Eval_Mode = static_cast<std::uint16_t>(c.evalMode);
        p.Video_Thd_Mode = c.autoThresholdPct > 0 ? 1 : 0;
        const VideoFigures f = MeasureVideo({profile.video.data(), autoThreshold.data(), profile.pixel.data(), kAdc}, p);
        EXPECT_EQ(f.crossings, c.crossings);
        for (int row = 0; row < kDiagnosisRows; ++row) {
            const RowJudgement j = JudgeRow(row, f, 0.005);
            EXPECT_EQ(VerdictText(j.verdict), std::string(VerdictText(c.verdicts[static_cast<size_t>(row)])))
                << RowLabel(row) << ": " << j.figure;
            EXPECT_EQ(j.advice.empty(), j.verdict == Verdict::Ok) << RowLabel(row);
        }
    }
}

TEST(SetupDiagnosis, FiguresOfACleanProfile)
{
    const Profile profile = build({});
    const VideoFigures f = MeasureVideo({profile.video.data(), nullptr, profile.pixel.data(), kAdc}, params());
    ASSERT_EQ(f.crossings, 2);
    EXPECT_NEAR(f.edges[0].pixel, 300.0, 1.0);
    EXPECT_NEAR(f.edges[1].pixel, 700.0, 1.0);
    EXPECT_TRUE(f.edges[0].falling);
    EXPECT_FALSE(f.edges[1].falling);
    EXPECT_NEAR(f.peakPct, 83.0, 1.0);
    EXPECT_NEAR(f.backgroundPct, 5.0, 1.0);
    EXPECT_NEAR(f.contrastPct, 78.0, 1.0);
    EXPECT_NEAR(f.noisePct, 4.0 / std::sqrt(3.0) / kAdc * 100, 0.1);
    EXPECT_EQ(MidwayThresholdPct(f, kAdc), 44); // (5 + 83) / 2
    // Where the edges are, in pixels and millimetres.
    double px[2] = {}, mm[2] = {};
    ASSERT_EQ(std::sscanf(JudgeRow(ROW_EDGES, f, 0.005).figure.c_str(), "2 of 2: %lf px (%lf mm), %lf px (%lf mm)",
                          &px[0], &mm[0], &px[1], &mm[1]),
              4);
    for (int k = 0; k < 2; ++k) {
        EXPECT_NEAR(px[k], f.edges[static_cast<size_t>(k)].pixel, 0.05);
        EXPECT_NEAR(mm[k], px[k] * 0.005, 0.001);
    }
}

TEST(SetupLightPlan, PowerFirstThenExposureWithinTheReceiverModesLimits)
{
    EXPECT_EQ(ExposureLimitsFor(0, 1.4).minUs, 1400);
    EXPECT_EQ(ExposureLimitsFor(1, 1.5).minUs, 800); // 0.75 ms up to the next step
    EXPECT_EQ(ExposureLimitsFor(2, 1.5).minUs, 400);
    const ExposureLimits limits = ExposureLimitsFor(0, 1.0);

    const auto figures = [](double peakPct, int clipped) {
        VideoFigures f;
        f.peakPct = peakPct;
        f.backgroundPct = 5.0;
        f.saturatedPoints = clipped;
        f.saturatedPct = 100.0 * clipped / kPoints;
        return f;
    };
    struct Row {
        const char *name;
        LightSetting current;
        VideoFigures f;
        LightStep step;
        LightSetting next;
    };
    const Row rows[] = {
        {"on target", {500, 0}, figures(80, 0), LightStep::OnTarget, {500, 0}},
        {"half too dark: power only, the exposure kept as it is", {400, 0}, figures(41.25, 0), LightStep::Adjusted, {800, 0}},
        {"clipped wide", {500, 2000}, figures(99.9, 200), LightStep::Adjusted, {75, 2000}},
        {"clipped a little", {500, 2000}, figures(99.9, 10), LightStep::Adjusted, {300, 2000}},
        {"too dark at full power: longer exposure", {1000, 1000}, figures(20, 0), LightStep::Adjusted, {986, 4900}},
        {"too bright at low power: shorter exposure", {30, 5000}, figures(99.9, 200), LightStep::Adjusted, {20, 1100}},
        {"dark at the limits", {1000, 10000}, figures(30, 0), LightStep::OutOfReach, {1000, 10000}},
        {"bright at the limits", {20, 1000}, figures(99.9, 100), LightStep::OutOfReach, {20, 1000}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        LightSetting next;
        EXPECT_EQ(NextLightSetting(r.current, r.f, limits, next), r.step);
        EXPECT_EQ(next.power, r.next.power);
        EXPECT_EQ(next.exposureUs, r.next.exposureUs);
    }
}

} // namespace
