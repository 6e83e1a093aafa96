// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter set and calibration header records: normalisation and conversions.

#include "calib/calrec.h"
#include "params/pset.h"
#include "support/byte_lines.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Slope, WordsAndMicronsConvertTruncatedAndClampedToTheWord)
{
    EXPECT_DOUBLE_EQ(SlopeWordToMicrons(81920), 5.0);
    EXPECT_DOUBLE_EQ(PixelsToMillimetres(1, 81920), 0.005);
    // Words of 2^31 and above are positive slopes.
    EXPECT_DOUBLE_EQ(SlopeWordToMicrons(0x80000000u), 131072.0);
    // Two exact words, two truncated (not rounded), two of 2^31 and above, and nothing undefined
    // for slopes a word cannot hold.
    std::vector<std::uint32_t> words;
    for (double um : {2.5, 3.5, 10000.0 / 3000.0, 0.99999 / 16384.0, 131072.0, 262143.99, -1.0, 1e12})
        words.push_back(MicronsToSlopeWord(um));
    EXPECT_EQ(words, (std::vector<std::uint32_t>{40960, 57344, 54613, 0, 0x80000000u, 4294967132u, 0, 0xFFFFFFFFu}));
    // 100 pixels at 10 µm per pixel are 1 mm; pixels are unsigned.
    EXPECT_DOUBLE_EQ(PixelsToMillimetres(100, 10 * 16384), 1.0);
    EXPECT_DOUBLE_EQ(PixelsToMillimetres(65535, 81920), 327.675);
    EXPECT_DOUBLE_EQ(PixelsToMillimetres(512, 81920), 2.56);
}

TEST(Exposure, MillisecondsRoundToTenthsOfAMillisecond)
{
    std::vector<int> words;
    for (double ms : {0.46, 0.44, 1.5, -3.0, 1000.0})
        words.push_back(ExposureMsToWord(ms));
    EXPECT_EQ(words, std::vector({500, 400, 1500, 0, 65535}));
    EXPECT_DOUBLE_EQ(ExposureWordToMs(1500), 1.5);
}

// The header before a sensor is identified, and the slope in use scaling the video's pixel axis
// (the calibration tests follow a new slope there).
TEST(Calibration, DefaultsScalingAndMillimetrePoints)
{
    CalibrationHeader c;
    SetCalibrationDefaults(c);
    EXPECT_EQ(c.HW_TYPE, 517318);
    EXPECT_EQ(c.XF_SIZE, 2048);
    EXPECT_EQ(c.UM_SLOPE, 81920u) << "5 um per pixel";
    EXPECT_EQ(c.UM_RANGE, 20000);
    YSCALE_FAC = ScaleOfSlopeWord(81920);
    EXPECT_DOUBLE_EQ(YSCALE_FAC, 0.005);
    for (int i = 0; i < kVideoPoints; ++i)
        xArray_pi[i] = 4.0 * i;
    EXPECT_DOUBLE_EQ(RecomputeMillimetrePoints(), 5.1);
    EXPECT_DOUBLE_EQ(xArray_mm[100], 2.0);
    YSCALE_FAC = 0;
    EXPECT_DOUBLE_EQ(RecomputeMillimetrePoints(), 0.0);
}

