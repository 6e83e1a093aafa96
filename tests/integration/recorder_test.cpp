// SPDX-License-Identifier: GPL-3.0-or-later
// Recordings against the simulator, over TCP and over its pty: the record file against
// the frames the simulator sent, the timing of the first request, stopping, triggered
// frames, lines that cannot be written, and the statistics of the recording, read while
// it grows and offered when it ends. Faults on the line in a running recording:
// loop_faults_test.

#include "base/text.h"
#include "calib/calrec.h"
#include "link/orders.h"
#include "params/pset.h"
#include "platform/system.h"
#include "stats/statistics.h"
#include "support/integration_helpers.h"
#include "support/sim_fixture.h"

#include <QTimer>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <numeric>
#include <string>
#include <sys/resource.h>
#include <tuple>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

// '9' stands for any digit, every other character for itself.
bool shaped(const std::string &text, const std::string &pattern)
{
    if (text.size() != pattern.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (pattern[i] == '9' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != pattern[i])
            return false;
    return true;
}

// Recordings over TCP; RecorderTest runs them over each link.
class RecordingTest : public SimFixture {
protected:
    virtual Link link() const { return Link::Tcp; }
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSim(link()));
        ASSERT_EQ(1, openSimLink(link()));
        path = programDir + "/REC.DAT";
        CopyText(rec_fname, path.c_str());
        ASSERT_EQ(sim.command("reset-stats"), "ok");
    }
    void TearDown() override
    {
        DiscardRecordStatistics();
        SimFixture::TearDown();
    }

    void record(int mode, int samples, double interval)
    {
        startTime = Timer();
        Record(mode, samples, interval);
    }
    // The header's exact lines (the micro sign one byte) and a line for each frame sent.
    void expectFileMatchesSent(const std::string &interval, int samples, size_t lines)
    {
        const std::vector<std::string> all = SplitCrLf(ReadBytes(path));
        ASSERT_EQ(all.size(), 6 + lines);
        EXPECT_TRUE(shaped(all[0], "DATE:\t99-99-9999")) << all[0];
        EXPECT_TRUE(shaped(all[1], "TIME:\t99:99:99")) << all[1];
        EXPECT_EQ(all[2], "TIME-INCREMENT[s]:\t" + std::string(24 - interval.size(), ' ') + interval);
        const std::string n = std::to_string(samples);
        EXPECT_EQ(all[3], "NUMBER OF SAMPLES:\t" + std::string(24 - n.size(), ' ') + n);
        EXPECT_EQ(all[4], "SLOPE-VALUE [\xB5m/pixel]:\t" + RecordNumberField(cal.UM_SLOPE / 16384.0));
        EXPECT_EQ(all[5], "TIME\t\tM-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]");
        const std::vector<std::string> sent = MeasurementsSent(sim);
        ASSERT_EQ(sent.size(), lines);
        for (size_t i = 0; i < lines; ++i) {
            EXPECT_TRUE(shaped(all[6 + i].substr(0, 9), "99:99:99\t")) << all[6 + i];
            EXPECT_EQ(all[6 + i].substr(9), RecordFieldsOfHex(sent[i])) << "line " << i;
        }
    }
    void expectIdleAgain()
    {
        const bool free = NoneDimmed({{pPA, MAIN_RUN}, {pPA, MAIN_VIDEO}, {pPara1, PARA1_TEACH}, {pRec, REC_START}});
        EXPECT_EQ(std::make_tuple(stop_flag, free, intOf(pPA, MAIN_IN0_LED)), std::make_tuple(1, true, 0));
    }
    std::string figure(int row, int column) { return GetCtrlStringUtf8(pStats, StatsFigureId(row, column)); }

    std::string path;
    double startTime = 0;
    SampleWatch samples;
};

class RecorderTest : public RecordingTest, public ::testing::WithParamInterface<Link> {
protected:
    Link link() const override { return GetParam(); }
};

