// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration-table text format: what a valid table fills, and that every kind of
// bad file names its line and leaves the table as it was.

#include "calib/table_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::string entries(int count, int step = 3)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(i * step) + "\n";
    return text;
}

struct Parsed {
    bool ok;
    std::string error;
    unsigned char table[kCalibTableBytes];
};

Parsed parse(const std::string &text, std::uint16_t xfSize)
{
    Parsed p{};
    std::memset(p.table, 0xEE, sizeof p.table);
    p.ok = ParseCalibrationTable(text.data(), text.size(), xfSize, p.table, &p.error);
    return p;
}

TEST(CalibrationTable, ValidTextWithAnyLineEndFillsLittleEndianEntriesAndZeroesTheRest)
{
    std::string text = "# header comment\r\n\r\n  0x1234  # hex with blanks\r\n65535\n\t7\n";
    text += entries(1021);
    Parsed p = parse(text, 1024);
    ASSERT_TRUE(p.ok) << p.error;
    using Bytes = std::vector<unsigned char>;
    EXPECT_EQ(Bytes(p.table, p.table + 6), (Bytes{0x34, 0x12, 0xFF, 0xFF, 7, 0}));
    // Last entry: 1020 * 3 = 3060 = 0x0BF4.
    EXPECT_EQ(Bytes(p.table + 2046, p.table + 2048), (Bytes{0xF4, 0x0B}));
    EXPECT_EQ(Bytes(p.table + 2048, std::end(p.table)), Bytes(kCalibTableBytes - 2048, 0));

    // No line feed after the last entry is still a complete file.
    std::string full = entries(2048, 32);
    full.pop_back();
    p = parse(full, 2048);
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.table[4094] | p.table[4095] << 8, 2047 * 32);
    // Any XF-SIZE but 2048 is the four-page layout.
    EXPECT_EQ(std::tuple(CalibrationTableEntries(0), CalibrationTableEntries(4096)), std::tuple(1024, 1024));

    // A byte-order mark, and every kind of line end.
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        std::string text = "\xEF\xBB\xBF";
        for (int i = 0; i < 1024; ++i)
            text += std::to_string(i) + end;
        Parsed p = parse(text, 1024);
        ASSERT_TRUE(p.ok) << p.error;
        EXPECT_EQ(p.table[2046] | p.table[2047] << 8, 1023);
        // An empty line counts as one line, whatever ends it.
        EXPECT_EQ(parse("1" + end + end + "x" + end, 1024).error.substr(0, 7), "Line 3:");
    }
}

TEST(CalibrationTable, BadFileIsRefusedWithTheLineAndTheTableKept)
{
    struct Row {
        std::string text;
        std::uint16_t xfSize;
        std::string error;
    };
    // clang-format off
    std::vector<Row> rows = {
        {entries(2047), 2048, "Line 2048: the file ends after 2047 entries, 2048 are needed (XF-SIZE 2048)"},
        {"", 1024, "Line 1: the file ends after 0 entries, 1024 are needed (XF-SIZE 1024)"},
        // A 2048-entry table does not fit the four-page layout.
        {entries(2048), 1024, "Line 1025: more than 1024 entries (XF-SIZE 1024)"},
        {std::string("1\n2\n3\0\n", 7) + entries(1021), 1024, "Line 3: not a number from 0 to 65535"},
    };
    // clang-format on
    for (const char *entry : {"65536", "-1", "1.5", "12 13", "0x", "0x1G", "abc", "1e3", "99999999999999999999"})
        rows.push_back({"# comment\n1\n\n" + std::string(entry) + "\n" + entries(2045), 2048,
                        "Line 4: not a number from 0 to 65535"});
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text.substr(0, 40));
        const Parsed p = parse(row.text, row.xfSize);
        EXPECT_EQ(std::tuple(p.ok, p.error), std::tuple(false, row.error));
        EXPECT_TRUE(std::all_of(std::begin(p.table), std::end(p.table), [](unsigned char b) { return b == 0xEE; }))
            << "the table was changed";
    }
}

} // namespace
