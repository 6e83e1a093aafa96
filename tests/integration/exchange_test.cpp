// SPDX-License-Identifier: GPL-3.0-or-later
// Request/answer exchanges against the simulator over TCP, over a pty reached through
// the COM-port link rule, and over ser2net bridging a TCP port to the simulator's pty.

#include "base/text.h"
#include "display/buffers.h"
#include "link/frame.h"
#include "link/orders.h"
#include "link/transport.h"
#include "params/pset.h"
#include "support/byte_lines.h"
#include "support/sim_fixture.h"

#include "platform/comm.h"
#include "support/scripted_sensor.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <tuple>

namespace {

class ExchangeTest : public SimFixture, public ::testing::WithParamInterface<Link> {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSim(GetParam(), {"--late-ms", "2600"}));
        ASSERT_EQ(1, openSimLink(GetParam()));
    }

    // One exchange, leaving the link's own verdict in szStatus. The parameter set is
    // used because its answer is the same every time, so a fault's effect on the data
    // CRC is too.
    int exchange()
    {
        CopyText(szStatus, "");
        return IssueOrder(ORDER_READ_PARA_RAM, 0);
    }
};

// A whole record over every link is the loop fault matrix's healthy half; its request bytes
// are the order tests'.
TEST_P(ExchangeTest, PacedCurveArrivesWholeAndLineErrorsFailTheExchange)
{
    // Paced output makes the curve's 512 bytes arrive in many pieces.
    ASSERT_EQ(sim.command("set baud 115200"), "ok");
    // Line status exists on RS-232 only. The damaged answer's rest, still arriving, must not
    // spoil the next exchange.
    if (GetParam() == Link::Pty) {
        CopyText(szStatus, "before");
        InjectComLineErrors(rs232port, kComStatParity);
        EXPECT_EQ(-1, IssueOrder(ORDER_READ_PARA_RAM, 0));
        EXPECT_STREQ(szStatus, "before COMM ERROR: PARITY!");
        EXPECT_EQ(1, exchange()) << szStatus;
    }
    std::memset(adbuf, 0, sizeof adbuf);
    ASSERT_EQ(1, GetDATA(0));
    EXPECT_EQ(head.length, 512);
    EXPECT_GT(std::count_if(std::begin(adbuf), std::end(adbuf), [](std::uint16_t v) { return v > 0; }), 100);
}

TEST_P(ExchangeTest, OneExchangeAtATimeAndTheExitFlagAbandonsTheWaitWithoutAText)
{
    ASSERT_EQ(SendOrder(ORDER_MEASUREMENT, 0), 1);
    // Nothing else goes out meanwhile, and the request waiting for its answer stays as it was.
    EXPECT_EQ(SendOrder(ORDER_ECHO, 0), -1);
    EXPECT_EQ(std::string(szStatus), kTextExchangeBusy);
    EXPECT_EQ(IssueOrder(ORDER_ECHO, 0), -1);
    EXPECT_EQ(szWriteBuf[1], ORDER_MEASUREMENT);
    ASSERT_EQ(AwaitAnswer(), 1) << szStatus;
    EXPECT_EQ(std::tuple(head.order, head.length), std::tuple(ORDER_MEASUREMENT, sizeof(MeasurementRecord)));
    // With no request under way there is no answer to wait for.
    EXPECT_EQ(AwaitAnswer(), -1);
    EXPECT_EQ(std::string(szStatus), kTextNoAnswerAwaited);
    EXPECT_EQ(IssueOrder(ORDER_ECHO, 0), 1) << szStatus;
    EXPECT_EQ(sim.orders(), (std::vector<int>{ORDER_MEASUREMENT, ORDER_ECHO}));

    // An exchange started from inside another's wait is refused; the waiting one keeps its
    // own request and answer.
    ASSERT_EQ(sim.command("set late-ms 400"), "ok");
    ASSERT_EQ(sim.command("fault late"), "ok");
    int nested = 0;
    std::string nestedStatus;
    QTimer::singleShot(100, [&] {
        nested = IssueOrder(ORDER_ECHO, 0);
        nestedStatus = szStatus;
    });
    ASSERT_EQ(1, exchange()) << szStatus;
    EXPECT_EQ(nested, -1) << "the nested exchange was not refused";
    EXPECT_EQ(nestedStatus, kTextExchangeBusy);
    EXPECT_EQ(head.order, ORDER_READ_PARA_RAM) << "the waiting exchange's answer";
    EXPECT_EQ(head.length, 60);
    EXPECT_EQ(sim.lastRequestHex().substr(0, 4), "5502") << "the waiting exchange's request";

    ASSERT_EQ(sim.command("fault silent"), "ok");
    QTimer::singleShot(100, [] { exit_flag = 1; });
    CopyText(szStatus, "left alone");
    EXPECT_EQ(-1, IssueOrder(ORDER_MEASUREMENT, 0));
    EXPECT_STREQ(szStatus, "left alone");
    exit_flag = 0;
    EXPECT_EQ(1, exchange());
}

