// SPDX-License-Identifier: GPL-3.0-or-later
// Run and Video against the simulated sensor: frames shown and rolled, STOP, the requests
// other buttons leave for the running loop, the comparison view, and closing the program
// while a loop runs. Faults on the line and their texts: loop_faults_test.

#include "app/shell.h"
#include "display/rollgraph.h"
#include "link/hwinfo.h"
#include "link/ident.h"
#include "link/orders.h"
#include "link_ui/ident_page.h"
#include "params/pset.h"
#include "params_ui/transfer.h"
#include "platform/system.h"
#include "support/integration_helpers.h"
#include "support/sim_fixture.h"

#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <tuple>
#include <unistd.h>

using namespace ui;
using namespace panels;

namespace {

// The whole program: RUN pressed in the event loop, the window closed while it runs. First in
// this file: a close outside the event loop (below) leaves a quit pending for the next loop.
TEST(MeasureProgramTest, ClosingWhileRunningReturnsFromTheProgram)
{
    static char arg0[] = "mq-tests";
    static char *argv[] = {arg0, nullptr};
    InitRuntime(1, argv);
    const TempDir dir;
    SetProgramDirectory(dir.path);
    SetPopups(std::make_unique<ScriptedPopups>());
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--pty", dir / "sim-pty", "--eeprom", dir / "e"})) << sim.error();
    ASSERT_EQ(::symlink(sim.ptyPath().c_str(), (dir / "com1").c_str()), 0);

    int framesBeforeClose = 0;
    std::function<void()> whenLoopRuns = [&] {
        QTimer::singleShot(10, [&] {
            if (QThread::currentThread()->loopLevel() == 0)
                return whenLoopRuns();
            QTimer::singleShot(300, [&] {
                framesBeforeClose = static_cast<int>(sim.orders().size());
                SimulateEvent(pPA, 0, EVENT_CLOSE);
            });
            SimulateEvent(pPA, MAIN_RUN, EVENT_LEFT_CLICK);
            SimulateEvent(pPA, MAIN_RUN, EVENT_COMMIT);
        });
    };
    whenLoopRuns();
    EXPECT_EQ(WinMain(1, argv), 0);
    EXPECT_GT(framesBeforeClose, 10);
    sim.stop();
    SetPopups(nullptr);
    SetProgramDirectory("");
}

class MeasureRunTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSimOverTcp());
        ASSERT_EQ(1, InitDataExchange());
        std::memset(arrayNORM, 0, sizeof arrayNORM);
        send_flag = get_flag = teach_flag = reset_flag = 0;
        cal_start_flag = cal_save_flag = cal_exit_flag = 0;
        sim.command("reset-stats");
    }

    static void after(int ms, std::function<void()> what) { QTimer::singleShot(ms, std::move(what)); }
    static void pressStop() { SimulateEvent(pPA, MAIN_STOP, EVENT_COMMIT); }
    int framesRolled() const
    {
        int n = 0;
        for (int k = 0; k < kRollPoints; ++k)
            n += arrayNORM[k * kRollTraces + 3] != 0.0;
        return n;
    }
    int count(int order)
    {
        const std::vector<int> all = sim.orders();
        return static_cast<int>(std::count(all.begin(), all.end(), order));
    }
    std::vector<double> videoPlot(int index)
    {
        std::vector<double> y;
        GetGraphPlotY(pPA, MAIN_VIDEO_GRAPH, index, &y);
        return y;
    }
};

