// SPDX-License-Identifier: GPL-3.0-or-later

#include "state.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace mqsim {

namespace {

constexpr char kEepromMagic[8] = {'M', 'Q', 'S', 'I', 'M', 'E', 'E', 'P'};
// Version 1: magic, version u16, reserved u16, parameter set, threshold curve, FNV-1a over
// everything before. Version 2 adds the 16 XFLASH pages after the curve.
constexpr uint16_t kEepromVersion = 2;
constexpr size_t kEepromBodyV1 = 8 + 2 + 2 + sizeof(ParamSet) + kCurvePoints * 2;
constexpr size_t kEepromBody = kEepromBodyV1 + sizeof(XflashPages);
constexpr size_t kEepromFileSizeV1 = kEepromBodyV1 + 4;
constexpr size_t kEepromFileSize = kEepromBody + 4;

uint32_t fnv1a(const uint8_t *data, size_t count)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < count; ++i) {
        hash ^= data[i];
        hash *= 16777619u;
    }
    return hash;
}

constexpr std::string_view kIdentityKeys[] = {"firmware",      "firmware-length", "firmware-no",
                                              "receiver-type", "hardware-type",   "pixel-count",
                                              "adc-code",      "serial",          "reference-um"};

} // namespace

bool parseInteger(std::string_view text, long long min, long long max, long long &out)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    unsigned long long magnitude = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    if (magnitude > (1ull << 62))
        return false;
    const long long value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (value < min || value > max)
        return false;
    out = value;
    return true;
}

bool isIdentityKey(std::string_view key)
{
    for (auto known : kIdentityKeys)
        if (key == known)
            return true;
    return false;
}

bool setIdentityValue(Identity &identity, std::string_view key, std::string_view value, std::string &error)
{
    if (key == "firmware") {
        if (value.size() > kMaxFirmwareText) {
            error = "firmware text longer than " + std::to_string(kMaxFirmwareText) + " characters";
            return false;
        }
        identity.firmware = std::string(value);
        return true;
    }
    struct Range {
        std::string_view key;
        long long min, max;
    };
    static constexpr Range ranges[] = {
        {"firmware-length", 0, static_cast<long long>(kMaxFirmwareLength)},
        {"firmware-no", -32768, 32767},
        {"receiver-type", 0, 4294967295LL},
        {"hardware-type", 0, 4294967295LL},
        {"pixel-count", -32768, 32767},
        {"adc-code", -32768, 32767},
        {"serial", 0, 65535},
        {"reference-um", 1, 1000000},
    };
    for (const auto &range : ranges) {
        if (key != range.key)
            continue;
        long long number = 0;
        if (!parseInteger(value, range.min, range.max, number)) {
            error = std::string(key) + " wants an integer from " + std::to_string(range.min) + " to " +
                    std::to_string(range.max) + ", not '" + std::string(value) + "'";
            return false;
        }
        if (key == "firmware-length")
            identity.firmwareLength = static_cast<int>(number);
        else if (key == "firmware-no")
            identity.firmwareNo = static_cast<int16_t>(number);
        else if (key == "receiver-type")
            identity.receiverType = static_cast<uint32_t>(number);
        else if (key == "hardware-type")
            identity.hardwareType = static_cast<uint32_t>(number);
        else if (key == "pixel-count")
            identity.pixelCount = static_cast<int16_t>(number);
        else if (key == "adc-code")
            identity.adcCode = static_cast<int16_t>(number);
        else if (key == "reference-um")
            identity.referenceUm = static_cast<uint32_t>(number);
        else
            identity.serial = static_cast<uint16_t>(number);
        return true;
    }
    error = "unknown identity key '" + std::string(key) + "'";
    return false;
}

int effectivePixelCount(const Identity &identity)
{
    // The model needs at least one pixel per video point and must stay inside u16 positions.
    const int count = identity.pixelCount;
    if (count < 256)
        return 256;
    return count > 16384 ? 16384 : count;
}

double trueMicronsPerPixel(const Identity &identity)
{
    double range = 20000.0;
    switch (identity.hardwareType) {
    case 517311:
    case 517422:
        range = 10000.0;
        break;
    case 517465:
        range = 14000.0;
        break;
    case 517204:
    case 517449:
        range = 30000.0;
        break;
    case 517314:
    case 517437:
        range = 40000.0;
        break;
    default:
        break;
    }
    return range / effectivePixelCount(identity);
}

int adcMax(const Identity &identity) { return identity.adcCode == 256 ? 256 : 1024; }

HwInfo makeHwInfo(const Identity &identity)
{
    HwInfo info{};
    info.receiverType = identity.receiverType;
    info.hardwareType = identity.hardwareType;
    info.serialNo = identity.serial;
    info.firmwareNo = identity.firmwareNo;
    info.word12 = 1024;
    info.pixelCount = identity.pixelCount;
    info.word16 = 1;
    info.word18 = 1024;
    info.adcCode = identity.adcCode;
    return info;
}

