#include "params/parafile.h"

#include "params/pset.h"

#include <cstdint>

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

bool takeWord(IniText ini, const char *key, std::uint16_t &field)
{
    std::int32_t v = 0;
    if (Ini_GetInt(ini, kSection, key, &v) != 1)
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

int GetIniParaTags(IniText ini, ParameterSet *record)
{
    int taken = 0;
    for (const ParaKey &k : kParaKeys) {
        if (const OlderKey *o = olderPairOf(k.field)) {
            taken += takeWord(ini, o->first, record->*k.field);
            taken += takeWord(ini, o->second, record->*k.field);
        } else {
            taken += takeWord(ini, k.name, record->*k.field);
        }
    }
    if (Ini_GetUInt(ini, kSection, "um-Slope", &record->um_Slope) == 1)
        ++taken;
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

int ReadParaFromIniFile(ParameterSet *record, const char *path)
{
    IniText ini = Ini_New(0);
    if (!ini)
        return INI_ERR_OUT_OF_MEMORY;
    int result = kParaFileUnreadable;
    if (Ini_ReadFromFile(ini, path) >= 0) {
        // Taken into a copy first, so that a file without a single parameter leaves the
        // record as it was.
        ParameterSet read = *record;
        if (GetIniParaTags(ini, &read) > 0) {
            *record = read;
            result = 1;
        } else {
            result = kParaFileEmpty;
        }
    }
    Ini_Dispose(ini);
    return result;
}
