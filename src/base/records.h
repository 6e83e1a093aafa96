// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The records the sensor and the program exchange as bytes, with their layouts in one
// place, and the program-wide copies of them that every room reads. Each is copied to and
// from the wire as it stands, so its size and every field offset are fixed here.

#include <cstddef>
#include <cstdint>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "records are copied to the wire as bytes");

// The parameter set: the sensor's whole configuration as the 60-byte record that is
// read from and written to the sensor and stored in parameter files.
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
    std::uint32_t um_Slope; // µm per pixel with 14 fractional bits
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

extern ParameterSet pset; // the parameter set on the pages: GET, the parameter file and the set-up
                          // assistant fill it, the pages' callbacks edit it, SEND sends it

// The calibration header kept in page 1 of the sensor's external flash.
struct CalibrationHeader {
    std::int32_t HW_TYPE;     // "HW-TYPE:"
    std::uint16_t SER_NO;     // "SER-NO:"
    std::uint16_t XF_DIVISOR; // "XF-DIVISOR:"
    std::uint16_t XF_SIZE;    // "XF-SIZE: "
    std::uint16_t reserved;   // carried through unchanged
    std::uint32_t UM_SLOPE;   // "UM-SLOPE:", µm per pixel with 14 fractional bits
    std::int32_t UM_OFFSET;   // "UM-OFFSET:"
    std::int32_t UM_RANGE;    // "UM-RANGE:"
};
static_assert(sizeof(CalibrationHeader) == 24);
static_assert(offsetof(CalibrationHeader, SER_NO) == 4 && offsetof(CalibrationHeader, XF_DIVISOR) == 6);
static_assert(offsetof(CalibrationHeader, XF_SIZE) == 8 && offsetof(CalibrationHeader, reserved) == 10);
static_assert(offsetof(CalibrationHeader, UM_SLOPE) == 12 && offsetof(CalibrationHeader, UM_OFFSET) == 16);
static_assert(offsetof(CalibrationHeader, UM_RANGE) == 20);

extern CalibrationHeader cal; // read at identification, edited and written back by the calibration
                              // pages; shown on calibration sub-page 2, its slope heads record files

// The sensor's hardware-info record.
struct HardwareInfo {
    std::uint32_t receiverType;
    std::uint32_t hardwareType;
    std::uint16_t serialNo;
    std::int16_t firmwareNo; // hundredths: 406 = V4.06
    std::uint16_t word12;
    std::int16_t pixelCount;
    std::uint16_t word16;
    std::uint16_t word18;
    std::int16_t adcCode;
    std::uint8_t spare[10];
};
static_assert(sizeof(HardwareInfo) == 32);
static_assert(offsetof(HardwareInfo, hardwareType) == 4 && offsetof(HardwareInfo, serialNo) == 8);
static_assert(offsetof(HardwareInfo, firmwareNo) == 10 && offsetof(HardwareInfo, word12) == 12);
static_assert(offsetof(HardwareInfo, pixelCount) == 14 && offsetof(HardwareInfo, word16) == 16);
static_assert(offsetof(HardwareInfo, word18) == 18 && offsetof(HardwareInfo, adcCode) == 20);

constexpr std::uint32_t kReceiverServedFamily = 736214;

extern HardwareInfo hwinfo; // read at identification (defaults at start-up); pixel count, receiver
                            // and model for the pages, hardware info file and plant identity

// The last measurement record and the video and threshold curves.
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

extern MeasurementRecord raw;                   // last measurement frame: Run, Video and the recorder fill it,
                                                // PlotVIDEOBarGraph and the record file show it
extern std::uint16_t adbuf[kCurvePoints];       // video signal
extern std::uint16_t vtbuf[kCurvePoints];       // threshold profile from the sensor
extern std::uint16_t thdArray[kCurvePoints];    // fixed threshold
extern std::uint16_t thdArrayEE[kCurvePoints];  // threshold stored in the sensor
extern std::uint16_t thdArrayDYN[kCurvePoints]; // threshold being adjusted
extern unsigned char datbuf[512];               // scratch of the calibration-header read
extern unsigned char wbuf[520];                 // hardware dump