TEST_P(RecorderTest, PolledRecordingWritesTheFramesTheSensorSent)
{
    std::vector<bool> dimmedWhileRecording;
    samples.onSample = [&](int) {
        dimmedWhileRecording.push_back(
            AllDimmed({{pPA, MAIN_RUN}, {pPA, MAIN_VIDEO}, {pPara1, PARA1_TEACH}, {pRec, REC_START}}));
    };
    record(0, 5, 0.3);

    expectFileMatchesSent("0.3", 5, 5);
    EXPECT_EQ(sim.orders(), std::vector<int>(5, ORDER_MEASUREMENT));
    ASSERT_EQ(samples.times.size(), 5u);
    // The first request goes out one interval after Start, not at once.
    EXPECT_GE(samples.times[0] - startTime, 0.3);
    EXPECT_LT(samples.times[0] - startTime, 0.3 + 0.25);
    for (size_t i = 1; i < samples.times.size(); ++i)
        EXPECT_GE(samples.times[i] - samples.times[i - 1], 0.3);
    EXPECT_EQ(dimmedWhileRecording, std::vector<bool>(5, true));

    EXPECT_EQ(GetCtrlString(pRec, REC_STATUS), "DATA-RECORDER COMPLETED!");
    EXPECT_EQ(GetCtrlTextColor(pRec, REC_STATUS), kRecorderBlue) << "the recorder status colour";
    EXPECT_EQ(MainStatus(), "Data-Recorder completed successfully!");
    EXPECT_EQ(intOf(pRec, REC_COUNT), 5) << "samples recorded";
    EXPECT_EQ(intOf(pRec, REC_PROGRESS), 5) << "progress bar value";
    EXPECT_EQ(GetCtrlMax(pRec, REC_PROGRESS), 5.0) << "progress bar maximum";
    // About 1.5 s have passed, shown truncated to whole seconds.
    EXPECT_GE(intOf(pRec, REC_SECONDS), 1);
    EXPECT_LE(intOf(pRec, REC_SECONDS), 2);
    EXPECT_EQ(GetCtrlString(pRec, REC_DATE), DateStr());
    expectIdleAgain();
}

TEST_P(RecorderTest, StopMidwayKeepsHeaderAndLinesAndOffersTheStatistics)
{
    samples.onSample = [](int count) {
        // Closing the window asks first; declined, the recording goes on.
        if (count == 2)
            SimulateEvent(pPA, 0, EVENT_CLOSE);
        if (count == 3)
            SimulateEvent(pRec, REC_STOP, EVENT_COMMIT);
    };
    record(0, 100, 0.1);
    ASSERT_EQ(popups->shown.size(), 2u);
    EXPECT_EQ(popups->shown.front().text, "DATA-RECORDER is recording! - Stop recording and close ?");
    EXPECT_EQ(exit_flag, 0);
    expectFileMatchesSent("0.1", 100, 3);
    EXPECT_EQ(GetCtrlString(pRec, REC_STATUS), "DATA-RECORDER STOPPED!");
    EXPECT_EQ(GetCtrlTextColor(pRec, REC_STATUS), VAL_RED) << "the recorder status colour";
    EXPECT_EQ(MainStatus(), "Data-Recorder stopped!");
    EXPECT_EQ(intOf(pRec, REC_PROGRESS), 3) << "progress bar value: the samples before the stop";

    expectIdleAgain();
    // The stopped recording's statistics are offered too; declined, nothing opens.
    EXPECT_EQ(popups->shown.back().kind, "confirm");
    EXPECT_TRUE(pStats == 0 || !IsPanelVisible(pStats));
}

TEST_P(RecorderTest, TriggeredRecordingTakesTheFramesAfterStartAndLightsTheLampBriefly)
{
    pset.RS_232_Mode = 1;
    ASSERT_EQ(1, IssueOrder(ORDER_WRITE_PARA_RAM, 0, &pset, sizeof pset));
    // Frames that piled up in the link before Start are not samples.
    EXPECT_EQ(sim.command("set trigger-ms 20"), "ok");
    DelayWithEventProcessing(0.3);
    EXPECT_EQ(sim.command("set trigger-ms 0"), "ok");
    DelayWithEventProcessing(0.1);
    ASSERT_GT(MeasurementsSent(sim).size(), 5u);
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    // The first frame after Start is damaged and dropped; the lamp is on at each sample and
    // dark 0.25 s later, the recording still running.
    std::vector<int> lampAtSample, lampLater;
    samples.onSample = [&](int count) {
        lampAtSample.push_back(intOf(pPA, MAIN_IN0_LED));
        if (count == 1)
            QTimer::singleShot(250, [&] { lampLater = {intOf(pPA, MAIN_IN0_LED), stop_flag}; });
    };
    QTimer::singleShot(100, [this] {
        for (const char *command : {"fault bad-header-crc order 18", "set trigger-count 4", "set trigger-ms 400"})
            EXPECT_EQ(sim.command(command), "ok") << command;
    });
    record(1, 3, 2.0);
    EXPECT_EQ(sim.command("set trigger-ms 0"), "ok");

    EXPECT_EQ(sim.command("triggered"), "ok 4");
    expectFileMatchesSent("0.0", 3, 3); // the interval reads 0.0 in the triggered mode
    EXPECT_TRUE(sim.orders().empty());  // nothing was asked for
    EXPECT_EQ(lampAtSample, std::vector<int>(3, 1));
    EXPECT_EQ(lampLater, (std::vector<int>{0, 0}));
    EXPECT_EQ(GetCtrlString(pRec, REC_STATUS), "DATA-RECORDER COMPLETED!");
    expectIdleAgain();
    // The link is free for exchanges again.
    EXPECT_EQ(1, IssueOrder(ORDER_ECHO, 0));
}