TEST_F(MeasureRunTest, RunShowsFramesRollsTheHistoryAndStopsAfterThePass)
{
    // A slow line keeps the number of frames small enough to count them in the history.
    ASSERT_EQ(sim.command("set baud 9600"), "ok");
    int requestedAtStop = -1;
    after(400, [&] {
        EXPECT_TRUE(AllDimmed({{pPA, MAIN_RUN}, {pPA, MAIN_GET}, {pCal1, CAL1_FACTORY}})) << "Run, GET, Factory";
        EXPECT_FALSE(IsCtrlDimmed(pPA, MAIN_SEND)) << "SEND stays usable while Run goes on";
        EXPECT_TRUE(IsCtrlVisible(pPA, MAIN_ROLL_GRAPH));
        EXPECT_FALSE(IsCtrlVisible(pPA, MAIN_VIDEO_GRAPH));
        requestedAtStop = count(ORDER_MEASUREMENT);
        pressStop();
    });
    press(pPA, MAIN_RUN);
    ASSERT_GT(requestedAtStop, 2);
    EXPECT_EQ(std::make_tuple(stop_flag, MainStatus(), NoneDimmed({{pPA, MAIN_RUN}, {pPA, MAIN_VIDEO}})),
              std::make_tuple(1, std::string("Data-Transfer Stopped!"), true));
    // No request after STOP, and the frame under way when STOP came is shown too.
    EXPECT_EQ((std::vector<int>{count(ORDER_MEASUREMENT), framesRolled()}), std::vector<int>(2, requestedAtStop));

    // The last frame is on the panel and in the newest point of the history.
    EXPECT_EQ(intOf(pPA, MAIN_MVALUE), raw.M_VALUE);
    EXPECT_EQ(arrayNORM[kRollTraces * (kRollPoints - 1) + 3], raw.M_VALUE);
}

TEST_F(MeasureRunTest, RequestsDuringTheRunGoOutAfterTheNextFrameInTheirOrder)
{
    ASSERT_EQ(sim.command("set baud 19200"), "ok");
    // EEPROM selected before the run: the loop works on RAM.
    SetCtrlVal(pPA, MAIN_RAM, 0);
    SetCtrlVal(pPA, MAIN_EEPROM, 1);
    target = EEPROM;
    bool resetWentOutAtOnce = true;
    after(150, [&] {
        SimulateEvent(pPA, MAIN_RESET, EVENT_COMMIT);
        resetWentOutAtOnce = count(ORDER_RESET_OUTPUT) > 0;
        send_flag = get_flag = teach_flag = 1;
        cal_start_flag = cal_save_flag = cal_exit_flag = 1;
    });
    press(pPA, MAIN_RUN); // the calibration end stops the loop
    EXPECT_EQ(std::make_tuple(resetWentOutAtOnce, target, stop_flag), std::make_tuple(false, RAM, 1));
    const std::vector<int> orders = sim.orders();
    const auto first = std::find(orders.begin(), orders.end(), ORDER_WRITE_PARA_RAM);
    ASSERT_TRUE(first != orders.end() && first != orders.begin()) << "a SEND after a frame";
    const std::vector<int> fromTheFrame = {ORDER_MEASUREMENT, 1, 2, 6, 11, 12, 12, 12};
    EXPECT_EQ(std::vector<int>(first - 1, orders.end()), fromTheFrame);
    EXPECT_EQ(reset_flag + send_flag + get_flag + teach_flag + cal_start_flag + cal_save_flag + cal_exit_flag, 0);

    // Idle, Reset goes out at once.
    sim.command("reset-stats");
    SimulateEvent(pPA, MAIN_RESET, EVENT_COMMIT);
    EXPECT_EQ(sim.orders(), (std::vector<int>{ORDER_RESET_OUTPUT}));
    EXPECT_EQ(reset_flag, 0);
}

