// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated sensor's optics: the measurement frame agrees with the video profile and its
// threshold, and power, exposure and threshold change what it sees the way a real one would.

#include "sim/measurement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using namespace mqsim;

namespace {

class SimOptics : public ::testing::Test {
protected:
    // Video point nearest to a pixel.
    size_t point(int pixel) const { return static_cast<size_t>(std::clamp(pixel * 256 / 4096, 0, 255)); }
    MeasRecord measure(double t, const Curve *threshold = nullptr)
    {
        return model.measure(t, params, identity, false, threshold);
    }

    Identity identity;
    ParamSet params = defaultParamSet();
    MeasurementModel model;
};

TEST_F(SimOptics, EdgesSitWhereTheProfileCrossesTheFixedThresholdAndMoveWithIt)
{
    params.Eval_End = 4096;
    const int level = 1024 * params.Video_Thd_Fix / 100;
    for (double t : {0.5, 7.0, 31.0, 95.5}) {
        SCOPED_TRACE(t);
        const MeasRecord r = measure(t);
        ASSERT_EQ(r.EDGES, 2);
        const Curve video = videoAt(t, params, identity);
        // A few points outside the edges are bright, the middle of the shadow is dark.
        EXPECT_GT(video[point(r.E_LEFT - 48)], level);
        EXPECT_GT(video[point(r.E_RIGHT + 48)], level);
        EXPECT_LT(video[point((r.E_LEFT + r.E_RIGHT) / 2)], level);
    }

    params.Video_Thd_Fix = 20;
    const MeasRecord low = measure(12.0);
    params.Video_Thd_Fix = 70;
    const MeasRecord high = measure(12.0);
    ASSERT_EQ(std::tuple(low.EDGES, high.EDGES), std::tuple(2, 2));
    EXPECT_LT(high.E_LEFT, low.E_LEFT) << "a higher level meets the falling flank earlier";
    EXPECT_GT(high.E_RIGHT, low.E_RIGHT);

    params.Video_Thd_Fix = 99;
    EXPECT_EQ(measure(12.0).EDGES, 0) << "a threshold above the light band finds nothing";
}

// Too little light is judged by the set-up assistant's tests against the simulator.
TEST_F(SimOptics, LongExposureSaturatesAndLengthensTheCycle)
{
    params.Exposure_Time = 4000;
    const Curve v = videoAt(3.0, params, identity);
    EXPECT_EQ(*std::max_element(v.begin(), v.end()), 1023);
    EXPECT_EQ(measure(3.0).CYCLE_TIME, 4000u + 512u) << "exposure plus read-out";
}

TEST_F(SimOptics, RegulatedModesReportWhatTheyChose)
{
    params.Power_Mode = 1;
    params.Exposure_Time = 1000;
    const int powerShort = measure(2.0).DYN_POWER;
    params.Exposure_Time = 2000;
    const int powerLong = measure(2.0).DYN_POWER;
    EXPECT_LT(powerLong, powerShort) << "more exposure needs less power";

    params.Power_Mode = 2;
    params.Power = 250;
    const int exposureLow = measure(2.0).DYN_EXPOSURE;
    params.Power = 500;
    const int exposureHigh = measure(2.0).DYN_EXPOSURE;
    EXPECT_GT(exposureLow, exposureHigh);
    EXPECT_GT(measure(2.0).EDGES, 0) << "regulated light keeps the edges";
}

TEST_F(SimOptics, AutomaticModeUsesTheStoredProfile)
{
    params.Video_Thd_Mode = 1;
    params.Eval_End = 4096;
    const Curve taught = thresholdFrom(emptyVideoAt(0.0, params, identity), 50, 1024);
    const MeasRecord r = measure(4.0, &taught);
    ASSERT_EQ(r.EDGES, 2);
    const Curve video = videoAt(4.0, params, identity);
    EXPECT_LT(video[point((r.E_LEFT + r.E_RIGHT) / 2)], taught[point((r.E_LEFT + r.E_RIGHT) / 2)]);

    Curve floor{};
    EXPECT_EQ(measure(4.0, &floor).EDGES, 0) << "a zero threshold sees no shadow";
}

// What ambient light, dirt and defocus do to the diagnosis is followed through the set-up
// assistant's tests against the simulator; here the compensation and the noise.
TEST_F(SimOptics, BackgroundCompensationAndNoise)
{
    Scene scene;
    const auto video = [&] { return videoAt(5.0, params, identity, scene); };
    const auto darkest = [&] {
        const Curve v = video();
        return *std::min_element(v.begin(), v.begin() + 64); // inside the evaluation window
    };
    const int background = darkest();
    scene.ambientPct = 20;
    EXPECT_GT(darkest(), background + 150) << "ambient light lifts the background";
    params.Background_Mode = 1;
    EXPECT_LT(darkest(), background + 15) << "the compensation takes it out";
    params.Background_Mode = 0;
    scene = {};

    const auto roughness = [&] {
        const Curve v = video();
        int worst = 0;
        for (size_t i = 161; i < 255; ++i)                                     // the band beyond the window
            worst = std::max(worst, std::abs(v[i + 1] - 2 * v[i] + v[i - 1])); // the band's curve drops out
        return worst;
    };
    scene.noisePct = 0;
    EXPECT_LE(roughness(), 3);
    scene.noisePct = 5;
    EXPECT_GT(roughness(), 40);
}

TEST_F(SimOptics, ExtremesStartEmptyAndIgnoreScansWithoutEdges)
{
    params.Power = 100;
    const MeasRecord dark = measure(1.0);
    EXPECT_EQ(std::tuple(dark.EDGES, dark.MAX_VALUE, dark.MIN_VALUE), std::tuple(0, 0, 4095)) << "no minimum yet";
    params.Power = 500;
    const MeasRecord lit = measure(1.1);
    EXPECT_EQ(std::tuple(lit.EDGES, lit.MAX_VALUE, lit.MIN_VALUE), std::tuple(2, lit.M_VALUE, lit.M_VALUE));
}

} // namespace
