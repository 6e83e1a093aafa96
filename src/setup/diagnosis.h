// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the video signal says about a set-up: figures of one 256-point profile against the
// parameter set, and a verdict with advice per figure. Pure functions, no Qt and no link, so
// that the set-up window, the automatic set-up and the benchmark judge a profile alike.

#include "params/pset.h"

#include <array>
#include <cstdint>
#include <string>

namespace setup {

constexpr int kPoints = 256;
constexpr int kMaxEdges = 16;

enum class Verdict { Ok, Check, Fault };

// One row of the set-up window per figure.
enum DiagnosisRow {
    ROW_SATURATION,
    ROW_PEAK,
    ROW_BACKGROUND,
    ROW_CONTRAST,
    ROW_MARGIN,
    ROW_EDGES,
    ROW_SHARPNESS,
    ROW_NOISE,
    kDiagnosisRows,
};

struct Crossing {
    double pixel;           // the edge next to the threshold crossing: halfway between band and shadow, pixels
    bool falling;           // from the band down into the shadow
    int transitionPoints;   // points between 10 % and 90 % of the local swing at this edge
    double localBand;       // the band's level next to this edge, video units
    double localBackground; // the shadow's level next to this edge
};

struct VideoFigures {
    int saturatedPoints = 0;      // points at ADCMAX - 1
    double saturatedPct = 0.0;    // of the 256 points
    double peakPct = 0.0;         // highest point, % of full scale
    double bandLevel = 0.0;       // median of the band's points, video units
    double backgroundLevel = 0.0; // median of the points outside the band, video units
    double backgroundPct = 0.0;   // % of full scale
    double contrastPct = 0.0;     // band minus background, % of full scale
    double thresholdLevel = 0.0;  // the threshold in use where it matters (at the edges), video units
    double lowerMarginPct = 0.0;  // threshold above the background, % of the contrast
    double upperMarginPct = 0.0;  // threshold below the band, % of the contrast
    int crossings = 0;            // inside the evaluation window
    int minEdges = 2;             // what the evaluation mode needs
    int maxEdges = 2;
    std::array<Crossing, kMaxEdges> edges{}; // the first kMaxEdges crossings
    int softestEdge = 0;                     // most transition points of any edge, 0 without edges
    double pixelsPerPoint = 4.0;
    bool haveNoise = false; // false: no plateau long enough to judge
    double noisePct = 0.0;  // standard deviation on the plateau, % of full scale
};

struct VideoInput {
    const std::uint16_t *video = nullptr;         // 256 points
    const std::uint16_t *autoThreshold = nullptr; // the sensor's threshold profile (AUTO mode), 256 points
    const double *pixelOf = nullptr;              // pixel position of each point
    int adcMax = 1024;                            // video full scale
};

VideoFigures MeasureVideo(const VideoInput &in, const ParameterSet &p);

struct RowJudgement {
    Verdict verdict = Verdict::Ok;
    std::string figure; // the figure as the window shows it
    std::string advice; // what to do, empty when nothing is to be done
};

// mmPerPixel turns edge positions into millimetres.
RowJudgement JudgeRow(int row, const VideoFigures &f, double mmPerPixel);
const char *RowLabel(int row);
const char *VerdictText(Verdict v);

// Light outside the band beyond what the BACKGROUND row accepts (ambient or stray light): the
// cure is BACKGROUND-COMPENSATION or a shield, not the power, the exposure or V-THD.
bool AmbientLight(const VideoFigures &f);
// A threshold margin as the window shows it: beyond -100..200 % the figure says little more
// than that the threshold lies outside the signal, so it is shown as "< -100 %" or "> 200 %".
std::string MarginText(double pct);

// The light band where the automatic set-up wants it: 70 to 85 % of full scale, unclipped.
bool PeakOnTarget(const VideoFigures &f);
// The fixed threshold in percent of full scale midway between background and band, taken next
// to the edges where there are some (the band is seldom level over the whole line).
std::uint16_t MidwayThresholdPct(const VideoFigures &f, int adcMax);

} // namespace setup