TEST_F(MeasureRunTest, VideoComparesAgainstTheFixedThreshold)
{
    pset.Video_Thd_Fix = 40;
    SetCtrlVal(pPara2, PARA2_VTHD_MODE, 0);
    SetCtrlVal(pPA, MAIN_FILE, 1);
    target = DATFILE;
    changeValue(pPA, MAIN_COMPARE, 1);
    after(300, [&] {
        EXPECT_TRUE(IsCtrlVisible(pPA, MAIN_VIDEO_GRAPH));
        EXPECT_FALSE(IsCtrlVisible(pPA, MAIN_ROLL_GRAPH));
        send_flag = 1;
        after(200, pressStop);
    });
    press(pPA, MAIN_VIDEO);
    EXPECT_EQ(target, RAM);
    EXPECT_EQ(stop_flag, 1);
    const int high = ADCMAX - 1;
    ASSERT_EQ(ADCMAX, 1024) << "identified receiver";
    const int highs = static_cast<int>(std::count(adbuf, adbuf + kCurvePoints, high));
    const int lows = static_cast<int>(std::count(adbuf, adbuf + kCurvePoints, 0));
    // Every point high or low, both the light band and the shadow there, and two plots.
    EXPECT_EQ(highs + lows, kCurvePoints) << "a point neither high nor low";
    EXPECT_GT(highs, 0) << "no light band";
    EXPECT_GT(lows, 0) << "no shadow";
    EXPECT_EQ(GetNumGraphPlots(pPA, MAIN_VIDEO_GRAPH), 2) << "video and threshold";
    EXPECT_EQ(videoPlot(1), std::vector<double>(kCurvePoints, 409.0));

    // SEND went to RAM between two passes; every pass is a frame and a profile.
    const std::vector<int> orders = sim.orders();
    const auto send = std::find(orders.begin(), orders.end(), ORDER_WRITE_PARA_RAM);
    ASSERT_NE(send, orders.end());
    const std::vector<int> around = {ORDER_CURVE, ORDER_WRITE_PARA_RAM, ORDER_MEASUREMENT};
    EXPECT_EQ(std::vector<int>(send - 1, send + 2), around);
    EXPECT_EQ(count(ORDER_WRITE_PARA_EE), 0);
    // Every pass is a frame and a profile; a frame on its way when STOP came is taken alone.
    EXPECT_GE(count(ORDER_MEASUREMENT) - count(ORDER_CURVE), 0);
    EXPECT_LE(count(ORDER_MEASUREMENT) - count(ORDER_CURVE), 1);
}

TEST_F(MeasureRunTest, AutomaticThresholdShowsTheSensorsProfileOrTheWorkingOne)
{
    ASSERT_EQ(GetDATA(1), 1);
    SetCtrlVal(pPara2, PARA2_VTHD_MODE, 1);
    std::fill(thdArrayDYN, thdArrayDYN + kCurvePoints, 5);
    SetCtrlVal(pPA, MAIN_COMPARE, 0);
    RunLoopFor(MAIN_VIDEO, 0.2);
    EXPECT_EQ(videoPlot(1), std::vector<double>(vtbuf, vtbuf + kCurvePoints)) << "compare off: the sensor's profile";
    EXPECT_GT(*std::max_element(adbuf, adbuf + kCurvePoints), 600) << "a real profile, not a comparison";

    SetCtrlVal(pPA, MAIN_COMPARE, 1);
    RunLoopFor(MAIN_VIDEO, 0.2);
    EXPECT_EQ(videoPlot(1), std::vector<double>(kCurvePoints, 5.0)) << "compare on: the working threshold";
}

TEST_F(MeasureRunTest, VideoStoppedWithAFrameOnItsWayAsksNothingMoreAndAGetThenWorks)
{
    // Late answers keep the loop waiting, each request counted long before its answer.
    ASSERT_EQ(sim.command("set late-ms 150"), "ok");
    ASSERT_EQ(sim.command("fault late always"), "ok");
    std::vector<int> atStop;
    Poll watch(10, [&] {
        // The next pass's measurement is on its way once more frames than profiles went out.
        if (count(ORDER_MEASUREMENT) < 2 || count(ORDER_MEASUREMENT) <= count(ORDER_CURVE))
            return false;
        atStop = sim.orders();
        pressStop();
        press(pPA, MAIN_GET);
        return true;
    });
    press(pPA, MAIN_VIDEO);
    ASSERT_FALSE(atStop.empty());
    atStop.push_back(ORDER_READ_PARA_RAM);
    EXPECT_EQ(sim.orders(), atStop) << "the frame on its way is taken, no profile asked for, then the GET";
    EXPECT_EQ(std::make_tuple(get_flag, stop_flag, activeTab() == 5), std::make_tuple(0, 1, false))
        << "get_flag, stop_flag, connection page on show";
}

