// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Wire records of the sensor, as the simulator keeps them. They are copied to and from frame data
// byte for byte, so layout and byte order are part of the protocol.

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "wire records are copied as little-endian bytes");

namespace mqsim {

#pragma pack(push, 1)

// The 60-byte parameter set held in the sensor's RAM and EEPROM.
struct ParamSet {
    uint16_t Power;
    uint16_t Power_Mode;
    uint16_t Background_Mode;
    uint16_t Polarity;
    uint16_t Eval_Mode;
    uint16_t Eval_Begin;
    uint16_t Eval_End;
    uint16_t Teach_Value;
    uint16_t Upper_Tolerance;
    uint16_t Lower_Tolerance;
    uint16_t Average;
    uint16_t Ext_Trigger_Mode;
    uint16_t Analog_Mode;
    uint16_t CCD_OP_Mode;
    uint16_t Hardware_Mode;
    uint16_t Video_Thd_Mode;
    uint16_t Video_Thd_Fix;
    uint16_t Video_Thd_Auto;
    uint16_t RS_232_Mode;
    uint16_t RS_232_Baudrate;
    uint16_t Filter_Type;
    uint16_t Analog_Zoom_Mode;
    uint16_t Int_Trigger_Mode;
    uint16_t Trigger_Pixel;
    uint16_t Output_Mode;
    uint16_t Exposure_Time;
    uint16_t Tolerance_Mode;
    uint16_t Free_Para;
    uint32_t um_Slope;
};

// The 40-byte measurement record (answer to order 8).
struct MeasRecord {
    uint16_t E_LEFT;
    uint16_t E_RIGHT;
    uint16_t M_VALUE;
    uint16_t EDGES;
    uint32_t M_VAL_um;
    uint16_t SETPOINT;
    uint16_t SIDE_VALUE_1;
    uint16_t SIDE_VALUE_2;
    uint16_t MAX_VALUE;
    uint16_t MIN_VALUE;
    uint16_t IN_STATE;
    uint16_t RESERVED_1;
    uint16_t DARK_PIXELS;
    uint16_t DYN_POWER;
    uint16_t AUTO_TOL;
    uint16_t DYN_EXPOSURE;
    uint16_t RESERVED_2;
    uint32_t CYCLE_TIME;
};

// The 32-byte hardware-info record (answer to order 10).
struct HwInfo {
    uint32_t receiverType;
    uint32_t hardwareType;
    uint16_t serialNo;
    int16_t firmwareNo;
    uint16_t word12;
    int16_t pixelCount;
    uint16_t word16;
    uint16_t word18;
    int16_t adcCode;
    uint8_t rest[10];
};

// The 24-byte calibration header kept at the start of XFLASH page 1.
struct CalHeader {
    int32_t HW_TYPE;
    uint16_t SER_NO;
    uint16_t XF_DIVISOR;
    uint16_t XF_SIZE;
    uint16_t reserved;
    uint32_t UM_SLOPE;
    int32_t UM_OFFSET;
    int32_t UM_RANGE;
};

#pragma pack(pop)

static_assert(sizeof(ParamSet) == 60);
static_assert(offsetof(ParamSet, Power_Mode) == 2 && offsetof(ParamSet, Eval_Mode) == 8);
static_assert(offsetof(ParamSet, Teach_Value) == 14 && offsetof(ParamSet, Average) == 20);
static_assert(offsetof(ParamSet, Video_Thd_Auto) == 34 && offsetof(ParamSet, RS_232_Mode) == 36);
static_assert(offsetof(ParamSet, RS_232_Baudrate) == 38 && offsetof(ParamSet, Filter_Type) == 40);
static_assert(offsetof(ParamSet, Exposure_Time) == 50 && offsetof(ParamSet, Tolerance_Mode) == 52);
static_assert(offsetof(ParamSet, Free_Para) == 54 && offsetof(ParamSet, um_Slope) == 56);

static_assert(sizeof(MeasRecord) == 40);
static_assert(offsetof(MeasRecord, M_VAL_um) == 8 && offsetof(MeasRecord, SETPOINT) == 12);
static_assert(offsetof(MeasRecord, MAX_VALUE) == 18 && offsetof(MeasRecord, IN_STATE) == 22);
static_assert(offsetof(MeasRecord, DARK_PIXELS) == 26 && offsetof(MeasRecord, AUTO_TOL) == 30);
static_assert(offsetof(MeasRecord, DYN_EXPOSURE) == 32 && offsetof(MeasRecord, CYCLE_TIME) == 36);

static_assert(sizeof(HwInfo) == 32);
static_assert(offsetof(HwInfo, serialNo) == 8 && offsetof(HwInfo, firmwareNo) == 10);
static_assert(offsetof(HwInfo, pixelCount) == 14 && offsetof(HwInfo, adcCode) == 20);

static_assert(sizeof(CalHeader) == 24);
static_assert(offsetof(CalHeader, SER_NO) == 4 && offsetof(CalHeader, XF_SIZE) == 8);
static_assert(offsetof(CalHeader, UM_SLOPE) == 12 && offsetof(CalHeader, UM_RANGE) == 20);

} // namespace mqsim
