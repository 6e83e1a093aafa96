// Recordings against the simulator, over TCP and over its pty: the record file against
// the frames the simulator sent, the timing of the first request, stopping, triggered
// frames among damaged ones, and lines that cannot be written. Faults on the line in a
// running recording: loop_faults_test.

#include "app/shell.h"
#include "app/state.h"
#include "app/text.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "link/orders.h"
#include "link/transport.h"
#include "params/pset.h"
#include "recorder/record_file.h"
#include "recorder/recorder.h"
#include "support/app_fixture.h"
#include "support/sim_fixture.h"
#include "support/files.h"
#include "panels/resource.h"
#include "support/record_lines.h"
#include "ui/runtime.h"
#include "ui/system.h"

#include <QTimer>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

// The sample hook is a plain function; the test's reaction to each sample lives here.
std::function<void(int, double)> g_onSample;
std::vector<double> g_sampleTimes;
void sampleHook(int count, double time)
{
    g_sampleTimes.push_back(time);
    if (g_onSample)
        g_onSample(count, time);
}

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

class RecorderTest : public SimFixture, public ::testing::WithParamInterface<Link> {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSim(GetParam()));
        ASSERT_EQ(1, openSimLink(GetParam()));
        g_sampleTimes.clear();
        g_onSample = nullptr;
        SetRecordSampleHook(sampleHook);
        path = programDir + "/REC.DAT";
        CopyText(rec_fname, path.c_str());
        ASSERT_EQ(sim.command("reset-stats"), "ok");
    }
    void TearDown() override
    {
        SetRecordSampleHook(nullptr);
        g_onSample = nullptr;
        SimFixture::TearDown();
    }

    void record(int mode, int samples, double interval)
    {
        SetCtrlVal(pRec, REC_MODE, mode);
        SetCtrlVal(pRec, REC_SAMPLES, samples);
        SetCtrlVal(pRec, REC_INTERVAL, interval);
        startTime = Timer();
        SimulateEvent(pRec, REC_START, EVENT_COMMIT);
    }
    std::string fileBytes() { return ReadBytes(path); }
    std::vector<std::string> measurementsSent()
    {
        const std::string reply = sim.command("measurements");
        EXPECT_EQ(reply.rfind("ok", 0), 0u) << reply;
        return reply.size() > 3 ? SplitText(reply.substr(3), ',') : std::vector<std::string>{};
    }
    // Header lines and the sample lines, each checked against the frames sent.
    void expectFileMatchesSent(const std::string &interval, int samples, size_t lines)
    {
        const std::vector<std::string> all = SplitCrLf(fileBytes());
        ASSERT_EQ(all.size(), 6 + lines);
        EXPECT_TRUE(shaped(all[0], "DATE:\t99-99-9999")) << all[0];
        EXPECT_TRUE(shaped(all[1], "TIME:\t99:99:99")) << all[1];
        EXPECT_EQ(all[2], "TIME-INCREMENT[s]:\t" + std::string(24 - interval.size(), ' ') + interval);
        const std::string n = std::to_string(samples);
        EXPECT_EQ(all[3], "NUMBER OF SAMPLES:\t" + std::string(24 - n.size(), ' ') + n);
        EXPECT_EQ(all[4], "SLOPE-VALUE [\xB5m/pixel]:\t" + RecordNumberField(cal.UM_SLOPE / 16384.0));
        EXPECT_EQ(all[5], "TIME\t\tM-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]");
        const std::vector<std::string> sent = measurementsSent();
        ASSERT_EQ(sent.size(), lines);
        for (size_t i = 0; i < lines; ++i) {
            const std::string &line = all[6 + i];
            ASSERT_GT(line.size(), 9u);
            EXPECT_TRUE(shaped(line.substr(0, 9), "99:99:99\t")) << line;
            EXPECT_EQ(line.substr(9), RecordFieldsOfHex(sent[i])) << "line " << i;
        }
    }
    void expectIdleAgain()
    {
        EXPECT_EQ(stop_flag, 1);
        for (int id : {MAIN_RUN, MAIN_VIDEO})
            EXPECT_FALSE(IsCtrlDimmed(pPA, id));
        EXPECT_FALSE(IsCtrlDimmed(pPara1, PARA1_TEACH));
        EXPECT_FALSE(IsCtrlDimmed(pRec, REC_START));
        int lamp = -1;
        GetCtrlVal(pPA, MAIN_IN0_LED, &lamp);
        EXPECT_EQ(lamp, 0);
    }
    // Puts the sensor into the triggered serial mode, as SEND to RAM would.
    void sensorTriggeredMode()
    {
        pset.RS_232_Mode = 1;
        ASSERT_EQ(1, IssueOrder(ORDER_WRITE_PARA_RAM, 0, &pset, sizeof pset));
        ASSERT_EQ(sim.command("reset-stats"), "ok");
    }

    std::string path;
    double startTime = 0;
};

