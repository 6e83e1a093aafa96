// SPDX-License-Identifier: GPL-3.0-or-later
// Series figures against values worked out here by other formulas, and the record-file
// reader on whole, growing, truncated, garbled and foreign files.

#include "stats/figures.h"
#include "stats/record_reader.h"
#include "support/record_samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

using namespace std::string_literals;

// Figures worked out by hand. Pixel series run through both overloads.
TEST(SeriesFigures, MatchFiguresWorkedOutByHand)
{
    struct Row {
        const char *name;
        std::vector<std::int32_t> values;
        ToleranceWindow window;
        std::size_t n, above, inside, below;
        double mean, stddev, min, max;
        bool capability;
        double cp, cpk;
    };
    const double s43 = std::sqrt(43.0), s80k = std::sqrt(80000.0 / 3);
    // clang-format off
    const Row rows[] = {
        // The limits themselves are inside the window.
        {"spread around 500", {500, 502, 498, 505, 495, 510, 490}, {495, 505}, 7, 1, 5, 1, 500, s43, 490, 510,
         true, 10 / (6 * s43), 5 / (3 * s43)},
        {"upper limit nearer", {9, 10, 11}, {7, 16}, 3, 0, 3, 0, 10, 1, 9, 11, true, 1.5, 1.0},
        {"lower limit nearer", {9, 10, 11}, {4, 13}, 3, 0, 3, 0, 10, 1, 9, 11, true, 1.5, 1.0},
        {"one value", {700}, {600, 800}, 1, 0, 1, 0, 700, 0, 700, 700, false, 0, 0},
        {"no spread", std::vector<std::int32_t>(50, 512), {412, 612}, 50, 0, 50, 0, 512, 0, 512, 512, false, 0, 0},
        {"empty", {}, {0, 1}, 0, 0, 0, 0, 0, 0, 0, 0, false, 0, 0},
        {"negative microns", {-1200, -800, -1000, -1000}, {-1100, -900}, 4, 1, 2, 1, -1000, s80k, -1200, -800,
         true, 200 / (6 * s80k), 100 / (3 * s80k)},
        // The mean lies outside the window: Cpk below 0.
        {"all below", {-1200, -800, -1000, -1000}, {0, 500}, 4, 0, 0, 4, -1000, s80k, -1200, -800, true,
         500 / (6 * s80k), -1000 / (3 * s80k)},
        // A one-pass sum of squares loses this spread entirely in doubles.
        {"far from zero", {2000000000, 2000000001, 2000000002}, {1999999990, 2000000010}, 3, 0, 3, 0, 2000000001,
         1, 2000000000, 2000000002, true, 20.0 / 6, 3.0},
    };
    // clang-format on
    const auto near = [](double actual, double expected) {
        EXPECT_NEAR(actual, expected, 1e-9 * std::max(1.0, std::abs(expected)));
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<SeriesFigures> results{ComputeFigures(row.values.data(), row.values.size(), row.window)};
        if (std::all_of(row.values.begin(), row.values.end(), [](std::int32_t v) { return v >= 0 && v <= 65535; })) {
            const std::vector<std::uint16_t> pixels(row.values.begin(), row.values.end());
            results.push_back(ComputeFigures(pixels.data(), pixels.size(), row.window));
        }
        for (const SeriesFigures &f : results) {
            EXPECT_EQ(f.n, row.n);
            EXPECT_EQ(f.above, row.above) << "values above the window";
            EXPECT_EQ(f.inside, row.inside) << "values inside the window";
            EXPECT_EQ(f.below, row.below) << "values below the window";
            EXPECT_EQ(f.min, row.min);
            EXPECT_EQ(f.max, row.max);
            EXPECT_EQ(f.range, row.max - row.min);
            near(f.mean, row.mean);
            near(f.stddev, row.stddev);
            ASSERT_EQ(f.capability, row.capability);
            if (row.capability) {
                near(f.cp, row.cp);
                near(f.cpk, row.cpk);
            }
        }
    }
}

