// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The object in front of the simulated sensor: two edges that drift slowly and smoothly inside the
// evaluation window, seen as a bright laser band with the object's shadow between the edges. The
// band's brightness follows power and exposure; the edges are found where the band crosses the
// threshold, so the measurement frame and the video profile always agree.
// Everything is a pure function of time (noise included, keyed by the scan number), so a test that
// passes the same time gets the same record.

#include "records.h"
#include "state.h"

namespace mqsim {

struct EdgePair {
    double left;
    double right;
};

// What the light band meets on its way besides the object, set through the control channel so
// that every fault of a set-up can be shown on purpose.
struct Scene {
    double ambientPct = 0.0;      // ambient light on the receiver, % of full scale at the standard exposure
    double noisePct = 1.0;        // amplitude of the receiver noise, % of full scale
    double dirtPct = 0.0;         // depth of the dip a dirty window leaves in the band, % of the band
    double dirtAtPct = 8.0;       // where the dip sits, % of the evaluation window from its start
    double defocus = 1.0;         // how many times softer than in focus the object's edges are
    double brightnessPct = 100.0; // light of the band, % of the usual at the same power and exposure

    bool operator==(const Scene &) const = default;
};

struct Window {
    int begin; // first pixel, 1-based
    int end;   // last pixel
};

// The evaluation window of `params`, repaired when it does not fit the receiver.
Window evaluationWindow(const ParamSet &params, const Identity &identity);

// Edge positions at time t. While calibrating the object is a fixed reference: its width stays put.
EdgePair edgesAt(double t, const ParamSet &params, const Identity &identity, bool calibrating);

// Measurement value as the sensor derives it from the edge pixels.
uint16_t measurementValue(uint16_t left, uint16_t right, const ParamSet &params, bool calibrating);

// Intensity profile, 256 points over the receiver line.
Curve videoAt(double t, const ParamSet &params, const Identity &identity, const Scene &scene = {});
// The light band without the object: what an automatic threshold is taught from.
Curve emptyVideoAt(double t, const ParamSet &params, const Identity &identity, const Scene &scene = {});

// Duration of one measuring cycle in microseconds: exposure plus line read-out.
uint32_t cycleMicroseconds(const ParamSet &params, const Identity &identity);

// Brightness of the light band and what the sensor's own regulation chose; the regulation sees
// the band as bright as the scene makes it.
struct Optics {
    double level;         // plateau of the profile before saturation
    uint16_t dynPower;    // power in use (regulated with Power-Mode 1)
    uint16_t dynExposure; // exposure in use in microseconds (regulated with Power-Mode 2)
};
Optics opticsAt(double t, const ParamSet &params, const Identity &identity, const Scene &scene = {});

// Edges as the sensor finds them: where the profile crosses the threshold in use (the fixed
// level, or the stored automatic profile). A band too dark or a threshold out of reach finds none.
// While calibrating, the reference object's true edges.
struct FoundEdges {
    int count;   // 0, 1 or 2
    double left; // first edge, or the only one
    double right;
    bool onlyRight; // with one edge: it is a dark-to-bright (right) edge
};
FoundEdges findEdges(double t, const ParamSet &params, const Identity &identity, bool calibrating,
                     const Curve *autoThreshold, const Scene &scene = {});

// Stored auto threshold: the video scaled by `percent` / 100 and smoothed, limited to full scale.
Curve thresholdFrom(const Curve &video, unsigned percent, int adcFullScale);

// Measurement records with MAX/MIN kept over every scan since the last reset, not only over the
// scans somebody asked for. A record reports the scan under way at t (scans start on a fixed
// grid of cycle times), so requests within one scan share its edges, found once.
class MeasurementModel {
public:
    // autoThreshold: the stored threshold profile used with Video-Thd-Mode 1 (none: taught from
    // the empty band at Video-Thd-Auto percent).
    MeasRecord measure(double t, const ParamSet &params, const Identity &identity, bool calibrating,
                       const Curve *autoThreshold = nullptr, const Scene &scene = {});
    // Takes the scans up to t into MAX/MIN ahead of the next request, which then finds little
    // left to catch up with. Only when extremes are kept; changes no record's content.
    void trackUntil(double t, const ParamSet &params, const Identity &identity, bool calibrating,
                    const Curve *autoThreshold = nullptr, const Scene &scene = {});
    void resetExtremes() { haveExtremes_ = false; }

    struct Scan {
        uint16_t left = 0;
        uint16_t right = 0;
        uint16_t edges = 0;
        uint16_t value = 0;
        bool onlyRight = false;
    };

private:
    void track(uint16_t value);
    const Scan &scanOf(int64_t index, double t, const ParamSet &params, const Identity &identity, bool calibrating,
                       const Curve *autoThreshold, const Scene &scene);

    bool haveExtremes_ = false;
    uint16_t max_ = 0;
    uint16_t min_ = 0;
    double lastTracked_ = 0.0;

    // The last scan found, with everything it was found from.
    struct CachedScan {
        bool valid = false;
        int64_t index = 0;
        ParamSet params{};
        Identity identity;
        Scene scene;
        bool calibrating = false;
        bool haveThreshold = false;
        Curve threshold{};
        Scan scan;
    } cache_;
};

} // namespace mqsim
