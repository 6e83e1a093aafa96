// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter files: key order and values as written, the older keys and their
// precedence, absent and odd values, and files that cannot be read or written.

#include "params/parafile.h"
#include "params/pset.h"
#include "support/byte_lines.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

class ParaFileTest : public ::testing::Test {
protected:
    void SetUp() override { SetParameterDefaults(pset); }
    std::string path(const char *name) const { return tmp / name; }
    TempDir tmp;
    const std::string dir = tmp.path;
};

ParameterSet unusualSet()
{
    ParameterSet p{};
    auto *words = reinterpret_cast<std::uint16_t *>(&p);
    for (int i = 0; i < 28; ++i)
        words[i] = static_cast<std::uint16_t>(1000 + 37 * i);
    p.Free_Para = 0xBEEF;
    p.um_Slope = 0xF0000001u; // above the signed range: must survive as its unsigned value
    return p;
}

TEST_F(ParaFileTest, WrittenSetReadsBackByteForByteWithKeysInRecordOrder)
{
    pset = unusualSet();
    const ParameterSet written = pset;
    ASSERT_GT(WriteParaToIniFile(&pset, path("p.ini").c_str()), 0);

    const std::string text = ReadBytes(path("p.ini"));
    const std::vector<std::string> keys = {
        "Power",       "Power-Mode",      "Background-Mode", "Polarity",         "Eval-Mode",        "Eval-Begin",
        "Eval-End",    "Teach-Value",     "Upper-Tolerance", "Lower-Tolerance",  "Average",          "Ext-Trigger-Mode",
        "Analog-Mode", "CCD-OP-Mode",     "Hardware-Mode",   "Video-Thd-Mode",   "Video-Thd-Fix",    "Video-Thd-Auto",
        "RS-232-Mode", "RS-232-Baudrate", "Filter-Type",     "Analog-Zoom-Mode", "Int-Trigger-Mode", "Trigger-Pixel",
        "Output-Mode", "Exposure-Time",   "Tolerance-Mode",  "Free-Para",        "um-Slope"};
    size_t at = text.find("[PARA]");
    ASSERT_NE(at, std::string::npos);
    for (const std::string &key : keys) {
        const size_t next = text.find("\n" + key + " ", at);
        ASSERT_NE(next, std::string::npos) << key << " missing or out of order";
        at = next + 1;
    }
    EXPECT_NE(text.find("um-Slope = 4026531841"), std::string::npos) << text;
    EXPECT_NE(text.find("Free-Para = 48879"), std::string::npos);

    SetParameterDefaults(pset);
    ParameterSet read{};
    SetParameterDefaults(read);
    ASSERT_GT(ReadParaFromIniFile(&read, path("p.ini").c_str()), 0);
    EXPECT_TRUE(SameBytes(read, written));
}

TEST_F(ParaFileTest, OlderKeysAndTheirPrecedence)
{
    WriteBytes(path("old.ini"), "[PARA]\r\n"
                                "CCD-OP-Mode = 1\r\nCCD-Operation-Mode = 2\r\n"
                                "Ext.Trigger-Mode = 1\r\nExt-Trigger-Mode = 2\r\n"
                                "Analog-Out-Mode = 5\r\n"
                                "Int-Trigger-Mode = 2\r\nInt.Trigger-Mode = 1\r\n");
    ParameterSet p{};
    SetParameterDefaults(p);
    ASSERT_GT(ReadParaFromIniFile(&p, path("old.ini").c_str()), 0);
    // The older key wins for CCD-OP-Mode, the current key for the others; an older key alone is taken.
    EXPECT_EQ(p.CCD_OP_Mode, 2) << "the older CCD-OP-Mode wins";
    EXPECT_EQ(p.Ext_Trigger_Mode, 2) << "the current Ext-Trigger-Mode wins";
    EXPECT_EQ(p.Analog_Mode, 5) << "the older Analog-Out-Mode alone is taken";
    EXPECT_EQ(p.Int_Trigger_Mode, 2) << "the current Int-Trigger-Mode wins";

    WriteBytes(path("old2.ini"), "[PARA]\nAnalog-Out-Mode = 5\nAnalog-Mode = 3\nCCD-OP-Mode = 1\n");
    SetParameterDefaults(p);
    ASSERT_GT(ReadParaFromIniFile(&p, path("old2.ini").c_str()), 0);
    EXPECT_EQ(std::tuple(p.Analog_Mode, p.CCD_OP_Mode), std::tuple(3, 1));
}