// The link going away while an answer is awaited ends the wait there and then: the loss's own
// text stays in the status (a wait run out would have put its time-out verdict there), and
// so does every further exchange until the link is opened again.
TEST_P(ExchangeTest, LostLinkEndsTheWaitAtOnceAndEveryWaitAfterIt)
{
    ASSERT_EQ(sim.command("fault silent"), "ok");
    QTimer::singleShot(100, [this] { takeLinkAway(GetParam()); });
    CopyText(szStatus, "");
    EXPECT_EQ(-1, IssueOrder(ORDER_MEASUREMENT, 0));
    const std::string lost = GetParam() == Link::Pty ? kTextPortLost : kTextServerClosed;
    EXPECT_EQ(std::string(szStatus), lost + "\n");
    EXPECT_EQ(link_lost, 1);

    CopyText(szStatus, "left alone");
    EXPECT_EQ(-1, IssueOrder(ORDER_MEASUREMENT, 0));
    EXPECT_STREQ(szStatus, "left alone");
}

INSTANTIATE_TEST_SUITE_P(Links, ExchangeTest, ::testing::Values(Link::Tcp, Link::Pty, Link::Ser2net), LinkName);

// Each fault's own text; that every fault on every link leaves the link usable is the loop
// fault matrix's part.
class ExchangeFaultTest : public SimFixture {};

TEST_F(ExchangeFaultTest, EveryFaultFailsWithItsTextAndTheNextExchangeSucceeds)
{
    ASSERT_NO_FATAL_FAILURE(startSimOverTcp({"--late-ms", "2600"}));
    const struct {
        const char *fault;
        const char *status;
        // clang-format off
    } cases[] = {
        {"bad-header-crc", kTextHeaderIncorrect}, {"bad-sync", kTextHeaderIncorrect},
        {"bad-data-crc", kTextDataIncorrect},     {"error-1", kTextInvalidOrder},
        {"error-2", kTextReduceBaudrate},         {"short-length", kTextDataIncorrect},
        {"oversized-length", kTextHeaderIncorrect}, {"garbage", kTextHeaderIncorrect},
        {"silent", kTextTimeout},                 {"half", kTextTimeout},
        {"late", kTextTimeout},
        // Not a time-out: the loss, as it was shown and logged (with the log's line feed).
        {"close", "SERVER HAS CLOSED CONNECTION! - connection lost\n"},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_EQ(sim.command(std::string("fault ") + c.fault), "ok");
        CopyText(szStatus, "");
        EXPECT_EQ(-1, IssueOrder(ORDER_READ_PARA_RAM, 0));
        EXPECT_STREQ(szStatus, c.status);
        if (std::string(c.fault) == "late")
            ui::DelayWithEventProcessing(1.2); // let the late answer go by
        if (std::string(c.fault) == "close") {
            // The server went away: the link knows, and Connect brings it back.
            EXPECT_EQ(std::tuple(tcpcon, tcp_hconversation), std::tuple(0, 0u));
            ASSERT_EQ(1, openSimLink(Link::Tcp));
        }
        EXPECT_EQ(1, IssueOrder(ORDER_READ_PARA_RAM, 0)) << szStatus;
    }
}

