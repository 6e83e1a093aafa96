// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics window driven through its callbacks: opened from the recorder page and
// at the end of a recording, figures against the tolerance window, a growing file,
// foreign files, and the exports, which never touch a record file.

#include "base/control_ids.h"
#include "base/text.h"
#include "platform/system.h"
#include "stats/statistics.h"
#include "support/app_fixture.h"
#include "support/record_samples.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace ui;
using namespace panels;
using namespace std::string_literals;

namespace {

class StatsWindowTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        record = programDir + "/RECORD.DAT";
        CopyText(rec_fname, record.c_str());
    }
    void TearDown() override
    {
        DiscardRecordStatistics();
        AppFixture::TearDown();
    }
    void open() { ASSERT_EQ(SimulateEvent(pRec, REC_STATS, EVENT_COMMIT), 0); }
    std::string figure(int row, int column) { return GetCtrlStringUtf8(pStats, StatsFigureId(row, column)); }
    double number(int row, int column) { return std::strtod(figure(row, column).c_str(), nullptr); }
    // The figures of several {row, column} cells, in that order.
    std::vector<std::string> figures(std::initializer_list<std::pair<int, int>> cells)
    {
        std::vector<std::string> out;
        for (auto [row, column] : cells)
            out.push_back(figure(row, column));
        return out;
    }

    std::string record;
};

const std::string kDash = "\xE2\x80\x94";

TEST_F(StatsWindowTest, RecorderButtonShowsTheFiguresOfTheRecordFile)
{
    // 200 samples as an operator records them, with three outliers.
    std::vector<int> values;
    for (int i = 0; i < 200; ++i)
        values.push_back(500 + (i * 7) % 21 - 10);
    values[10] = 640;
    values[20] = 380;
    values[30] = 650;
    ASSERT_TRUE(WriteBytes(record, MakeRecordFile(values, 5.0)));
    const std::string before = ReadBytes(record);

    open();
    ASSERT_GT(pStats, 0);
    EXPECT_EQ(std::pair(IsPanelVisible(pStats), GetCtrlString(pStats, STATS_FILE)), std::pair(true, record));

    double sum = 0, sq = 0;
    for (int v : values)
        sum += v;
    const double mean = sum / 200.0;
    for (int v : values)
        sq += (v - mean) * (v - mean);
    const double s = std::sqrt(sq / 199.0);
    // n, mean, minimum and maximum of both columns: RecordingTest.StatisticsAreReadWhileRecordingAndOffered...
    EXPECT_NEAR(number(STATS_ROW_STDDEV, 0), s, 1e-3);
    EXPECT_EQ(figure(STATS_ROW_RANGE, 0), "270");
    // The parameter set's window: 512 - 100 .. 512 + 100 pixels, times the header's slope.
    EXPECT_EQ(figures({{STATS_ROW_LSL, 0}, {STATS_ROW_USL, 0}, {STATS_ROW_LSL, 1}, {STATS_ROW_USL, 1}}),
              (std::vector<std::string>{"412.000", "612.000", "2060.000", "3060.000"}));
    EXPECT_EQ(figures({{STATS_ROW_ABOVE, 0}, {STATS_ROW_INSIDE, 0}, {STATS_ROW_BELOW, 0}}),
              (std::vector<std::string>{"2", "197", "1"}));
    EXPECT_NEAR(number(STATS_ROW_CP, 0), 200.0 / (6 * s), 1e-3);
    EXPECT_NEAR(number(STATS_ROW_CPK, 0), std::min(612 - mean, mean - 412) / (3 * s), 1e-3);
    // The micrometre column: the same series five times larger.
    EXPECT_NEAR(number(STATS_ROW_CP, 1), number(STATS_ROW_CP, 0), 1e-3);

    // Sturges' bins for 200; the histogram's bars, two limits and mean; the run chart's two
    // limits, mean and values.
    EXPECT_EQ(std::tuple(intOf(pStats, STATS_BINS), GetNumGraphPlots(pStats, STATS_HISTOGRAM),
                         GetNumGraphPlots(pStats, STATS_RUNCHART)),
              std::tuple(9, 4, 4));
    const auto [lo, hi] = axisRange(pStats, STATS_HISTOGRAM, XAXIS);
    EXPECT_TRUE(lo < 380 && hi > 650) << lo << " .. " << hi << ": the outliers shown";

    // A narrower window: Cp and Cpk follow, so do the counts.
    changeValue(pStats, STATS_UPPER_TOL, 20.0);
    changeValue(pStats, STATS_LOWER_TOL, 20.0);
    changeValue(pStats, STATS_SETPOINT, 500.0);
    EXPECT_EQ(figures({{STATS_ROW_USL, 0}, {STATS_ROW_USL, 1}}), (std::vector<std::string>{"520.000", "2600.000"}));
    EXPECT_NEAR(number(STATS_ROW_CP, 0), 40.0 / (6 * s), 1e-3);
    EXPECT_NEAR(number(STATS_ROW_CPK, 0), std::min(520 - mean, mean - 480) / (3 * s), 1e-3);
    EXPECT_EQ(figures({{STATS_ROW_ABOVE, 0}, {STATS_ROW_BELOW, 0}}), (std::vector<std::string>{"2", "1"}));
    // Another slope moves only the micrometre limits.
    changeValue(pStats, STATS_SLOPE, 2.5);
    // The file's values are 5 µm per pixel: all above.
    EXPECT_EQ(figures({{STATS_ROW_USL, 1}, {STATS_ROW_ABOVE, 1}}), (std::vector<std::string>{"1300.000", "200"}));

    changeValue(pStats, STATS_SERIES, 1.0);
    const auto [runLo, runHi] = axisRange(pStats, STATS_RUNCHART, YAXIS);
    EXPECT_TRUE(runLo < 380 * 5 && runHi > 650 * 5) << runLo << " .. " << runHi << ": the micrometre series";

    EXPECT_EQ(ReadBytes(record), before);
}

