// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the simulated sensor remembers: its identity, the parameter sets in RAM and EEPROM with the
// stored threshold profiles, the external flash, and the EEPROM file that outlives a run.

#include "records.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mqsim {

constexpr size_t kCurvePoints = 256;
using Curve = std::array<uint16_t, kCurvePoints>;

// Everything identification reads; configurable so every branch of the program can be reached.
struct Identity {
    std::string firmware = "K-VOR-MQ.V4.06 20-CL 2016";
    int firmwareLength = 72; // data bytes of the firmware answer
    int16_t firmwareNo = 406;
    uint32_t receiverType = 736214;
    uint32_t hardwareType = 517318;
    int16_t pixelCount = 4096;
    int16_t adcCode = 1024;
    uint16_t serial = 4711;
    uint32_t referenceUm = 10000; // size of the reference object measured in calibration mode

    bool operator==(const Identity &) const = default;
};

constexpr size_t kMaxFirmwareLength = 512;
constexpr size_t kMaxFirmwareText = 512;

// Decimal or 0x-hexadecimal, whole text, within [min, max].
bool parseInteger(std::string_view text, long long min, long long max, long long &out);

// Keys: firmware, firmware-length, firmware-no, receiver-type, hardware-type, pixel-count,
// adc-code, serial. On failure `error` says why and the identity is unchanged.
bool setIdentityValue(Identity &identity, std::string_view key, std::string_view value, std::string &error);
bool isIdentityKey(std::string_view key);

// Model geometry derived from the identity, kept sane whatever was configured.
int effectivePixelCount(const Identity &identity);
int adcMax(const Identity &identity);

HwInfo makeHwInfo(const Identity &identity);

ParamSet defaultParamSet();

// Micrometres one pixel of the receiver really covers: the model's range over the line.
double trueMicronsPerPixel(const Identity &identity);

constexpr int kXflashPages = 16;
constexpr size_t kXflashPageSize = 512;
using XflashPages = std::array<std::array<uint8_t, kXflashPageSize>, kXflashPages>;

struct EepromImage {
    ParamSet params{};
    Curve threshold{};
    bool haveXflash = false; // files written before the flash was kept hold none
    XflashPages xflash{};
};

enum class EepromLoad { Loaded, Missing, Corrupt };

// `image` is only written when the file is complete and intact; `message` explains anything else.
EepromLoad loadEeprom(const std::string &path, EepromImage &image, std::string &message);
bool saveEeprom(const std::string &path, const EepromImage &image, std::string &error);

// 16 pages of 512 bytes; page k answers to address 0x1000 + 0x100*k. Within a page an address
// step is one 16-bit word, which is how 0x100 addresses cover 512 bytes.
class XFlash {
public:
    static constexpr int kPages = kXflashPages;
    static constexpr size_t kPageSize = kXflashPageSize;
    static constexpr uint16_t kBase = 0x1000;
    static constexpr uint16_t kLast = 0x1FFF;
    using Page = XflashPages::value_type;

    XFlash();
    // False (nothing erased) unless the address is exactly a page start.
    bool erase(uint16_t address);
    // Flash semantics: bits only go from 1 to 0 (new = old AND data); bytes past the page end are
    // dropped. False when the address lies outside the flash.
    bool write(uint16_t address, const uint8_t *data, size_t count);
    const Page &page(int index) const { return pages_[static_cast<size_t>(index)]; }
    void installCalHeader(const Identity &identity);
    const XflashPages &pages() const { return pages_; }
    void setPages(const XflashPages &pages) { pages_ = pages; }

private:
    XflashPages pages_;
};

} // namespace mqsim