// Every correction: the last value kept, the first value replaced and its replacement,
// each field tested alone on a set that is otherwise in range; the byte comparison sees any
// other field changed (an all-zero answer is these corrections at once).
TEST(ParameterSet, EveryCorrectionAtItsBoundary)
{
    struct Row {
        const char *name;
        std::uint16_t ParameterSet::*field;
        std::uint16_t kept;
        std::uint16_t replaced;
        std::uint16_t replacement;
    };
    constexpr std::uint16_t pixels = 2048;
    // clang-format off
    const Row rows[] = {
        {"Power", &ParameterSet::Power, 1000, 1001, 500},
        {"Analog-Mode", &ParameterSet::Analog_Mode, 7, 8, 0},
        {"Polarity", &ParameterSet::Polarity, 1, 2, 1},
        {"Eval-Mode", &ParameterSet::Eval_Mode, 3, 9, 4},
        {"Upper-Tolerance above", &ParameterSet::Upper_Tolerance, pixels, pixels + 1, pixels},
        {"Upper-Tolerance far above", &ParameterSet::Upper_Tolerance, pixels, 0xFFFF, pixels}, // -1 if signed
        {"Upper-Tolerance below", &ParameterSet::Upper_Tolerance, 1, 0, 1},
        {"Lower-Tolerance", &ParameterSet::Lower_Tolerance, 1, 0, 1},
        {"Video-Thd-Mode", &ParameterSet::Video_Thd_Mode, 1, 2, 0},
        {"Eval-Begin", &ParameterSet::Eval_Begin, pixels, pixels + 1, 1},
        {"Eval-End above", &ParameterSet::Eval_End, pixels, 65535, pixels},
        {"Eval-End zero", &ParameterSet::Eval_End, 1, 0, 256},
        {"Ext-Trigger-Mode", &ParameterSet::Ext_Trigger_Mode, 5, 6, 0},
        {"Hardware-Mode", &ParameterSet::Hardware_Mode, 3, 4, 3},
        {"Average", &ParameterSet::Average, 256, 257, 256},
        {"Power-Mode", &ParameterSet::Power_Mode, 2, 3, 0},
        {"Background-Mode", &ParameterSet::Background_Mode, 1, 2, 0},
        {"RS-232-Mode", &ParameterSet::RS_232_Mode, 4, 5, 0},
        {"RS-232-Baudrate", &ParameterSet::RS_232_Baudrate, 4, 5, 4},
        {"Filter-Type", &ParameterSet::Filter_Type, 64, 65, 2},
        {"Video-Thd-Fix above", &ParameterSet::Video_Thd_Fix, 950, 951, 950},
        {"Video-Thd-Fix far above", &ParameterSet::Video_Thd_Fix, 950, 0xFFFF, 950},
        {"Video-Thd-Fix below", &ParameterSet::Video_Thd_Fix, 10, 9, 10},
        {"Video-Thd-Auto above", &ParameterSet::Video_Thd_Auto, 950, 951, 950},
        {"Video-Thd-Auto below", &ParameterSet::Video_Thd_Auto, 10, 9, 10},
        {"Video-Thd-Fix zero", &ParameterSet::Video_Thd_Fix, 10, 0, 10},
        {"Video-Thd-Auto zero", &ParameterSet::Video_Thd_Auto, 10, 0, 10},
        {"Int-Trigger-Mode", &ParameterSet::Int_Trigger_Mode, 2, 3, 0},
        {"Trigger-Pixel", &ParameterSet::Trigger_Pixel, pixels, pixels + 1, pixels},
        {"Trigger-Pixel far above", &ParameterSet::Trigger_Pixel, pixels, 0x8000, pixels},
        {"Output-Mode", &ParameterSet::Output_Mode, 1, 2, 0},
        {"Exposure-Time", &ParameterSet::Exposure_Time, 10000, 10001, 10000},
        {"Tolerance-Mode", &ParameterSet::Tolerance_Mode, 60, 61, 0},
        // Never corrected.
        {"CCD-OP-Mode", &ParameterSet::CCD_OP_Mode, 77, 77, 77},
        {"Analog-Zoom-Mode", &ParameterSet::Analog_Zoom_Mode, 99, 99, 99},
        {"Teach-Value", &ParameterSet::Teach_Value, 60000, 60000, 60000},
        {"Free-Para", &ParameterSet::Free_Para, 0xBEEF, 0xBEEF, 0xBEEF},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ParameterSet p{};
        SetParameterDefaults(p);
        p.um_Slope = 0xFFFFFFFF; // never corrected either
        p.*row.field = row.kept;
        ParameterSet expected = p;
        NormalizeParameterSet(p, pixels);
        EXPECT_EQ(p.*row.field, row.kept);
        EXPECT_TRUE(SameBytes(p, expected)) << "another field changed";

        p.*row.field = row.replaced;
        expected = p;
        expected.*row.field = row.replacement;
        NormalizeParameterSet(p, pixels);
        EXPECT_EQ(p.*row.field, row.replacement);
        EXPECT_TRUE(SameBytes(p, expected)) << "another field changed";
    }
}

} // namespace
