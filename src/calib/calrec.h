#pragma once
// The calibration header kept in the sensor's external flash, the slope in its forms,
// and the pixel/millimetre scaling derived from it.

#include <cstddef>
#include <cstdint>

struct CalibrationHeader {
    std::int32_t HW_TYPE;      // "HW-TYPE:"
    std::uint16_t SER_NO;      // "SER-NO:"
    std::uint16_t XF_DIVISOR;  // "XF-DIVISOR:"
    std::uint16_t XF_SIZE;     // "XF-SIZE: "
    std::uint16_t reserved;    // carried through unchanged
    std::uint32_t UM_SLOPE;    // "UM-SLOPE:", µm per pixel with 14 fractional bits
    std::int32_t UM_OFFSET;    // "UM-OFFSET:"
    std::int32_t UM_RANGE;     // "UM-RANGE:"
};
static_assert(sizeof(CalibrationHeader) == 24);
static_assert(offsetof(CalibrationHeader, SER_NO) == 4 && offsetof(CalibrationHeader, XF_DIVISOR) == 6);
static_assert(offsetof(CalibrationHeader, XF_SIZE) == 8 && offsetof(CalibrationHeader, reserved) == 10);
static_assert(offsetof(CalibrationHeader, UM_SLOPE) == 12 && offsetof(CalibrationHeader, UM_OFFSET) == 16);
static_assert(offsetof(CalibrationHeader, UM_RANGE) == 20);

constexpr int kVideoPoints = 256;

extern CalibrationHeader cal;
extern double DSLOPE_UM;     // working slope, µm per pixel
extern double slopeval;      // candidate slope of a calibration in progress
extern double YSCALE_FAC;    // mm per pixel
extern double MAXRANGE_MM;   // largest x of the video graph in mm
extern double xArray_pi[kVideoPoints];
extern double xArray_mm[kVideoPoints];
extern double *xARRAY;       // xArray_pi or xArray_mm
extern int mm_flag;          // 1 millimetres, 0 pixels
extern unsigned char linArray[4096];

void SetCalibrationDefaults(CalibrationHeader &c);
// YSCALE_FAC from a slope word.
double ScaleOfSlopeWord(std::uint32_t slopeWord);
// xArray_mm from xArray_pi with the current YSCALE_FAC; returns the largest entry.
double RecomputeMillimetrePoints();
