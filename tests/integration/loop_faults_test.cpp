// SPDX-License-Identifier: GPL-3.0-or-later
// The loops an operator leaves running (Run, Video, the polled and the triggered recorder)
// against every fault the simulator puts on a running line, over TCP, the pty and ser2net:
// a loop ends as a lost link ends it, or, for unsolicited frames, drops the damaged one and
// goes on; nothing already recorded is lost; the next loop against the healed sensor works.

#include "base/text.h"
#include "display/measure.h"
#include "link/orders.h"
#include "link/transport.h"
#include "params/pset.h"
#include "support/integration_helpers.h"
#include "support/sim_fixture.h"

#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

enum class Loop { Run, Video, Polled, Triggered };

struct LoopFault {
    Loop loop;
    const char *fault;
    Link link;
};

const char *const kFaults[] = {"silent",  "late",         "bad-header-crc",   "bad-sync", "bad-data-crc", "error-1",
                               "error-2", "short-length", "oversized-length", "garbage",  "half",         "close"};

const char *const kLoopNames[] = {"Run", "Video", "Polled", "Triggered"};

std::vector<LoopFault> AllCases()
{
    std::vector<LoopFault> cases;
    for (Link link : {Link::Tcp, Link::Pty})
        for (Loop loop : {Loop::Run, Loop::Video, Loop::Polled, Loop::Triggered})
            for (const char *fault : kFaults)
                cases.push_back({loop, fault, link});
    // Through ser2net the Run row stands for the others: same loops, one more hop.
    for (const char *fault : kFaults)
        cases.push_back({Loop::Run, fault, Link::Ser2net});
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<LoopFault> &info)
{
    std::string name = std::string(kLoopNames[static_cast<int>(info.param.loop)]) + "_" + info.param.fault + "_" +
                       LinkName({info.param.link, 0});
    for (char &c : name)
        if (c == '-')
            c = '_';
    return name;
}

class LoopFaultTest : public SimFixture, public ::testing::WithParamInterface<LoopFault> {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        // A late answer comes after the wait has given up on it, on either link.
        ASSERT_NO_FATAL_FAILURE(startSim(GetParam().link, {"--late-ms", "2300"}));
        ASSERT_EQ(1, openSimLink(GetParam().link));
        path = programDir + "/REC.DAT";
        CopyText(rec_fname, path.c_str());
    }

    std::string faultCommand(int order) const
    {
        return std::string("fault ") + GetParam().fault + " order " + std::to_string(order);
    }

    // Presses RUN or VIDEO; the fault hits the loop's `order` once three frames were shown, and
    // STOP comes `stopAfter` seconds into the loop (never, when 0, but bounded in any case).
    void runLoop(int button, const char *fault, int order, double stopAfter)
    {
        const unsigned long long first = framesShown;
        const double start = Timer();
        bool injected = fault == nullptr;
        Poll watch(10, [&] {
            if (!injected && framesShown >= first + 3) {
                injected = true;
                EXPECT_EQ(sim.command(faultCommand(order)), "ok");
            }
            if ((stopAfter > 0 && Timer() - start > stopAfter) || Timer() - start > 15.0)
                SimulateEvent(pPA, MAIN_STOP, EVENT_COMMIT);
            return false;
        });
        press(pPA, button);
        EXPECT_TRUE(injected);
        EXPECT_GE(framesShown - first, 3u);
    }

    // One recording in `mode`; in the triggered mode the simulator sends `frames` frames 30 ms
    // apart and Stop ends the recording once it has sent them all and the last had time to
    // arrive (`held` seconds more when one of them is held back), within a bound.
    void record(int mode, int samples, int frames = 0, double held = 0)
    {
        std::remove(path.c_str());
        std::optional<Poll> stopper;
        if (mode == 1) {
            QTimer::singleShot(100, [this, frames] {
                EXPECT_EQ(sim.command("set trigger-count " + std::to_string(frames)), "ok");
                EXPECT_EQ(sim.command("set trigger-ms 30"), "ok");
            });
            const double start = Timer();
            double allSent = 0;
            stopper.emplace(50, [=, this]() mutable {
                const double now = Timer();
                if (allSent == 0 && sim.command("triggered") == "ok " + std::to_string(frames))
                    allSent = now;
                if ((allSent > 0 && now - allSent > 0.5 + held) || now - start > 10 + held) {
                    SimulateEvent(pRec, REC_STOP, EVENT_COMMIT);
                    return true;
                }
                return false;
            });
        }
        Record(mode, samples, 0.1);
        sim.command("set trigger-ms 0");
    }

    // The sample lines of the record file are those of the intact frames the simulator sent
    // (the first of them only, when the line went down and took the rest with it).
    void expectLinesAreTheIntactFrames(size_t atLeast, bool lineWentDown = false)
    {
        const std::vector<std::string> lines = SplitCrLf(ReadBytes(path));
        const std::vector<std::string> sent = MeasurementsSent(sim);
        ASSERT_GE(lines.size(), 6 + atLeast);
        if (lineWentDown)
            ASSERT_LE(lines.size() - 6, sent.size());
        else
            ASSERT_EQ(lines.size() - 6, sent.size());
        for (size_t i = 6; i < lines.size(); ++i)
            EXPECT_EQ(lines[i].substr(9), RecordFieldsOfHex(sent[i - 6])) << "line " << i;
    }

    void sensorTriggeredMode(bool on)
    {
        pset.RS_232_Mode = on ? 1 : 0;
        ASSERT_EQ(1, IssueOrder(ORDER_WRITE_PARA_RAM, 0, &pset, sizeof pset)) << szStatus;
    }

    std::string path;
    SampleWatch samples;
};

