// SPDX-License-Identifier: GPL-3.0-or-later

#include "params/pset.h"

#include <cmath>
#include <cstring>

void SetParameterDefaults(ParameterSet &p)
{
    p.Power = 500;
    p.Power_Mode = 0;
    p.Polarity = 1;
    p.Eval_Mode = 1;
    p.Eval_Begin = 1;
    p.Eval_End = 1024;
    p.Teach_Value = 512;
    p.Upper_Tolerance = 100;
    p.Lower_Tolerance = 100;
    p.Average = 1;
    p.Ext_Trigger_Mode = 0;
    p.Analog_Mode = 0;
    p.CCD_OP_Mode = 0;
    p.Hardware_Mode = 1;
    p.Video_Thd_Mode = 0;
    p.Video_Thd_Fix = 40;
    p.Video_Thd_Auto = 70;
    p.RS_232_Mode = 0;
    p.RS_232_Baudrate = 4;
    p.Filter_Type = 0;
    p.Tolerance_Mode = 0;
    p.Free_Para = 0;
    p.um_Slope = 81920;
}

void NormalizeParameterSet(ParameterSet &p, std::uint16_t pixels)
{
    // Several replacements are deliberately not the nearest bound; the sensor's own
    // firmware treats these values as its defaults.
    if (p.Power > 1000)
        p.Power = 500;
    if (p.Analog_Mode > 7)
        p.Analog_Mode = 0;
    if (p.Polarity > 1)
        p.Polarity = 1;
    if (p.Eval_Mode > 3)
        p.Eval_Mode = 4;
    if (p.Upper_Tolerance > pixels)
        p.Upper_Tolerance = pixels;
    if (p.Upper_Tolerance < 1)
        p.Upper_Tolerance = 1;
    if (p.Lower_Tolerance < 1)
        p.Lower_Tolerance = 1;
    if (p.Video_Thd_Mode > 1)
        p.Video_Thd_Mode = 0;
    if (p.Eval_Begin > pixels)
        p.Eval_Begin = 1;
    if (p.Eval_End > pixels)
        p.Eval_End = pixels;
    if (p.Eval_End == 0)
        p.Eval_End = 256;
    if (p.Ext_Trigger_Mode > 5)
        p.Ext_Trigger_Mode = 0;
    if (p.Hardware_Mode > 3)
        p.Hardware_Mode = 3;
    if (p.Average > 256)
        p.Average = 256;
    if (p.Power_Mode > 2)
        p.Power_Mode = 0;
    if (p.Background_Mode > 1)
        p.Background_Mode = 0;
    if (p.RS_232_Mode > 4)
        p.RS_232_Mode = 0;
    if (p.RS_232_Baudrate > 4)
        p.RS_232_Baudrate = 4;
    if (p.Filter_Type > 64)
        p.Filter_Type = 2;
    if (p.Video_Thd_Fix > 950)
        p.Video_Thd_Fix = 950;
    if (p.Video_Thd_Fix < 10)
        p.Video_Thd_Fix = 10;
    if (p.Video_Thd_Auto > 950)
        p.Video_Thd_Auto = 950;
    if (p.Video_Thd_Auto < 10)
        p.Video_Thd_Auto = 10;
    if (p.Int_Trigger_Mode > 2)
        p.Int_Trigger_Mode = 0;
    if (p.Trigger_Pixel > pixels)
        p.Trigger_Pixel = pixels;
    if (p.Output_Mode > 1)
        p.Output_Mode = 0;
    if (p.Exposure_Time > 10000)
        p.Exposure_Time = 10000;
    if (p.Tolerance_Mode > 60)
        p.Tolerance_Mode = 0;
}

double SlopeWordToMicrons(std::uint32_t word) { return word / 16384.0; }

std::uint32_t MicronsToSlopeWord(double micronsPerPixel)
{
    const double product = std::trunc(micronsPerPixel * 16384.0);
    // Out-of-range slopes (negative, not a number, beyond 32 bits) must not be
    // undefined behaviour; they saturate.
    if (!(product > 0.0))
        return 0;
    if (product >= 4294967295.0)
        return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(product);
}

double PixelsToMillimetres(std::uint32_t pixels, std::uint32_t slopeWord)
{
    return static_cast<double>(pixels) * static_cast<double>(slopeWord) / 16384000.0;
}

std::uint16_t ExposureMsToWord(double milliseconds)
{
    const double tenths = std::round(milliseconds * 10.0);
    if (!(tenths > 0.0))
        return 0;
    const double micros = tenths * 100.0;
    return micros >= 65535.0 ? 65535 : static_cast<std::uint16_t>(micros);
}

double ExposureWordToMs(std::uint16_t word) { return word / 1000.0; }
