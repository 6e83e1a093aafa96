#pragma once
// The parameter set: the sensor's whole configuration as the 60-byte record that is
// read from and written to the sensor and stored in parameter files.

#include <cstddef>
#include <cstdint>

struct ParameterSet {
    std::uint16_t Power;
    std::uint16_t Power_Mode;
    std::uint16_t Background_Mode;
    std::uint16_t Polarity;
    std::uint16_t Eval_Mode;
    std::uint16_t Eval_Begin;
    std::uint16_t Eval_End;
    std::uint16_t Teach_Value;
    std::uint16_t Upper_Tolerance;
    std::uint16_t Lower_Tolerance;
    std::uint16_t Average;
    std::uint16_t Ext_Trigger_Mode;
    std::uint16_t Analog_Mode;
    std::uint16_t CCD_OP_Mode;
    std::uint16_t Hardware_Mode;
    std::uint16_t Video_Thd_Mode;
    std::uint16_t Video_Thd_Fix;
    std::uint16_t Video_Thd_Auto;
    std::uint16_t RS_232_Mode;
    std::uint16_t RS_232_Baudrate;
    std::uint16_t Filter_Type;
    std::uint16_t Analog_Zoom_Mode;
    std::uint16_t Int_Trigger_Mode;
    std::uint16_t Trigger_Pixel;
    std::uint16_t Output_Mode;
    std::uint16_t Exposure_Time;
    std::uint16_t Tolerance_Mode;
    std::uint16_t Free_Para;
    std::uint32_t um_Slope;   // µm per pixel with 14 fractional bits
};

// The record is the wire format: copied as bytes, so its layout is fixed.
static_assert(sizeof(ParameterSet) == 60);
static_assert(offsetof(ParameterSet, Power) == 0 && offsetof(ParameterSet, Power_Mode) == 2);
static_assert(offsetof(ParameterSet, Background_Mode) == 4 && offsetof(ParameterSet, Polarity) == 6);
static_assert(offsetof(ParameterSet, Eval_Mode) == 8 && offsetof(ParameterSet, Eval_Begin) == 10);
static_assert(offsetof(ParameterSet, Eval_End) == 12 && offsetof(ParameterSet, Teach_Value) == 14);
static_assert(offsetof(ParameterSet, Upper_Tolerance) == 16 && offsetof(ParameterSet, Lower_Tolerance) == 18);
static_assert(offsetof(ParameterSet, Average) == 20 && offsetof(ParameterSet, Ext_Trigger_Mode) == 22);
static_assert(offsetof(ParameterSet, Analog_Mode) == 24 && offsetof(ParameterSet, CCD_OP_Mode) == 26);
static_assert(offsetof(ParameterSet, Hardware_Mode) == 28 && offsetof(ParameterSet, Video_Thd_Mode) == 30);
static_assert(offsetof(ParameterSet, Video_Thd_Fix) == 32 && offsetof(ParameterSet, Video_Thd_Auto) == 34);
static_assert(offsetof(ParameterSet, RS_232_Mode) == 36 && offsetof(ParameterSet, RS_232_Baudrate) == 38);
static_assert(offsetof(ParameterSet, Filter_Type) == 40 && offsetof(ParameterSet, Analog_Zoom_Mode) == 42);
static_assert(offsetof(ParameterSet, Int_Trigger_Mode) == 44 && offsetof(ParameterSet, Trigger_Pixel) == 46);
static_assert(offsetof(ParameterSet, Output_Mode) == 48 && offsetof(ParameterSet, Exposure_Time) == 50);
static_assert(offsetof(ParameterSet, Tolerance_Mode) == 52 && offsetof(ParameterSet, Free_Para) == 54);
static_assert(offsetof(ParameterSet, um_Slope) == 56);
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "records are copied to the wire as bytes");

extern ParameterSet pset;

// Start-up values of the parameter set.
void SetParameterDefaults(ParameterSet &p);
// Corrects out-of-range fields in place, against the receiver's pixel count.
void NormalizeParameterSet(ParameterSet &p, std::uint16_t pixelCount);

// Slope word <-> µm per pixel.
double SlopeWordToMicrons(std::uint32_t word);
std::uint32_t MicronsToSlopeWord(double micronsPerPixel);
// Millimetres of a pixel quantity with a slope word.
double PixelsToMillimetres(std::uint32_t pixels, std::uint32_t slopeWord);
// Exposure slider (ms) <-> stored exposure time (µs in steps of 100).
std::uint16_t ExposureMsToWord(double milliseconds);
double ExposureWordToMs(std::uint16_t word);
