// SPDX-License-Identifier: GPL-3.0-or-later

#include "params/parafile.h"

#include "params/pset.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string_view>

// File order of the keys. um-Slope, the only 32-bit field, follows them.
const ParaKey kParaKeys[] = {
    {"Power", &ParameterSet::Power},
    {"Power-Mode", &ParameterSet::Power_Mode},
    {"Background-Mode", &ParameterSet::Background_Mode},
    {"Polarity", &ParameterSet::Polarity},
    {"Eval-Mode", &ParameterSet::Eval_Mode},
    {"Eval-Begin", &ParameterSet::Eval_Begin},
    {"Eval-End", &ParameterSet::Eval_End},
    {"Teach-Value", &ParameterSet::Teach_Value},
    {"Upper-Tolerance", &ParameterSet::Upper_Tolerance},
    {"Lower-Tolerance", &ParameterSet::Lower_Tolerance},
    {"Average", &ParameterSet::Average},
    {"Ext-Trigger-Mode", &ParameterSet::Ext_Trigger_Mode},
    {"Analog-Mode", &ParameterSet::Analog_Mode},
    {"CCD-OP-Mode", &ParameterSet::CCD_OP_Mode},
    {"Hardware-Mode", &ParameterSet::Hardware_Mode},
    {"Video-Thd-Mode", &ParameterSet::Video_Thd_Mode},
    {"Video-Thd-Fix", &ParameterSet::Video_Thd_Fix},
    {"Video-Thd-Auto", &ParameterSet::Video_Thd_Auto},
    {"RS-232-Mode", &ParameterSet::RS_232_Mode},
    {"RS-232-Baudrate", &ParameterSet::RS_232_Baudrate},
    {"Filter-Type", &ParameterSet::Filter_Type},
    {"Analog-Zoom-Mode", &ParameterSet::Analog_Zoom_Mode},
    {"Int-Trigger-Mode", &ParameterSet::Int_Trigger_Mode},
    {"Trigger-Pixel", &ParameterSet::Trigger_Pixel},
    {"Output-Mode", &ParameterSet::Output_Mode},
    {"Exposure-Time", &ParameterSet::Exposure_Time},
    {"Tolerance-Mode", &ParameterSet::Tolerance_Mode},
    {"Free-Para", &ParameterSet::Free_Para},
};
const int kParaKeyCount = sizeof kParaKeys / sizeof kParaKeys[0];

namespace {

constexpr const char *kSection = "PARA";

// Older files name four fields differently. Each pair is read in the order given, so
// the second key wins when a file holds both.
struct OlderKey {
    const char *first;
    const char *second;
    std::uint16_t ParameterSet::*field;
};
const OlderKey kOlderKeys[] = {
    {"Ext.Trigger-Mode", "Ext-Trigger-Mode", &ParameterSet::Ext_Trigger_Mode},
    {"Analog-Out-Mode", "Analog-Mode", &ParameterSet::Analog_Mode},
    {"CCD-OP-Mode", "CCD-Operation-Mode", &ParameterSet::CCD_OP_Mode},
    {"Int.Trigger-Mode", "Int-Trigger-Mode", &ParameterSet::Int_Trigger_Mode},
};

// The key's value when it is an integer that fits lowest..highest. One that is an integer
// but does not fit (also one too long for any word) is refused: it is named in `refused`.
bool takeValue(IniText ini, const char *key, long long lowest, long long highest, long long &value,
               std::string &refused)
{
    std::uint32_t word = 0;
    std::int32_t number = 0;
    long long v = 0;
    if (Ini_GetInt(ini, kSection, key, &number) == 1) {
        v = number;
    } else if (Ini_GetUInt(ini, kSection, key, &word) == 1) {
        v = word;
    } else {
        char text[64];
        if (Ini_GetStringIntoBuffer(ini, kSection, key, text, sizeof text) != 1)
            return false;
        std::string_view digits = text;
        while (!digits.empty() && std::isspace(static_cast<unsigned char>(digits.front())))
            digits.remove_prefix(1);
        while (!digits.empty() && std::isspace(static_cast<unsigned char>(digits.back())))
            digits.remove_suffix(1);
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
            digits.remove_prefix(1);
        const bool integer = !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) != 0;
        });
        if (integer && refused.empty())
            refused = std::string(key) + " = " + text;
        return false;
    }
    if (v < lowest || v > highest) {
        if (refused.empty())
            refused = std::string(key) + " = " + std::to_string(v);
        return false;
    }
    value = v;
    return true;
}

bool takeWord(IniText ini, const char *key, std::uint16_t &field, std::string &refused)
{
    long long v = 0;
    if (!takeValue(ini, key, 0, 65535, v, refused))
        return false;
    field = static_cast<std::uint16_t>(v);
    return true;
}

const OlderKey *olderPairOf(std::uint16_t ParameterSet::*field)
{
    for (const OlderKey &o : kOlderKeys)
        if (o.field == field)
            return &o;
    return nullptr;
}

} // namespace

void PutIniParaTags(IniText ini)
{
    for (const ParaKey &k : kParaKeys)
        Ini_PutInt(ini, kSection, k.name, pset.*k.field);
    Ini_PutUInt(ini, kSection, "um-Slope", pset.um_Slope);
}

int GetIniParaTags(IniText ini, ParameterSet *record, std::string *refusedValue)
{
    // Taken into a copy, so that a refused value leaves the whole record as it was.
    ParameterSet read = *record;
    std::string refused;
    int taken = 0;
    for (const ParaKey &k : kParaKeys) {
        if (const OlderKey *o = olderPairOf(k.field)) {
            taken += takeWord(ini, o->first, read.*k.field, refused);
            taken += takeWord(ini, o->second, read.*k.field, refused);
        } else {
            taken += takeWord(ini, k.name, read.*k.field, refused);
        }
    }
    // A slope of 0 would turn every millimetre value into 0.
    long long slope = 0;
    if (takeValue(ini, "um-Slope", 1, UINT32_MAX, slope, refused)) {
        read.um_Slope = static_cast<std::uint32_t>(slope);
        ++taken;
    }
    if (!refused.empty()) {
        if (refusedValue)
            *refusedValue = refused;
        return kParaFileOutOfRange;
    }
    *record = read;
    return taken;
}

int WriteParaToIniFile(const ParameterSet * /*record*/, const char *path)
{
    IniText ini = Ini_New(0);
    if (!ini)
        return INI_ERR_OUT_OF_MEMORY;
    PutIniParaTags(ini);
    const int result = Ini_WriteToFile(ini, path);
    Ini_Dispose(ini);
    return result < 0 ? result : 1;
}

int ReadParaFromIniFile(ParameterSet *record, const char *path, std::string *refusedValue)
{
    IniText ini = Ini_New(0);
    if (!ini)
        return INI_ERR_OUT_OF_MEMORY;
    int result = kParaFileUnreadable;
    if (Ini_ReadFromFile(ini, path) >= 0) {
        // Taken into a copy first, so that a file without a single parameter leaves the
        // record as it was.
        ParameterSet read = *record;
        const int taken = GetIniParaTags(ini, &read, refusedValue);
        if (taken > 0) {
            *record = read;
            result = 1;
        } else {
            result = taken < 0 ? taken : kParaFileEmpty;
        }
    }
    Ini_Dispose(ini);
    return result;
}