TEST_F(StatsWindowTest, OneSampleAndNoSpreadShowADash)
{
    ASSERT_TRUE(WriteBytes(record, MakeRecordFile({700})));
    open();
    EXPECT_EQ(figures({{STATS_ROW_N, 0},
                       {STATS_ROW_MEAN, 0},
                       {STATS_ROW_STDDEV, 0},
                       {STATS_ROW_CP, 0},
                       {STATS_ROW_CPK, 1},
                       {STATS_ROW_ABOVE, 0}}),
              (std::vector<std::string>{"1", "700.000", kDash, kDash, kDash, "1"})); // 700 > 612

    ASSERT_TRUE(WriteBytes(record, MakeRecordFile(std::vector<int>(40, 512))));
    open();
    EXPECT_EQ(figures({{STATS_ROW_STDDEV, 0}, {STATS_ROW_CP, 0}, {STATS_ROW_CPK, 0}}),
              (std::vector<std::string>{"0.000", kDash, kDash}));

    // Header only: the window opens and says so.
    ASSERT_TRUE(WriteBytes(record, MakeRecordHeader()));
    open();
    EXPECT_EQ(figures({{STATS_ROW_N, 0}, {STATS_ROW_MEAN, 0}}), (std::vector<std::string>{"0", kDash}));
    EXPECT_NE(GetCtrlString(pStats, STATS_MESSAGE).find("no samples"), std::string::npos);
}