TEST(SeriesHistogram, SturgesBinsHoldEveryValue)
{
    // ceil(log2 n) + 1, at least one bin
    EXPECT_EQ(std::vector({SturgesBins(0), SturgesBins(1), SturgesBins(200), SturgesBins(1024)}),
              std::vector({1, 1, 9, 11}));
    std::vector<std::uint16_t> values;
    for (int i = 0; i < 200; ++i)
        values.push_back(static_cast<std::uint16_t>(400 + (i * 37) % 101));
    const Histogram h = MakeHistogram(values.data(), values.size(), 9);
    ASSERT_EQ(h.counts.size(), 9u);
    EXPECT_EQ(std::accumulate(h.counts.begin(), h.counts.end(), std::size_t{0}), values.size());
    EXPECT_DOUBLE_EQ(h.first, 400.0);
    EXPECT_DOUBLE_EQ(h.first + 9 * h.width, 500.0);
    EXPECT_GT(h.counts.back(), 0u); // the largest value is not lost past the last bin
    std::size_t inFirst = 0;
    for (std::uint16_t v : values)
        inFirst += v < 400 + h.width;
    EXPECT_EQ(h.counts.front(), inFirst);

    const std::vector<std::int32_t> same(5, -300);
    const Histogram one = MakeHistogram(same.data(), same.size(), 4);
    EXPECT_EQ(std::accumulate(one.counts.begin(), one.counts.end(), std::size_t{0}), 5u);
    EXPECT_GT(one.width, 0.0);
}

class RecordReaderTest : public ::testing::Test {
protected:
    TempDir tmp;
    const std::string dir = tmp.path, path = tmp / "RECORD.DAT";
};

TEST_F(RecordReaderTest, ReadsHeaderSamplesAndAMissingSlopeAsTheRecorderWritesThem)
{
    std::string text = MakeRecordHeader(0.5, 3, 4.8828125, "11-30-2026", "23:59:58");
    text += MakeRecordLine({512, 300, 812, 2, 2500, "23:59:58"});
    text += MakeRecordLine({65535, 0, 65535, 65535, -2147483647 - 1, "23:59:59"});
    text += MakeRecordLine({0, 1, 2, 0, 2147483647, "00:00:00"});
    ASSERT_TRUE(WriteBytes(path, text));
    RecordReader r;
    ASSERT_EQ(r.Update(path), RecordStatus::Ok);
    const auto &h = r.header();
    EXPECT_EQ(std::string(h.date), "11-30-2026");
    EXPECT_EQ(std::string(h.time), "23:59:58");
    EXPECT_EQ(h.timeIncrement, 0.5);
    EXPECT_EQ(h.samplesPlanned, 3.0);
    EXPECT_TRUE(h.haveSlope) << "the header's slope line was not taken";
    EXPECT_TRUE(h.haveColumns) << "the header's column line was not taken";
    EXPECT_NEAR(h.slope, 4.8828125, 1e-6); // six decimals in the field
    EXPECT_EQ(r.mValue(), (std::vector<std::uint16_t>{512, 65535, 0}));
    EXPECT_EQ(r.mValUm(), (std::vector<std::int32_t>{2500, INT32_MIN, INT32_MAX}));
    EXPECT_EQ(std::tuple(r.skippedLines(), r.pendingLine()), std::tuple(0u, false));

    // The same file after an editor saved it as UTF-8 with bare line feeds.
    std::string utf8 = text;
    utf8.replace(utf8.find('\xB5'), 1, "\xC2\xB5");
    for (std::size_t at; (at = utf8.find("\r\n")) != std::string::npos;)
        utf8.erase(at, 1);
    ASSERT_TRUE(WriteBytes(path, utf8));
    RecordReader edited;
    ASSERT_EQ(edited.Update(path), RecordStatus::Ok);
    EXPECT_NEAR(edited.header().slope, 4.8828125, 1e-6);
    EXPECT_EQ(edited.samples(), 3u);

    // A calibration record carries no slope: it stays unknown.
    ASSERT_TRUE(WriteBytes(path, MakeRecordHeader(1.0, 2, 0.0) + MakeRecordLine({500, 1, 2, 2, 0, "10:00:00"})));
    RecordReader noSlope;
    ASSERT_EQ(noSlope.Update(path), RecordStatus::Ok);
    // The skipped line is the header line that carries no usable slope.
    EXPECT_EQ(std::tuple(noSlope.header().haveSlope, noSlope.skippedLines(), noSlope.samples()),
              std::tuple(false, 1u, 1u));
}

