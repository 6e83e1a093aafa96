#pragma once
// The last measurement record and the video and threshold curves.

#include <cstddef>
#include <cstdint>

struct MeasurementRecord {
    std::uint16_t E_LEFT;
    std::uint16_t E_RIGHT;
    std::uint16_t M_VALUE;
    std::uint16_t EDGES;
    std::uint32_t M_VAL_um;
    std::uint16_t SETPOINT;
    std::uint16_t SIDE_VALUE_1;
    std::uint16_t SIDE_VALUE_2;
    std::uint16_t MAX_VALUE;
    std::uint16_t MIN_VALUE;
    std::uint16_t IN_STATE;
    std::uint16_t RESERVED_1;
    std::uint16_t DARK_PIXELS;
    std::uint16_t DYN_POWER;
    std::uint16_t AUTO_TOL;
    std::uint16_t DYN_EXPOSURE;
    std::uint16_t RESERVED_2;
    std::uint32_t CYCLE_TIME;
};
static_assert(sizeof(MeasurementRecord) == 40);
static_assert(offsetof(MeasurementRecord, M_VAL_um) == 8 && offsetof(MeasurementRecord, SETPOINT) == 12);
static_assert(offsetof(MeasurementRecord, MAX_VALUE) == 18 && offsetof(MeasurementRecord, IN_STATE) == 22);
static_assert(offsetof(MeasurementRecord, DARK_PIXELS) == 26 && offsetof(MeasurementRecord, AUTO_TOL) == 30);
static_assert(offsetof(MeasurementRecord, CYCLE_TIME) == 36);

constexpr int kCurvePoints = 256;

extern MeasurementRecord raw;
extern std::uint16_t adbuf[kCurvePoints];      // video signal
extern std::uint16_t vtbuf[kCurvePoints];      // threshold profile from the sensor
extern std::uint16_t thdArray[kCurvePoints];   // fixed threshold
extern std::uint16_t thdArrayEE[kCurvePoints]; // threshold stored in the sensor
extern std::uint16_t thdArrayDYN[kCurvePoints];// threshold being adjusted
extern unsigned char datbuf[512];              // scratch of the calibration-header read
extern unsigned char wbuf[520];                // hardware dump

// Redraws the video graph: the video curve in red, the threshold in green.
void PlotVIDEOCurve(const std::uint16_t *video, const std::uint16_t *threshold, const double *x);