TEST_F(StatsWindowTest, GrowingFileSkippedLinesAndForeignFiles)
{
    std::string text = MakeRecordFile({500, 502, 504});
    text += "10:00:0x\tbroken\r\n";
    ASSERT_TRUE(WriteBytes(record, text + "10:00:0"));
    open();
    EXPECT_EQ(figure(STATS_ROW_N, 0), "3");
    const std::string message = GetCtrlString(pStats, STATS_MESSAGE);
    for (const char *part : {"1 line(s) could not be read", "line 10", "still being written"})
        EXPECT_NE(message.find(part), std::string::npos) << message;

    // The recorder goes on; RELOAD reads the new lines only.
    const std::string rest = "3\t506\t1\t2\t2\t2530\r\n" + MakeRecordLine({508, 1, 2, 2, 2540, "10:00:04"});
    ASSERT_TRUE(WriteBytes(record, rest, "ab"));
    SimulateEvent(pStats, STATS_RELOAD, EVENT_COMMIT);
    EXPECT_EQ(figures({{STATS_ROW_N, 0}, {STATS_ROW_MAX, 0}, {STATS_ROW_MAX, 1}}),
              (std::vector<std::string>{"5", "508", "2540"}));

    // Not a record file, or none: a clear message, the window keeps what it showed.
    const std::string ini = programDir + "/K-VOR-MQpara.ini";
    ASSERT_TRUE(WriteBytes(ini, "[PARA]\r\nPower = 500\r\n"));
    for (auto [file, message] :
         {std::pair{ini, "is not a record file"}, {programDir + "/none.dat", "Record file not found"}}) {
        CopyText(rec_fname, file.c_str());
        popups->shown.clear();
        open();
        ASSERT_EQ(popups->shown.size(), 1u);
        EXPECT_NE(popups->shown[0].text.find(message), std::string::npos) << popups->shown[0].text;
        EXPECT_EQ(std::pair(popups->shown[0].kind, GetCtrlString(pStats, STATS_FILE)), std::pair("message"s, record));
    }
    EXPECT_EQ(ReadBytes(ini), "[PARA]\r\nPower = 500\r\n");
}

// Offered at the end of a recording, yes and no: RecordingTest.StatisticsAreReadWhileRecording...
// and RecorderTest.StopMidwayKeepsHeaderAndLinesAndOffersTheStatistics.
TEST_F(StatsWindowTest, ClosedWindowOpensAgainAndNoFileIsNotOffered)
{
    ASSERT_TRUE(WriteBytes(record, MakeRecordFile({500, 501})));
    open();
    SimulateEvent(pStats, 0, EVENT_CLOSE);
    EXPECT_EQ(std::pair(IsPanelVisible(pStats), std::string(stats_fname)), std::pair(false, ""s));
    SimulateEvent(pStats, STATS_RELOAD, EVENT_COMMIT); // nothing to reload: no harm

    open();
    EXPECT_EQ(std::pair(IsPanelVisible(pStats), figure(STATS_ROW_N, 0)), std::pair(true, "2"s));

    std::remove(record.c_str());
    popups->shown.clear();
    OfferRecordStatistics();
    EXPECT_TRUE(popups->shown.empty());
}

std::vector<std::vector<std::string>> csvRows(const std::string &text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        EXPECT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r');
        line.pop_back();
        std::vector<std::string> fields;
        std::string field;
        bool quoted = false;
        for (char c : line) {
            if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted) {
                fields.push_back(field);
                field.clear();
            } else
                field += c;
        }
        fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

