// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary parameter-file contents through the key reader and the corrections made
// before a set is shown; the corrected set must be within every bound.

#include "ini/ini.h"
#include "params/parafile.h"
#include "params/pset.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    IniText ini = Ini_New(0);
    if (!ini)
        return 0;
    Ini_ReadFromText(ini, reinterpret_cast<const char *>(data), size);
    ParameterSet p{};
    SetParameterDefaults(p);
    GetIniParaTags(ini, &p);
    Ini_Dispose(ini);

    const std::uint16_t pixels = size >= 2 ? static_cast<std::uint16_t>(data[0] | data[1] << 8) : 1024;
    NormalizeParameterSet(p, pixels);
    const bool inBounds =
        p.Power <= 1000 && p.Analog_Mode <= 7 && p.Polarity <= 1 && p.Eval_Mode <= 4 && p.Lower_Tolerance >= 1 &&
        p.Video_Thd_Mode <= 1 && p.Ext_Trigger_Mode <= 5 && p.Hardware_Mode <= 3 && p.Average <= 256 &&
        p.Power_Mode <= 2 && p.Background_Mode <= 1 && p.RS_232_Mode <= 4 && p.RS_232_Baudrate <= 4 &&
        p.Filter_Type <= 64 && p.Video_Thd_Fix >= 10 && p.Video_Thd_Fix <= 950 && p.Video_Thd_Auto >= 10 &&
        p.Video_Thd_Auto <= 950 && p.Int_Trigger_Mode <= 2 && p.Output_Mode <= 1 && p.Exposure_Time <= 10000 &&
        p.Tolerance_Mode <= 60 && p.Eval_End != 0 && (p.Eval_End <= pixels || p.Eval_End == 256) &&
        p.Eval_Begin <= pixels + 1u && p.Trigger_Pixel <= pixels;
    if (!inBounds)
        __builtin_trap();
    return 0;
}