TEST_F(ParaFileTest, AbsentKeysAndTextsThatAreNoIntegerKeepTheirFields)
{
    WriteBytes(path("part.ini"), "[PARA]\nPower = 5000\nEval-Mode = abc\nTeach-Value = 65535\nExposure-Time = 0\n");
    ParameterSet p{};
    SetParameterDefaults(p);
    p.um_Slope = 12345;
    ParameterSet expected = p;
    expected.Power = 5000; // corrected only when shown
    expected.Teach_Value = 65535;
    expected.Exposure_Time = 0;
    ASSERT_GT(ReadParaFromIniFile(&p, path("part.ini").c_str()), 0);
    EXPECT_TRUE(SameBytes(p, expected)) << "Eval-Mode 'abc' and the absent um-Slope must not change";
}

TEST_F(ParaFileTest, ValueOutsideItsFieldIsRefusedByNameAndTheSetStays)
{
    // A wrapped or zero value would reach the sensor as something nobody wrote.
    const struct {
        const char *line;
        bool taken;
    } rows[] = {{"Teach-Value = 70000", false},      {"Exposure-Time = -1", false}, {"Average = 99999999999", false},
                {"Ext.Trigger-Mode = 65536", false}, {"um-Slope = 0", false},       {"um-Slope = -5", false},
                {"um-Slope = 4294967296", false},    {"um-Slope = 1", true},        {"um-Slope = 4294967295", true},
                {"Free-Para = 65535", true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.line);
        WriteBytes(path("range.ini"), std::string("[PARA]\nPower = 7\n") + row.line + "\n");
        ParameterSet p = unusualSet();
        const ParameterSet before = p;
        std::string refused = "untouched";
        const int result = ReadParaFromIniFile(&p, path("range.ini").c_str(), &refused);
        if (row.taken) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(refused, "untouched") << "no key named as refused";
            EXPECT_EQ(p.Power, 7);
        } else {
            EXPECT_EQ(result, kParaFileOutOfRange);
            EXPECT_EQ(refused, row.line) << "the refused key and value";
            EXPECT_TRUE(SameBytes(p, before)) << "nothing of a refused file is taken";
        }
    }
}

TEST_F(ParaFileTest, UnreadableEmptyOrUnwritableFilesChangeNothingAndSaySo)
{
    ParameterSet p = unusualSet();
    const ParameterSet before = p;
    EXPECT_EQ(ReadParaFromIniFile(&p, path("missing.ini").c_str()), kParaFileUnreadable);
    EXPECT_EQ(ReadParaFromIniFile(&p, dir.c_str()), kParaFileUnreadable); // a directory
    WriteBytes(path("other.ini"), "[SETTINGS]\nPower = 7\n");
    EXPECT_EQ(ReadParaFromIniFile(&p, path("other.ini").c_str()), kParaFileEmpty);
    WriteBytes(path("empty.ini"), "");
    EXPECT_EQ(ReadParaFromIniFile(&p, path("empty.ini").c_str()), kParaFileEmpty);
    EXPECT_TRUE(SameBytes(p, before)) << "a refused file changed the set";

    EXPECT_LT(WriteParaToIniFile(&pset, (dir + "/no/such/dir/p.ini").c_str()), 0);
    EXPECT_LT(WriteParaToIniFile(&pset, dir.c_str()), 0); // a directory in the way
    EXPECT_TRUE(std::filesystem::is_directory(dir));
}

} // namespace