ParamSet defaultParamSet()
{
    ParamSet set{};
    set.Power = 500;
    set.Polarity = 1;
    set.Eval_Mode = 1;
    set.Eval_Begin = 1;
    set.Eval_End = 1024;
    set.Teach_Value = 512;
    set.Upper_Tolerance = 100;
    set.Lower_Tolerance = 100;
    set.Average = 1;
    set.Hardware_Mode = 1;
    set.Video_Thd_Fix = 40;
    set.Video_Thd_Auto = 70;
    set.RS_232_Baudrate = 4;
    set.um_Slope = 81920;
    return set;
}

EepromLoad loadEeprom(const std::string &path, EepromImage &image, std::string &message)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        message = "EEPROM file '" + path + "' not found, using defaults";
        return EepromLoad::Missing;
    }
    // Read one byte more than a valid file has, to tell "too long" from "just right".
    std::vector<char> content(kEepromFileSize + 1);
    file.read(content.data(), static_cast<std::streamsize>(content.size()));
    const size_t got = static_cast<size_t>(file.gcount());
    if (got != kEepromFileSize && got != kEepromFileSizeV1) {
        message = "EEPROM file '" + path + "' has " + (got < kEepromFileSize ? "too few" : "too many") +
                  " bytes, using defaults";
        return EepromLoad::Corrupt;
    }
    const auto *bytes = reinterpret_cast<const uint8_t *>(content.data());
    uint16_t version = 0;
    std::memcpy(&version, bytes + 8, 2);
    const size_t body = got == kEepromFileSize ? kEepromBody : kEepromBodyV1;
    uint32_t stored = 0;
    std::memcpy(&stored, bytes + body, 4);
    if (std::memcmp(bytes, kEepromMagic, sizeof kEepromMagic) != 0 || version != (body == kEepromBody ? 2 : 1) ||
        stored != fnv1a(bytes, body)) {
        message = "EEPROM file '" + path + "' is corrupt, using defaults";
        return EepromLoad::Corrupt;
    }
    std::memcpy(&image.params, bytes + 12, sizeof(ParamSet));
    std::memcpy(image.threshold.data(), bytes + 12 + sizeof(ParamSet), kCurvePoints * 2);
    image.haveXflash = body == kEepromBody;
    if (image.haveXflash)
        std::memcpy(image.xflash.data(), bytes + kEepromBodyV1, sizeof(XflashPages));
    message.clear();
    return EepromLoad::Loaded;
}

bool saveEeprom(const std::string &path, const EepromImage &image, std::string &error)
{
    std::vector<uint8_t> storage(kEepromFileSize, 0);
    uint8_t *bytes = storage.data();
    std::memcpy(bytes, kEepromMagic, sizeof kEepromMagic);
    std::memcpy(bytes + 8, &kEepromVersion, 2);
    std::memcpy(bytes + 12, &image.params, sizeof(ParamSet));
    std::memcpy(bytes + 12 + sizeof(ParamSet), image.threshold.data(), kCurvePoints * 2);
    if (image.haveXflash) {
        std::memcpy(bytes + kEepromBodyV1, image.xflash.data(), sizeof(XflashPages));
    } else {
        // Erased flash, as a sensor leaves the factory before its header is written.
        std::memset(bytes + kEepromBodyV1, 0xFF, sizeof(XflashPages));
    }
    const uint32_t hash = fnv1a(bytes, kEepromBody);
    std::memcpy(bytes + kEepromBody, &hash, 4);

    // Write beside the file and rename, so a crash mid-write never leaves a torn EEPROM.
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char *>(bytes), static_cast<std::streamsize>(storage.size()));
        file.close();
        if (!file) {
            error = "cannot write EEPROM file '" + temporary + "'";
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot replace EEPROM file '" + path + "': " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

XFlash::XFlash()
{
    for (auto &page : pages_)
        page.fill(0xFF);
}

bool XFlash::erase(uint16_t address)
{
    if (address < kBase || address > kLast || (address & 0xFF) != 0)
        return false;
    pages_[(address - kBase) >> 8].fill(0xFF);
    return true;
}

bool XFlash::write(uint16_t address, const uint8_t *data, size_t count)
{
    if (address < kBase || address > kLast)
        return false;
    Page &page = pages_[(address - kBase) >> 8];
    const size_t offset = static_cast<size_t>(address & 0xFF) * 2;
    const size_t fit = offset + count > kPageSize ? kPageSize - offset : count;
    for (size_t i = 0; i < fit; ++i)
        page[offset + i] &= data[i];
    return true;
}

void XFlash::installCalHeader(const Identity &identity)
{
    CalHeader header{};
    header.HW_TYPE = static_cast<int32_t>(identity.hardwareType);
    header.SER_NO = identity.serial;
    header.XF_DIVISOR = 1;
    header.XF_SIZE = 2048;
    header.UM_SLOPE = 81920;
    header.UM_OFFSET = 0;
    header.UM_RANGE = 20000;
    Page &page = pages_[1];
    page.fill(0xFF);
    std::memcpy(page.data(), &header, sizeof header);
}

} // namespace mqsim
