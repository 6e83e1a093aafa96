#pragma once
// The sensor's hardware-info record and the hardware-type constants derived from it.

#include <cstddef>
#include <cstdint>

struct HardwareInfo {
    std::uint32_t receiverType;
    std::uint32_t hardwareType;
    std::uint16_t serialNo;
    std::int16_t firmwareNo;   // hundredths: 406 = V4.06
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

extern HardwareInfo hwinfo;
extern std::uint16_t HWTYPE;
extern std::uint16_t ADCMAX;
extern std::uint16_t PRECISION;
extern double MIN_ITIME;
extern std::uint16_t pixB, pixE;
// 72 bytes of firmware text plus a terminator: the sensor need not send a zero.
extern char szFirmwareVersion[73];

void SetHardwareInfoDefaults(HardwareInfo &h);
// The receiver's pixel count as the unsigned value the comparisons use.
std::uint16_t PixelCount();
