// The statistics of recordings the program itself made against the simulator: read
// while the recorder is still appending, offered when it ends, and agreeing with the
// frames the simulator sent.

#include "app/shell.h"
#include "app/state.h"
#include "app/text.h"
#include "recorder/recorder.h"
#include "stats/statistics.h"
#include "support/app_fixture.h"
#include "support/files.h"
#include "support/record_lines.h"
#include "support/sim_fixture.h"
#include "panels/resource.h"
#include "ui/runtime.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

std::function<void(int)> g_onSample;
void sampleHook(int count, double)
{
    if (g_onSample)
        g_onSample(count);
}

class StatsRecordingTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSimOverTcp());
        path = programDir + "/REC.DAT";
        CopyText(rec_fname, path.c_str());
        SetRecordSampleHook(sampleHook);
        ASSERT_EQ(sim.command("reset-stats"), "ok");
    }
    void TearDown() override
    {
        SetRecordSampleHook(nullptr);
        g_onSample = nullptr;
        DiscardRecordStatistics();
        SimFixture::TearDown();
    }
    void record(int samples)
    {
        SetCtrlVal(pRec, REC_MODE, 0);
        SetCtrlVal(pRec, REC_SAMPLES, samples);
        SetCtrlVal(pRec, REC_INTERVAL, 0.1);
        SimulateEvent(pRec, REC_START, EVENT_COMMIT);
    }
    // M-VALUE and M-VAL[um] of every measurement record the simulator sent.
    void sentValues(std::vector<double> *px, std::vector<double> *um)
    {
        const std::string reply = sim.command("measurements");
        ASSERT_EQ(reply.rfind("ok ", 0), 0u) << reply;
        std::stringstream list(reply.substr(3));
        std::string hex;
        while (std::getline(list, hex, ',')) {
            unsigned char bytes[12] = {};
            for (int i = 0; i < 12; ++i)
                bytes[i] = static_cast<unsigned char>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
            std::uint16_t m = 0;
            std::int32_t u = 0;
            std::memcpy(&m, bytes + 4, 2);
            std::memcpy(&u, bytes + 8, 4);
            px->push_back(m);
            um->push_back(u);
        }
    }
    std::string figure(int row, int column) { return GetCtrlStringUtf8(pStats, StatsFigureId(row, column)); }

    std::string path;
};

// First in this file: the statistics window does not load again in a later test once a test
// has discarded it.
TEST_F(StatsRecordingTest, DiskFillingUpKeepsTheFileValidToItsLastWholeLine)
{
    // The file may grow by half a line more after the third sample: the fourth line is cut
    // short on the disk, the later ones do not get there at all.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    g_onSample = [&](int count) {
        if (count == 3) {
            rlimit full = before;
            full.rlim_cur = static_cast<rlim_t>(std::filesystem::file_size(path) + 20);
            EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
        }
    };
    popups->confirmAnswers = {1};
    record(8);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(RecordLinesLost(), 5);
    EXPECT_NE(GetCtrlString(pRec, REC_STATUS).find("5 SAMPLE(S) NOT WRITTEN!"), std::string::npos)
        << GetCtrlString(pRec, REC_STATUS);
    const std::string bytes = ReadBytes(path);
    const std::vector<std::string> lines = SplitCrLf(bytes);
    ASSERT_EQ(lines.size(), 9u) << lines.back();
    std::vector<double> px, um;
    sentValues(&px, &um);
    ASSERT_EQ(px.size(), 8u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(lines[6 + i].substr(9, lines[6 + i].find('\t', 9) - 9), std::to_string(static_cast<int>(px[i])));
    // The statistics window offered at the end reads the three samples and nothing pending.
    ASSERT_GT(pStats, 0);
    EXPECT_TRUE(IsPanelVisible(pStats));
    EXPECT_EQ(figure(STATS_ROW_N, 0), "3");
    EXPECT_EQ(GetCtrlString(pStats, STATS_MESSAGE), "");
}


TEST_F(StatsRecordingTest, ReadWhileRecordingAndOfferedAtTheEnd)
{
    std::vector<std::string> seenWhileRecording;
    g_onSample = [&](int count) {
        if (count == 4)
            SimulateEvent(pRec, REC_STATS, EVENT_COMMIT);  // the operator looks in early
        if (count == 9) {
            SimulateEvent(pStats, STATS_RELOAD, EVENT_COMMIT);
            seenWhileRecording.push_back(figure(STATS_ROW_N, 0));
        }
        if (count == 4)
            seenWhileRecording.push_back(figure(STATS_ROW_N, 0));
    };
    popups->confirmAnswers = {1};
    record(20);
    ASSERT_GT(pStats, 0);
    EXPECT_EQ(seenWhileRecording, (std::vector<std::string>{"4", "9"}));

    // Offered at the end; on yes the window shows the whole recording.
    const auto offers = std::count_if(popups->shown.begin(), popups->shown.end(),
                                      [](const ScriptedPopups::Shown &s) { return s.kind == "confirm"; });
    EXPECT_EQ(offers, 1);
    EXPECT_TRUE(IsPanelVisible(pStats));
    EXPECT_EQ(GetCtrlString(pStats, STATS_MESSAGE), "");  // nothing skipped, nothing pending

    std::vector<double> px, um;
    sentValues(&px, &um);
    ASSERT_EQ(px.size(), 20u);
    EXPECT_EQ(figure(STATS_ROW_N, 0), "20");
    EXPECT_EQ(figure(STATS_ROW_MIN, 0), std::to_string(static_cast<int>(*std::min_element(px.begin(), px.end()))));
    EXPECT_EQ(figure(STATS_ROW_MAX, 1), std::to_string(static_cast<int>(*std::max_element(um.begin(), um.end()))));
    double sum = 0;
    for (double v : px)
        sum += v;
    EXPECT_NEAR(std::strtod(figure(STATS_ROW_MEAN, 0).c_str(), nullptr), sum / 20, 1e-3);
    double sumUm = 0;
    for (double v : um)
        sumUm += v;
    EXPECT_NEAR(std::strtod(figure(STATS_ROW_MEAN, 1).c_str(), nullptr), sumUm / 20, 1e-3);
}

TEST_F(StatsRecordingTest, StoppedRecordingIsOfferedAndDeclined)
{
    g_onSample = [&](int count) {
        if (count == 3)
            SimulateEvent(pRec, REC_STOP, EVENT_COMMIT);
    };
    popups->confirmAnswers = {0};
    record(50);
    EXPECT_EQ(GetCtrlString(pRec, REC_STATUS), "DATA-RECORDER STOPPED!");
    ASSERT_FALSE(popups->shown.empty());
    EXPECT_EQ(popups->shown.back().kind, "confirm");
    EXPECT_TRUE(pStats == 0 || !IsPanelVisible(pStats));
}

} // namespace