INSTANTIATE_TEST_SUITE_P(Links, RecorderTest, ::testing::Values(Link::Tcp, Link::Pty), LinkName);

TEST_F(RecordingTest, DiskFillingUpLosesLinesVisiblyAndKeepsTheFileValidToItsLastWholeLine)
{
    // The file may grow by half a line more after the third sample: the fourth line is cut
    // short on the disk, the later ones do not get there at all.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> statusWhileLost;
    samples.onSample = [&](int count) {
        if (count == 3) {
            rlimit full = before;
            full.rlim_cur = static_cast<rlim_t>(std::filesystem::file_size(path) + 20);
            EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
        }
        if (count == 5)
            statusWhileLost.push_back(MainStatus());
    };
    record(0, 8, 0.1);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);

    // Counted as taken, shown as not written: while recording and at the end.
    EXPECT_EQ(std::make_pair(RecordLinesLost(), intOf(pRec, REC_COUNT)), std::make_pair(5, 8));
    ASSERT_EQ(statusWhileLost.size(), 1u);
    EXPECT_NE(statusWhileLost[0].find("NOT WRITTEN: 2"), std::string::npos) << statusWhileLost[0];
    EXPECT_NE(GetCtrlString(pRec, REC_STATUS).find("5 SAMPLE(S) NOT WRITTEN!"), std::string::npos)
        << GetCtrlString(pRec, REC_STATUS);
    EXPECT_EQ(GetCtrlTextColor(pRec, REC_STATUS), VAL_RED);
    EXPECT_NE(MainStatus().find("NOT WRITTEN"), std::string::npos);
    expectIdleAgain();
    // No part of the fourth line is left behind the third.
    const std::vector<std::string> lines = SplitCrLf(ReadBytes(path));
    ASSERT_EQ(lines.size(), 9u) << lines.back();
    const std::vector<std::string> sent = MeasurementsSent(sim);
    ASSERT_EQ(sent.size(), 8u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(lines[6 + i].substr(9), RecordFieldsOfHex(sent[i])) << i;
}

TEST_F(RecordingTest, StatisticsAreReadWhileRecordingAndOfferedAtTheEnd)
{
    std::vector<std::string> seenWhileRecording;
    samples.onSample = [&](int count) {
        if (count == 4)
            SimulateEvent(pRec, REC_STATS, EVENT_COMMIT); // the operator looks in early
        if (count == 9)
            SimulateEvent(pStats, STATS_RELOAD, EVENT_COMMIT);
        if (count == 4 || count == 9)
            seenWhileRecording.push_back(figure(STATS_ROW_N, 0));
    };
    popups->confirmAnswers = {1};
    record(0, 20, 0.1);
    ASSERT_GT(pStats, 0);
    EXPECT_EQ(seenWhileRecording, (std::vector<std::string>{"4", "9"}));

    // Offered once at the end; on yes the window shows the whole recording.
    // Nothing skipped, nothing pending: no message.
    ASSERT_EQ(popups->shown.size(), 1u);
    EXPECT_EQ(std::make_tuple(popups->shown[0].kind, IsPanelVisible(pStats), GetCtrlString(pStats, STATS_MESSAGE)),
              std::make_tuple(std::string("confirm"), true, std::string()));
    // The figures of M-VALUE (column 0) and M-VAL[um] (column 1) against the frames sent.
    for (int column : {0, 1}) {
        SCOPED_TRACE(column);
        std::vector<double> values;
        for (const std::string &hex : MeasurementsSent(sim))
            values.push_back(std::stod(SplitText(RecordFieldsOfHex(hex), '\t')[column == 0 ? 0 : 4]));
        ASSERT_EQ(values.size(), 20u);
        const double sum = std::accumulate(values.begin(), values.end(), 0.0);
        const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
        EXPECT_EQ(figure(STATS_ROW_N, column), "20");
        EXPECT_EQ(figure(STATS_ROW_MIN, column), std::to_string(static_cast<int>(*lowest)));
        EXPECT_EQ(figure(STATS_ROW_MAX, column), std::to_string(static_cast<int>(*highest)));
        EXPECT_NEAR(std::strtod(figure(STATS_ROW_MEAN, column).c_str(), nullptr), sum / 20, 1e-3);
    }
    // Discarded with its file field in focus, the window loads again.
    DiscardRecordStatistics();
    SimulateEvent(pRec, REC_STATS, EVENT_COMMIT);
    EXPECT_GT(pStats, 0);
}

} // namespace