// The simulator serves one client at a time: a newcomer on its port is answered, as by a
// reused network-to-serial server, and the client it replaced loses its connection.
TEST_F(ExchangeFaultTest, ANewClientOnTheSimulatorsPortReplacesTheProgram)
{
    ASSERT_NO_FATAL_FAILURE(startSimOverTcp());
    QTcpSocket newcomer;
    newcomer.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(sim.tcpPort()));
    ASSERT_TRUE(newcomer.waitForConnected(2000));
    FillTxBuf(ORDER_ECHO, 0, nullptr, 0);
    newcomer.write(reinterpret_cast<const char *>(szWriteBuf), kHeaderSize);
    EXPECT_TRUE(newcomer.waitForReadyRead(2000)) << "the newcomer got no answer";
    for (int i = 0; i < 200 && tcpcon != 0; ++i)
        ui::DelayWithEventProcessing(0.01);
    EXPECT_EQ(tcpcon, 0) << "the program's replaced connection was not dropped";
}

using FakeSensorTest = ScriptedSensorFixture;

TEST_F(FakeSensorTest, AnswerWithAnotherOrderCodeIsTakenButALateAnswerToATimedOutRequestIsNot)
{
    // The program does not compare order codes: a measurement request answered under
    // another code fills the measurement record.
    nextAnswer = SensorFrame(ORDER_READ_PARA_RAM, 0, QByteArray(40, 0x22));
    std::memset(&raw, 0, sizeof raw);
    EXPECT_EQ(1, GetRAW());
    EXPECT_EQ(raw.M_VALUE, 0x2222);

    // A parameter request goes unanswered ...
    received.clear();
    const ParameterSet before = pset;
    EXPECT_EQ(-1, IssueOrder(ORDER_READ_PARA_RAM, 0));
    // ... and its answer turns up late, just after the next request went out: it is not
    // taken for the measurement record.
    received.clear();
    nextAnswer = SensorFrame(ORDER_READ_PARA_RAM, 0, QByteArray(60, 0x11));
    std::memset(&raw, 0, sizeof raw);
    EXPECT_EQ(-1, GetRAW());
    // Nothing taken, and the measurement's request went out.
    EXPECT_EQ(raw.M_VALUE, 0);
    EXPECT_TRUE(SameBytes(pset, before)) << "the parameter set took the foreign answer";
    EXPECT_EQ(received.left(2).toHex().toStdString(), "5508") << "the measurement's request";

    // The next answer is the measurement's own.
    received.clear();
    nextAnswer = SensorFrame(ORDER_MEASUREMENT, 0, QByteArray(40, 0x01));
    EXPECT_EQ(1, GetRAW());
    EXPECT_EQ(raw.M_VALUE, 0x0101);
}

class LinkOpenTest : public AppFixture {};

TEST_F(LinkOpenTest, ClosedSerialPortRunsOnTheCountLeftOver)
{
    comtype = 0;
    rs232con = 0;
    // Enough bytes left from before: the wait ends at once on the cleared buffer.
    dataSizeRec = 8;
    EXPECT_EQ(-1, IssueOrder(ORDER_ECHO, 0));
    EXPECT_STREQ(szStatus, kTextHeaderIncorrect);
    // Fewer: it times out.
    dataSizeRec = 0;
    EXPECT_EQ(-1, IssueOrder(ORDER_ECHO, 0));
    EXPECT_STREQ(szStatus, kTextTimeout);
}

} // namespace