TEST_P(LoopFaultTest, LoopSurvivesTheFault)
{
    const LoopFault &c = GetParam();
    const std::string timeout = c.link == Link::Pty ? "Timeout RS232 Line!" : "Timeout TCP-Server-error!";
    const bool late = std::string(c.fault) == "late";
    // A pty has no connection to lose; through ser2net the sensor's side is a pty too.
    const bool closesLink = std::string(c.fault) == "close" && c.link == Link::Tcp;
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    switch (c.loop) {
    case Loop::Run:
    case Loop::Video:
        runLoop(c.loop == Loop::Run ? MAIN_RUN : MAIN_VIDEO, c.fault,
                c.loop == Loop::Run ? ORDER_MEASUREMENT : ORDER_CURVE, 0);
        // Red on the connection page, and once in the link's history. A closed connection ends
        // the loop as lost, not as a time-out, and what needs the link stays dimmed.
        EXPECT_EQ(stop_flag, -1) << "the loop ended on the fault";
        EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_STATUS), 0xFF0000) << "the status line red";
        EXPECT_EQ(activeTab(), 5) << "the connection page to the front";
        if (closesLink) {
            EXPECT_EQ(MainStatus(), kTextServerClosed);
            EXPECT_EQ(LogCount(kTextServerClosed), 1) << "the loss logged once";
            EXPECT_EQ(LogCount(timeout), 0) << "no time-out logged for a lost link";
            EXPECT_TRUE(AllDimmed({{pPA, MAIN_RUN}, {pPA, MAIN_VIDEO}, {pPA, MAIN_GET}, {pPA, MAIN_SEND}}));
        } else {
            EXPECT_EQ(MainStatus(), timeout);
            EXPECT_EQ(LogCount(c.link == Link::Pty ? "Timeout RS232-Line!" : timeout), 1) << "logged once";
        }
        break;
    case Loop::Polled:
        samples.onSample = [&](int count) {
            if (count == 3) {
                EXPECT_EQ(sim.command(faultCommand(ORDER_MEASUREMENT)), "ok");
            }
        };
        record(0, 100);
        EXPECT_EQ(GetCtrlTextColor(pRec, REC_STATUS), VAL_RED);
        if (closesLink) {
            EXPECT_EQ(std::pair(GetCtrlString(pRec, REC_STATUS), MainStatus()),
                      std::pair(std::string("DATA-REC. ERROR - CONNECTION LOST!"),
                                std::string("Data-Recorder error - connection lost!")));
            EXPECT_TRUE(AllDimmed({{pPA, MAIN_RUN}, {pPA, MAIN_VIDEO}, {pRec, REC_START}}));
        } else {
            EXPECT_EQ(std::pair(GetCtrlString(pRec, REC_STATUS), MainStatus()),
                      std::pair(std::string("DATA-REC. ERROR - TIMEOUT!"),
                                std::string("Data-Recorder error - rs232 timeout!")));
        }
        EXPECT_EQ(intOf(pRec, REC_COUNT), 3) << "the samples taken before the fault stay counted";
        expectLinesAreTheIntactFrames(3);
        break;
    case Loop::Triggered:
        ASSERT_NO_FATAL_FAILURE(sensorTriggeredMode(true));
        ASSERT_EQ(sim.command("reset-stats"), "ok");
        samples.onSample = [&](int count) {
            if (count == 2) {
                EXPECT_EQ(sim.command(faultCommand(0x12)), "ok");
            }
        };
        record(1, 100, 8, late ? 2.3 : 0);
        // Only the damaged frame is missing, unless the fault took the connection with it: then
        // the recording ends by itself at once, as a polled one does, and the simulator's
        // triggers stop with it.
        if (closesLink) {
            EXPECT_EQ(GetCtrlString(pRec, REC_STATUS), "DATA-REC. ERROR - CONNECTION LOST!");
            EXPECT_EQ(MainStatus(), "Data-Recorder error - connection lost!");
            EXPECT_TRUE(AllDimmed({{pPA, MAIN_RUN}, {pPA, MAIN_VIDEO}, {pRec, REC_START}}));
            expectLinesAreTheIntactFrames(2, true);
        } else {
            EXPECT_EQ(sim.command("triggered"), "ok 8");
            expectLinesAreTheIntactFrames(7);
        }
        break;
    }
    samples.onSample = nullptr;
    EXPECT_EQ(RecordLinesLost(), 0);

    // The healed sensor: once a late answer has gone by and a closed link is open again, the
    // link is free and the same loop works again.
    ASSERT_EQ(sim.command("fault none"), "ok");
    if (late && c.loop != Loop::Triggered)
        DelayWithEventProcessing(1.5);
    if (closesLink) {
        EXPECT_EQ(tcpcon, 0);
        SelectTcpLink(sim.tcpPort());
        press(pConn, CONN_CONNECT);
        ASSERT_EQ(tcpcon, 1);
    }
    EXPECT_EQ(1, IssueOrder(ORDER_ECHO, 0)) << szStatus;
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    switch (c.loop) {
    case Loop::Run:
    case Loop::Video:
        runLoop(c.loop == Loop::Run ? MAIN_RUN : MAIN_VIDEO, nullptr, 0, 0.4);
        EXPECT_EQ(std::tuple(stop_flag, MainStatus(), GetCtrlTextColor(pPA, MAIN_STATUS)),
                  std::tuple(1, std::string("Data-Transfer Stopped!"), 0x000000))
            << "a new loop starts black";
        break;
    case Loop::Polled:
    case Loop::Triggered:
        record(c.loop == Loop::Polled ? 0 : 1, 2, 2);
        EXPECT_EQ(GetCtrlString(pRec, REC_STATUS), "DATA-RECORDER COMPLETED!");
        expectLinesAreTheIntactFrames(2);
        EXPECT_TRUE(NoneDimmed({{pPA, MAIN_RUN}, {pPA, MAIN_VIDEO}, {pRec, REC_START}}));
        if (c.loop == Loop::Triggered)
            sensorTriggeredMode(false);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Matrix, LoopFaultTest, ::testing::ValuesIn(AllCases()), CaseName);

} // namespace