TEST_F(MeasureRunTest, SendPressedDuringTheDeferredSendGoesOutToo)
{
    ASSERT_EQ(sim.command("set late-ms 100"), "ok");
    ASSERT_EQ(sim.command("fault late always"), "ok");
    int sends = 0, polls = 0;
    Poll watch(10, [&] {
        const std::vector<int> orders = sim.orders();
        // The second SEND lands while the first one's exchange waits for its answer.
        const bool firstOnTheLine = sends == 1 && !orders.empty() && orders.back() == ORDER_WRITE_PARA_RAM;
        if (sends == 0 || firstOnTheLine) {
            SetCtrlVal(pPara3, PARA3_TRG_PIX, ++sends == 1 ? 111 : 222);
            press(pPA, MAIN_SEND);
        }
        if (count(ORDER_WRITE_PARA_RAM) < 2 && ++polls <= 500)
            return false;
        pressStop();
        return true;
    });
    press(pPA, MAIN_RUN);
    EXPECT_EQ(count(ORDER_WRITE_PARA_RAM), 2);
    EXPECT_EQ(FromHex<ParameterSet>(sim.command("ram").substr(3)).Trigger_Pixel, 222);
    EXPECT_EQ(send_flag, 0);
}

TEST_F(MeasureRunTest, FailedFrameEndsVideoBeforeTheProfileThenRequestsActAtOnceWithTheirOwnTexts)
{
    ASSERT_EQ(sim.command("fault silent order 8"), "ok");
    press(pPA, MAIN_VIDEO);
    ASSERT_EQ(stop_flag, -1);
    EXPECT_EQ(sim.orders(), (std::vector<int>{ORDER_MEASUREMENT}));
    struct Row {
        const char *name;
        int panel, control, order;
        int *flag;
    };
    const Row rows[] = {{"GET", pPA, MAIN_GET, ORDER_READ_PARA_RAM, &get_flag},
                        {"SEND", pPA, MAIN_SEND, ORDER_WRITE_PARA_RAM, &send_flag},
                        {"TEACH", pPara1, PARA1_TEACH, ORDER_TEACH, &teach_flag},
                        {"RESET", pPA, MAIN_RESET, ORDER_RESET_OUTPUT, &reset_flag}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        sim.command("reset-stats");
        press(row.panel, row.control);
        ASSERT_FALSE(sim.orders().empty()) << "nothing went out";
        EXPECT_EQ(sim.orders().front(), row.order);
        EXPECT_EQ(*row.flag, 0) << "the request was left for a loop that has ended";
    }
    ASSERT_EQ(sim.command("fault silent always"), "ok");
    press(pPA, MAIN_GET);
    EXPECT_EQ(MainStatus(), "Timeout-RS-232...");
    press(pPA, MAIN_SEND);
    EXPECT_EQ(MainStatus(), "Transmission error [SEND]!");
    EXPECT_EQ(get_flag + send_flag, 0) << "nothing left to go out later";
}

TEST_F(MeasureRunTest, ComparisonViewComparesTheFirstPassWithTheFixedLevelThenWithTheStoredProfile)
{
    ASSERT_EQ(sim.command("set late-ms 100"), "ok");
    ASSERT_EQ(sim.command("fault late always"), "ok");
    SetCtrlVal(pPara2, PARA2_VTHD_MODE, 1);
    SetCtrlVal(pPA, MAIN_COMPARE, 1);
    const int high = ADCMAX - 1;
    for (const int passes : {1, 3}) {
        std::fill(thdArray, thdArray + kCurvePoints, 0);          // everything above it
        std::fill(thdArrayEE, thdArrayEE + kCurvePoints, ADCMAX); // nothing above it
        sim.command("reset-stats");
        Poll watch(5, [&] {
            if (count(ORDER_CURVE) < passes)
                return false;
            pressStop();
            return true;
        });
        press(pPA, MAIN_VIDEO);
        const auto highs = std::count(adbuf, adbuf + kCurvePoints, high);
        if (passes == 1)
            EXPECT_GT(highs, 0) << "the first pass against thdArray";
        else
            EXPECT_EQ(highs, 0) << "later passes against thdArrayEE";
    }
}

TEST_F(MeasureRunTest, ClosingThePanelDuringRunEndsTheLoopWithoutATimeOut)
{
    after(300, [] { SimulateEvent(pPA, 0, EVENT_CLOSE); });
    press(pPA, MAIN_RUN);
    EXPECT_EQ(stop_flag, 1);
    EXPECT_EQ(exit_flag, 1) << "the close request was lost";
    EXPECT_NE(activeTab(), 5) << "a close is no link fault: the connection page stays behind";
    EXPECT_EQ(MainStatus(), "Data-Transfer Stopped!");

    exit_flag = 0;
}

} // namespace