TEST_P(RecorderTest, PolledRecordingWritesTheFramesTheSensorSent)
{
    std::vector<bool> dimmedWhileRecording;
    g_onSample = [&](int, double) {
        dimmedWhileRecording.push_back(IsCtrlDimmed(pPA, MAIN_RUN) && IsCtrlDimmed(pPA, MAIN_VIDEO) &&
                                       IsCtrlDimmed(pPara1, PARA1_TEACH) && IsCtrlDimmed(pRec, REC_START));
    };
    record(0, 5, 0.3);

    expectFileMatchesSent("0.3", 5, 5);
    EXPECT_EQ(sim.orders(), std::vector<int>(5, ORDER_MEASUREMENT));
    ASSERT_EQ(g_sampleTimes.size(), 5u);
    // The first request goes out one interval after Start, not at once.
    EXPECT_GE(g_sampleTimes[0] - startTime, 0.3);
    EXPECT_LT(g_sampleTimes[0] - startTime, 0.3 + 0.25);
    for (size_t i = 1; i < g_sampleTimes.size(); ++i)
        EXPECT_GE(g_sampleTimes[i] - g_sampleTimes[i - 1], 0.3);
    EXPECT_EQ(dimmedWhileRecording, std::vector<bool>(5, true));

    EXPECT_EQ(GetCtrlString(pRec, REC_STATUS), "DATA-RECORDER COMPLETED!");
    EXPECT_EQ(GetCtrlTextColor(pRec, REC_STATUS), kRecorderBlue);
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "Data-Recorder completed successfully!");
    EXPECT_EQ(intOf(pRec, REC_COUNT), 5);
    EXPECT_EQ(intOf(pRec, REC_PROGRESS), 5);
    EXPECT_EQ(GetCtrlMax(pRec, REC_PROGRESS), 5.0);
    // About 1.5 s have passed, shown truncated to whole seconds.
    EXPECT_GE(intOf(pRec, REC_SECONDS), 1);
    EXPECT_LE(intOf(pRec, REC_SECONDS), 2);
    EXPECT_EQ(GetCtrlString(pRec, REC_DATE), DateStr());
    expectIdleAgain();
}

TEST_P(RecorderTest, StopMidwayKeepsHeaderAndLines)
{
    g_onSample = [this](int count, double) {
        // Closing the window asks first; declined, the recording goes on.
        if (count == 2)
            SimulateEvent(pPA, 0, EVENT_CLOSE);
        if (count == 3)
            SimulateEvent(pRec, REC_STOP, EVENT_COMMIT);
    };
    record(0, 100, 0.1);
    ASSERT_FALSE(popups->shown.empty());
    EXPECT_EQ(popups->shown.front().text, "DATA-RECORDER is recording! - Stop recording and close ?");
    EXPECT_EQ(exit_flag, 0);
    expectFileMatchesSent("0.1", 100, 3);
    EXPECT_EQ(GetCtrlString(pRec, REC_STATUS), "DATA-RECORDER STOPPED!");
    EXPECT_EQ(GetCtrlTextColor(pRec, REC_STATUS), VAL_RED);
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "Data-Recorder stopped!");
    EXPECT_EQ(intOf(pRec, REC_PROGRESS), 3);
    expectIdleAgain();
}

TEST_P(RecorderTest, TriggeredRecordingDropsDamagedAndForeignFrames)
{
    sensorTriggeredMode();
    // Frames start once the recording runs; each good sample aims a fault at the next frame.
    const char *const faults[] = {"fault error-1 order 18", "fault bad-sync order 18", "fault bad-data-crc order 18",
                                  "fault none", "fault none"};
    std::vector<int> lampAtSample;
    g_onSample = [&](int count, double) {
        lampAtSample.push_back(intOf(pPA, MAIN_IN0_LED));
        EXPECT_EQ(sim.command(faults[count - 1]), "ok");
    };
    QTimer::singleShot(100, [this] {
        EXPECT_EQ(sim.command("fault bad-header-crc order 18"), "ok");
        EXPECT_EQ(sim.command("set trigger-count 9"), "ok");
        EXPECT_EQ(sim.command("set trigger-ms 60"), "ok");
    });
    record(1, 5, 2.0);
    EXPECT_EQ(sim.command("set trigger-ms 0"), "ok");

    EXPECT_EQ(sim.command("triggered"), "ok 9");
    expectFileMatchesSent("0.0", 5, 5);  // the interval reads 0.0 in the triggered mode
    EXPECT_TRUE(sim.orders().empty());   // nothing was asked for
    EXPECT_EQ(lampAtSample, std::vector<int>(5, 1));
    EXPECT_EQ(GetCtrlString(pRec, REC_STATUS), "DATA-RECORDER COMPLETED!");
    expectIdleAgain();
    // The link is free for exchanges again.
    EXPECT_EQ(1, IssueOrder(ORDER_ECHO, 0));
}