// A file still being written is read on as it grows: StatsWindowTest.GrowingFileSkippedLinesAndForeignFiles.
TEST_F(RecordReaderTest, ANewRecordingAtThePathIsReadFromItsStart)
{
    ASSERT_TRUE(WriteBytes(path, MakeRecordFile({500, 501, 502, 503, 504})));
    RecordReader r;
    ASSERT_EQ(r.Update(path), RecordStatus::Ok);
    ASSERT_EQ(r.samples(), 5u);
    // The recorder deletes the file and writes a new one, longer than what was read.
    std::string again = MakeRecordHeader(1.0, 9, 5.0, "12-07-2026", "11:11:11");
    for (int i = 0; i < 9; ++i)
        again += MakeRecordLine({static_cast<std::uint16_t>(600 + i), 1, 2, 2, 3000, "11:11:11"});
    std::filesystem::remove(path);
    ASSERT_TRUE(WriteBytes(path, again));
    ASSERT_EQ(r.Update(path), RecordStatus::Ok);
    EXPECT_EQ(std::tuple(r.samples(), r.mValue().front(), std::string(r.header().time)),
              std::tuple(9u, 600, "11:11:11"s));
}

TEST_F(RecordReaderTest, GarbledAndTruncatedLinesAreSkippedAndCounted)
{
    std::string text = MakeRecordFile({500, 510});
    text += "10:00:02\t500\t10\t20\t2\r\n"; // a field missing
    text += "garbage\r\n";
    text += "10:00:03\t70000\t10\t20\t2\t100\r\n";       // not a 16-bit word
    text += "10:00:04\t500\t10\t20\t2\t99999999999\r\n"; // not a 32-bit word
    text += "10:00:05\t500\t10\t20\t2\t2500\tx\r\n";     // one field too many
    static const char withNul[] = "10:00:06\t5\0\0\t10\t20\t2\t1\r\n";
    text += std::string(withNul, sizeof withNul - 1);
    text += std::string(5000, '7') + "\r\n"; // far too long for a sample
    text += "\r\n";                          // blank: nothing lost
    text += "DATE:\t12-07-2026\r\n";         // a second header after samples
    text += MakeRecordLine({520, 1, 2, 2, 2600, "10:00:07"});
    text += "10:00:08\t521\t1\t2"; // cut off: the disk was full
    ASSERT_TRUE(WriteBytes(path, text));
    RecordReader r;
    ASSERT_EQ(r.Update(path), RecordStatus::Ok);
    // The first skipped line has six header lines and two samples before it.
    EXPECT_EQ(r.mValue(), (std::vector<std::uint16_t>{500, 510, 520}));
    EXPECT_EQ(r.skippedLines(), 8u);
    EXPECT_EQ(r.firstSkippedLine(), 9u);
    EXPECT_TRUE(r.pendingLine()) << "the cut-off last line waits for its end";

    // The same bytes in any split give the same result.
    for (std::size_t step : {1u, 7u, 4096u}) {
        RecordReader fed;
        for (std::size_t at = 0; at < text.size(); at += step)
            fed.Feed(text.data() + at, std::min(step, text.size() - at));
        EXPECT_EQ(std::tuple(fed.mValue(), fed.skippedLines()), std::tuple(r.mValue(), r.skippedLines())) << step;
    }
}

TEST_F(RecordReaderTest, ForeignMissingAndEmptyFilesEachGetTheirOwnStatus)
{
    RecordReader r;
    EXPECT_EQ(r.Update(dir + "/absent.dat"), RecordStatus::Unreadable);
    EXPECT_EQ(r.Update(dir), RecordStatus::Unreadable); // a directory

    ASSERT_TRUE(WriteBytes(path, ""));
    EXPECT_EQ(r.Update(path), RecordStatus::Empty);
    ASSERT_TRUE(WriteBytes(path, "DATE:\t12-0")); // only the first header line so far
    EXPECT_EQ(RecordReader().Update(path), RecordStatus::Empty);

    ASSERT_TRUE(WriteBytes(path, "[PARA]\r\nPower=500\r\n10:00:00\t1\t2\t3\t4\t5\r\n"));
    EXPECT_EQ(r.Update(path), RecordStatus::NotRecord);
    EXPECT_EQ(r.samples(), 0u);

    ASSERT_TRUE(WriteBytes(path, std::string(100000, '\x89'))); // a picture, no line end at all
    EXPECT_EQ(r.Update(path), RecordStatus::NotRecord);
}

} // namespace
