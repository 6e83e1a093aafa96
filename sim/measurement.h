#pragma once
// The object in front of the simulated sensor: two edges that drift slowly and smoothly inside the
// evaluation window, seen as a bright laser band with the object's shadow between the edges.
// Everything is a pure function of time (noise included, keyed by the scan number), so a test that
// passes the same time gets the same record.

#include "records.h"
#include "state.h"

namespace mqsim {

struct EdgePair {
    double left;
    double right;
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
Curve videoAt(double t, const ParamSet &params, const Identity &identity);

// Stored auto threshold: the video scaled by `percent` / 100 and smoothed, limited to full scale.
Curve thresholdFrom(const Curve &video, unsigned percent, int adcFullScale);

// Measurement records with MAX/MIN kept over every scan since the last reset, not only over the
// scans somebody asked for.
class MeasurementModel {
public:
    MeasRecord measure(double t, const ParamSet &params, const Identity &identity, bool calibrating);
    void resetExtremes() { haveExtremes_ = false; }

private:
    void track(uint16_t value);

    bool haveExtremes_ = false;
    uint16_t max_ = 0;
    uint16_t min_ = 0;
    double lastTracked_ = 0.0;
};

} // namespace mqsim