TEST_F(StatsWindowTest, ExportsReportAndPicturesButNeverOverARecordFile)
{
    std::vector<int> values;
    for (int i = 0; i < 200; ++i)
        values.push_back(480 + i % 41);
    ASSERT_TRUE(WriteBytes(record, MakeRecordFile(values)));
    const std::string before = ReadBytes(record);
    open();

    const std::string report = programDir + "/report, first.csv";
    popups->filePaths = {report};
    SimulateEvent(pStats, STATS_SAVE_REPORT, EVENT_COMMIT);
    EXPECT_EQ(GetCtrlString(pStats, STATS_MESSAGE), "Report saved: " + report);
    const auto rows = csvRows(ReadBytes(report));
    ASSERT_EQ(rows.size(), 5u + STATS_ROWS);
    for (const auto &r : rows)
        EXPECT_EQ(r.size(), 3u);
    EXPECT_EQ(rows[0][1], record);
    EXPECT_EQ(rows[4], (std::vector<std::string>{"figure", "M-VALUE [pixel]", "M-VAL[um]"}));
    EXPECT_EQ(rows[5], (std::vector<std::string>{"n", "200", "200"}));
    EXPECT_EQ(rows[5 + STATS_ROW_CP],
              (std::vector<std::string>{"Cp", figure(STATS_ROW_CP, 0), figure(STATS_ROW_CP, 1)}));
    EXPECT_EQ(rows[5 + STATS_ROW_MEAN][2], figure(STATS_ROW_MEAN, 1));

    // Pictures by their extension; none makes a PNG.
    for (auto [chosen, button, written, magic] :
         {std::tuple{"histogram.png", STATS_SAVE_HISTOGRAM, "histogram.png", "\x89PNG"},
          {"run.pdf", STATS_SAVE_RUNCHART, "run.pdf", "%PDF"},
          {"noext", STATS_SAVE_RUNCHART, "noext.png", "\x89PNG"}}) {
        popups->filePaths = {programDir + "/" + chosen};
        SimulateEvent(pStats, button, EVENT_COMMIT);
        EXPECT_EQ(GetCtrlString(pStats, STATS_MESSAGE), "Picture saved: " + programDir + "/" + written);
        EXPECT_EQ(ReadBytes(programDir + "/" + written).substr(0, 4), magic);
    }
    const std::string png = programDir + "/histogram.png";
    EXPECT_GT(ReadBytes(png).size(), 1000u);

    // An existing export is replaced only on yes.
    popups->filePaths = {png};
    popups->confirmAnswers = {0};
    ASSERT_TRUE(WriteBytes(png, "keep"));
    SimulateEvent(pStats, STATS_SAVE_HISTOGRAM, EVENT_COMMIT);
    EXPECT_EQ(ReadBytes(png), "keep");

    // The record file itself (under another name), or another one, is never written.
    const std::string alias = programDir + "/alias.csv";
    ASSERT_EQ(::symlink(record.c_str(), alias.c_str()), 0);
    ASSERT_TRUE(WriteBytes(programDir + "/OTHER.csv", MakeRecordFile({1, 2, 3})));
    ASSERT_TRUE(WriteBytes(programDir + "/OTHER.png", MakeRecordFile({4, 5})));
    for (auto [path, button] : {std::pair{alias, STATS_SAVE_REPORT},
                                {programDir + "/OTHER.csv", STATS_SAVE_REPORT},
                                {programDir + "/OTHER.png", STATS_SAVE_HISTOGRAM}}) {
        SCOPED_TRACE(path);
        const std::string bytes = ReadBytes(path);
        popups->shown.clear();
        popups->filePaths = {path};
        popups->confirmAnswers = {1};
        SimulateEvent(pStats, button, EVENT_COMMIT);
        ASSERT_FALSE(popups->shown.empty());
        EXPECT_NE(popups->shown.back().text.find("is a record file"), std::string::npos);
        EXPECT_EQ(ReadBytes(path), bytes);
    }
    EXPECT_EQ(ReadBytes(record), before);

    // Not while the recorder waits for the sensor: no dialog, a word in the window.
    popups->shown.clear();
    popups->filePaths = {programDir + "/late.csv"};
    stop_flag = 0;
    SimulateEvent(pStats, STATS_SAVE_REPORT, EVENT_COMMIT);
    SimulateEvent(pStats, STATS_SAVE_RUNCHART, EVENT_COMMIT);
    stop_flag = 1;
    EXPECT_EQ(std::pair(popups->shown.empty(), FileExists(programDir + "/late.csv")), std::pair(true, false));
    EXPECT_NE(GetCtrlString(pStats, STATS_MESSAGE).find("once the recording"), std::string::npos);
    popups->filePaths.clear();

    popups->shown.clear();
    popups->filePaths = {programDir + "/no-such-dir/report.csv"};
    SimulateEvent(pStats, STATS_SAVE_REPORT, EVENT_COMMIT);
    ASSERT_EQ(popups->shown.size(), 2u);
    EXPECT_NE(popups->shown[1].text.find("could not be written"), std::string::npos);
}

} // namespace