TEST_P(RecorderTest, InputLampGoesDarkAfterATriggeredSampleWhileTheRecordingGoesOn)
{
    sensorTriggeredMode();
    std::vector<int> lampLater;
    g_onSample = [&](int count, double) {
        if (count == 1)
            QTimer::singleShot(250, [&] { lampLater = {intOf(pPA, MAIN_IN0_LED), stop_flag}; });
    };
    QTimer::singleShot(100, [this] {
        EXPECT_EQ(sim.command("set trigger-count 2"), "ok");
        EXPECT_EQ(sim.command("set trigger-ms 500"), "ok");
    });
    record(1, 2, 1.0);
    EXPECT_EQ(sim.command("set trigger-ms 0"), "ok");
    EXPECT_EQ(lampLater, (std::vector<int>{0, 0})) << "dark 0.1 s on, the recording still running";
    EXPECT_EQ(intOf(pRec, REC_COUNT), 2);
}

TEST_P(RecorderTest, TriggeredFramesBeforeStartAreNotSamples)
{
    sensorTriggeredMode();
    EXPECT_EQ(sim.command("set trigger-ms 20"), "ok");
    DelayWithEventProcessing(0.3);  // frames pile up in the link
    EXPECT_EQ(sim.command("set trigger-ms 0"), "ok");
    DelayWithEventProcessing(0.1);
    const size_t before = measurementsSent().size();
    ASSERT_GT(before, 5u);
    QTimer::singleShot(100, [this] {
        EXPECT_EQ(sim.command("set trigger-count 3"), "ok");
        EXPECT_EQ(sim.command("set trigger-ms 30"), "ok");
    });
    record(1, 3, 1.0);
    const std::vector<std::string> sent = measurementsSent();
    ASSERT_EQ(sent.size(), before + 3);
    const std::vector<std::string> lines = SplitCrLf(fileBytes());
    ASSERT_EQ(lines.size(), 9u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(lines[6 + i].substr(9), RecordFieldsOfHex(sent[before + i])) << i;
    expectIdleAgain();
}

TEST_P(RecorderTest, LinesThatCannotBeWrittenAreCountedAndShown)
{
    std::string written;
    std::vector<std::string> statusWhileLost;
    g_onSample = [&](int count, double) {
        if (count == 2) {
            // The record file becomes a directory: appending fails from now on.
            written = fileBytes();
            std::filesystem::remove(path);
            std::filesystem::create_directory(path);
        }
        if (count == 4)
            statusWhileLost.push_back(GetCtrlString(pPA, MAIN_STATUS));
    };
    record(0, 5, 0.1);
    EXPECT_EQ(SplitCrLf(written).size(), 8u);
    EXPECT_EQ(RecordLinesLost(), 3);
    EXPECT_EQ(intOf(pRec, REC_COUNT), 5);  // counted as taken, shown as not written
    ASSERT_EQ(statusWhileLost.size(), 1u);
    EXPECT_NE(statusWhileLost[0].find("NOT WRITTEN: 2"), std::string::npos) << statusWhileLost[0];
    EXPECT_NE(GetCtrlString(pRec, REC_STATUS), "DATA-RECORDER COMPLETED!");
    EXPECT_NE(GetCtrlString(pRec, REC_STATUS).find("3 SAMPLE(S) NOT WRITTEN!"), std::string::npos);
    EXPECT_EQ(GetCtrlTextColor(pRec, REC_STATUS), VAL_RED);
    EXPECT_NE(GetCtrlString(pPA, MAIN_STATUS), "Data-Recorder completed successfully!");
    EXPECT_NE(GetCtrlString(pPA, MAIN_STATUS).find("NOT WRITTEN"), std::string::npos);
    expectIdleAgain();
}

INSTANTIATE_TEST_SUITE_P(Links, RecorderTest, ::testing::Values(Link::Tcp, Link::Pty), LinkName);

} // namespace
