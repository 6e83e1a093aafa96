// SPDX-License-Identifier: GPL-3.0-or-later
// The connection page against the simulated sensor over TCP and over its pty: connect,
// disconnect, reconnect, a lost link, the baud-rate change, start-up from the settings file and
// the hardware information file.

#include "app/shell.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "files/change_log.h"
#include "files/change_watch.h"
#include "files/hwinfofile.h"
#include "link/hwinfo.h"
#include "link/ident.h"
#include "link/orders.h"
#include "link/transport.h"
#include "link_ui/connection.h"
#include "link_ui/ident_page.h"
#include "platform/system.h"
#include "support/integration_helpers.h"
#include "support/scripted_sensor.h"
#include "support/sim_fixture.h"

#include <QProcess>
#include <QTimer>

#include <filesystem>
#include <string>
#include <tuple>

using namespace ui;
using namespace panels;

namespace {

int openDescriptors()
{
    int count = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

class ConnectionTest : public SimFixture {
protected:
    // The page set up as the operator would for the simulator on this link.
    void selectLink(Link link)
    {
        if (link == Link::Tcp) {
            SelectTcpLink(sim.tcpPort());
        } else {
            linkComPort(3, sim.ptyPath());
            commitValue(pConn, CONN_COMTYPE, 0);
            SetCtrlVal(pConn, CONN_COMPORT, 3);
            SetCtrlVal(pConn, CONN_BAUD, 4);
        }
    }
    // The simulator started on the link and CONNECT pressed for it.
    void connectTo(Link link, const std::vector<std::string> &options = {})
    {
        ASSERT_NO_FATAL_FAILURE(startSim(link, options));
        selectLink(link);
        press(pConn, CONN_CONNECT);
    }

    static bool linkOpen() { return rs232con > 0 || tcpcon > 0; }

    static bool exchangeControlsEnabled()
    {
        return NoneDimmed({{pPA, MAIN_VIDEO},
                           {pPA, MAIN_RUN},
                           {pPA, MAIN_STOP},
                           {pPA, MAIN_SEND},
                           {pPA, MAIN_GET},
                           {pRec, REC_START},
                           {pPara1, PARA1_TEACH},
                           {pConn, CONN_ACCEPT}});
    }
};

class ConnectionLinkTest : public ConnectionTest, public ::testing::WithParamInterface<Link> {};

TEST_P(ConnectionLinkTest, ConnectIdentifiesDisconnectAbandonsTheWaitAndReconnectsLeakNothing)
{
    const bool tcp = GetParam() == Link::Tcp;
    DimExchangeControls(1);
    connectTo(GetParam());
    EXPECT_EQ(comtype, tcp ? 1 : 0);
    EXPECT_EQ(tcp ? tcpcon : rs232con, 1) << "the link is open";
    EXPECT_EQ(err_flag, 0);
    EXPECT_TRUE(exchangeControlsEnabled());
    EXPECT_EQ(LogCount(kTextTryToConnect), 1) << "connection attempts logged";
    const std::vector<int> orders = sim.orders();
    ASSERT_GE(orders.size(), 3u);
    EXPECT_EQ(std::vector<int>(orders.begin(), orders.begin() + 3), (std::vector<int>{5, 7, 10}));
    // The layout follows the link: the main panel names the COM port or the host.
    EXPECT_EQ(std::tuple(IsCtrlVisible(pPA, MAIN_IPHOST), IsCtrlVisible(pPA, MAIN_COMPORT),
                         IsCtrlVisible(pConn, CONN_CHANGE_BAUD)),
              std::tuple(tcp, !tcp, !tcp));

    // DISCONNECT pressed and released outside the button: nothing is left to abandon a later wait.
    SimulateEvent(pConn, CONN_DISCONNECT, EVENT_LEFT_CLICK);
    DelayWithEventProcessing(0.05);
    EXPECT_EQ(0, exit_flag);
    EXPECT_EQ(1, IssueOrder(ORDER_ECHO, 0)) << szStatus;

    // Pressed while an exchange waits, it ends the wait at once, without a text.
    ASSERT_EQ(sim.command("fault silent"), "ok");
    QTimer::singleShot(200, [] { SimulateEvent(pConn, CONN_DISCONNECT, EVENT_LEFT_CLICK); });
    CopyText(szStatus, "before");
    const double start = Timer();
    EXPECT_EQ(-1, IssueOrder(ORDER_ECHO, 0));
    EXPECT_LT(Timer() - start, 1.0) << "the wait ran to its time-out";
    EXPECT_EQ(std::tuple(std::string(szStatus), exit_flag), std::tuple("before", 1));
    SimulateEvent(pConn, CONN_DISCONNECT, EVENT_COMMIT);
    EXPECT_FALSE(linkOpen());
    EXPECT_EQ(exit_flag, 0) << "a disconnect must not end the program";
    EXPECT_EQ(LogCount(kTextDisconnected), 1);
    EXPECT_TRUE(AllDimmed({{pPA, MAIN_RUN}, {pConn, CONN_ACCEPT}, {pRec, REC_START}})) << "Run, Accept, Start";

    // Connect brings it all back, as often as it is pressed, and leaks no descriptor.
    ASSERT_EQ(sim.command("fault none"), "ok");
    press(pConn, CONN_CONNECT);
    EXPECT_EQ(std::pair(linkOpen(), exchangeControlsEnabled()), std::pair(true, true));
    DelayWithEventProcessing(0.05);
    const int before = openDescriptors();
    for (int i = 0; i < 50; ++i) {
        SimulateEvent(pConn, CONN_CONNECT, EVENT_COMMIT);
        ASSERT_TRUE(linkOpen()) << "attempt " << i << ": " << szStatus;
        ASSERT_EQ(0, err_flag) << "attempt " << i;
    }
    DelayWithEventProcessing(0.1);
    EXPECT_LE(openDescriptors(), before + 1);
    EXPECT_EQ(1, IssueOrder(ORDER_ECHO, 0));
    EXPECT_EQ(1, GetRAW());
}

TEST_P(ConnectionLinkTest, ConnectDuringARunStopsItFirstAndALostLinkIsDimmedUntilConnect)
{
    connectTo(GetParam());
    ASSERT_TRUE(linkOpen());
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    // The loop as the measurement runs it: frames until stop_flag leaves 0. The operator's
    // click arrives while a frame is awaited.
    stop_flag = 0;
    QTimer::singleShot(150, [] { press(pConn, CONN_CONNECT); });
    int frames = 0;
    bool failed = false;
    const double start = Timer();
    while (stop_flag == 0 && Timer() - start < 10.0) {
        if (GetRAW() != 1) {
            failed = true;
            break;
        }
        ++frames;
    }
    EXPECT_FALSE(failed) << szStatus;
    EXPECT_GT(frames, 0);
    EXPECT_EQ(1, stop_flag);
    WaitWithEvents([] { return LogCount(kTextTryToConnect) >= 2; }, 5);
    WaitWithEvents([&] { return sim.orders().size() >= static_cast<size_t>(frames) + 3; }, 5);
    EXPECT_EQ(std::tuple(LogCount(kTextTryToConnect), linkOpen(), err_flag), std::tuple(2, true, 0));
    const std::vector<int> orders = sim.orders();
    ASSERT_GE(orders.size(), static_cast<size_t>(frames) + 1);
    EXPECT_EQ(std::pair(orders.front(), orders[frames]), std::pair(8, 5))
        << "the new identification starts after the last frame";
    EXPECT_EQ(LogCount(kTextExchangeBusy), 0);

    // The sensor goes away: the program notices, says so and dims what needs it.
    sim.stop();
    WaitWithEvents([] { return !linkOpen(); }, 2);
    const std::string lost = GetParam() == Link::Tcp ? kTextServerClosed : kTextPortLost;
    EXPECT_FALSE(linkOpen());
    EXPECT_EQ(MainStatus(), lost);
    EXPECT_EQ(LogCount(lost), 1) << "the loss logged once";
    EXPECT_TRUE(AllDimmed({{pPA, MAIN_RUN}, {pPA, MAIN_GET}, {pPA, MAIN_SEND}, {pPA, MAIN_VIDEO}}))
        << "Run, GET, SEND, Video";
    connectTo(GetParam());
    EXPECT_EQ(std::pair(linkOpen(), exchangeControlsEnabled()), std::pair(true, true));
}

INSTANTIATE_TEST_SUITE_P(Links, ConnectionLinkTest, ::testing::Values(Link::Tcp, Link::Pty), LinkName);

TEST_F(ConnectionTest, RefusedFamilyLeavesStopRecorderAndAcceptEnabled)
{
    connectTo(Link::Tcp, {"--firmware", "K-VOR-NX.V2.01 10 2015"});
    EXPECT_TRUE(AllDimmed({{pPA, MAIN_SEND},
                           {pPA, MAIN_GET},
                           {pPA, MAIN_VIDEO},
                           {pPA, MAIN_RUN},
                           {pPA, MAIN_RESET},
                           {pPara1, PARA1_TEACH}}));
    EXPECT_EQ(tcpcon, 1);
    EXPECT_EQ(err_flag, 0) << "an unknown sensor is no link error";
    EXPECT_EQ(activeTab(), 5) << "the connection page comes to the front";
    EXPECT_TRUE(NoneDimmed({{pPA, MAIN_STOP}, {pRec, REC_START}, {pConn, CONN_ACCEPT}})) << "Stop, Start, Accept";
    ASSERT_FALSE(popups->shown.empty());
    EXPECT_EQ(popups->shown.back().title, "Attention !!!");
}

TEST_F(ConnectionTest, ConnectToNothingDimsAcceptMarksTheSensorUnusableAndSaysWhy)
{
    SelectTcpLink(FreeLocalPort());
    press(pConn, CONN_CONNECT);
    EXPECT_EQ(std::tuple(tcpcon, err_flag, IsCtrlDimmed(pConn, CONN_ACCEPT)), std::tuple(0, 1, true));
    EXPECT_EQ(std::pair(MainStatus(), LogCount("FailedToConnect")), std::pair(std::string("FailedToConnect"), 1));

    // A port text that is no number is refused as well, without a connection attempt elsewhere.
    SetCtrlVal(pConn, CONN_PORTNUM, "ten");
    press(pConn, CONN_CONNECT);
    EXPECT_EQ(std::pair(tcpcon, err_flag), std::pair(0, 1));

    // A COM port without a device gives its code and the code's text.
    linkComPort(3, programDir + "/no-such-device");
    EXPECT_LT(InitRS232(3, 4), 0);
    EXPECT_LE(rs232con, 0);
    EXPECT_EQ(std::tuple(std::string(szStatus), MainStatus(), LogLines().back()),
              std::tuple("Invalid port number\n", "Invalid port number", "Invalid port number"));
}

TEST_F(ConnectionTest, ChangeBaudRateGoesOverTheOpenPortAndReopensItAtTheNewRate)
{
    connectTo(Link::Pty);
    ASSERT_EQ(1, rs232con);
    // COM 4: a second pseudo-terminal pair, with nobody answering on its far end.
    QProcess socat;
    const std::string four = programDir + "/pty4";
    socat.start("socat", {QString::fromStdString("pty,raw,echo=0,link=" + four),
                          QString::fromStdString("pty,raw,echo=0,link=" + four + "-far")});
    ASSERT_TRUE(WaitWithEvents([&] { return std::filesystem::exists(four); }, 2));
    linkComPort(4, four);
    const auto held = [](const std::string &device) {
        const std::string wanted = std::filesystem::canonical(device).string();
        for (const auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code ignored;
            if (std::filesystem::read_symlink(entry.path(), ignored).string() == wanted)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(held(sim.ptyPath()));

    // The field shows COM 4; the change goes over the open COM 3: order 0xBE, address 2, no data.
    SetCtrlVal(pConn, CONN_COMPORT, 4);
    SetCtrlVal(pConn, CONN_BAUD, 2);
    const int opened = LogCount("RS232 open-com-port: successful!");
    press(pConn, CONN_CHANGE_BAUD);
    EXPECT_EQ(sim.lastRequestHex().substr(0, 12), "55be02000000");
    EXPECT_EQ(std::tuple(LogCount(kTextTryBaudChange), LogCount(kTextBaudChangeOk),
                         LogCount("RS232 open-com-port: successful!")),
              std::tuple(1, 1, opened + 1))
        << "the reopen is logged once";
    std::vector<ChangeRow> changes;
    std::string error;
    ASSERT_TRUE(ReadChangeRows(ChangeLogFile(), {}, &changes, &error)) << error;
    ASSERT_EQ(changes.size(), 1u) << "the change log's row of SET BAUD";
    EXPECT_EQ(changes[0].action + " " + changes[0].target + " " + changes[0].key + " " +
                  std::to_string(changes[0].newValue) + " " + ChangeResultText(changes[0]),
              "SET BAUD RAM RS-232-Baudrate 2 written");
    EXPECT_EQ(std::tuple(rs232con, rs232baudrate, held(sim.ptyPath())), std::tuple(1, 2, true));
    EXPECT_EQ(1, IssueOrder(ORDER_ECHO, 0)) << szStatus;

    // The sensor listens at 38400 only now: the old rate gets no answer.
    ASSERT_EQ(1, InitRS232(3, 4));
    EXPECT_EQ(-1, IssueOrder(ORDER_ECHO, 0));
    ASSERT_EQ(1, InitRS232(3, 2));
    EXPECT_EQ(1, IssueOrder(ORDER_ECHO, 0));

    // DISCONNECT closes the port that is open, whatever the field shows; CONNECT opens the field's.
    press(pConn, CONN_DISCONNECT);
    EXPECT_FALSE(held(sim.ptyPath())) << "COM 3 closed although the field shows 4";
    SetCtrlVal(pConn, CONN_COMPORT, 3);
    press(pConn, CONN_CONNECT);
    ASSERT_TRUE(held(sim.ptyPath()));
    SetCtrlVal(pConn, CONN_COMPORT, 4);
    press(pConn, CONN_CONNECT);
    EXPECT_FALSE(held(sim.ptyPath()));
    EXPECT_TRUE(held(four));
    CloseOpenLinks();
    socat.terminate();
    socat.waitForFinished(3000);
}

TEST_F(ConnectionTest, StartUpFromASettingsFileThatSelectsTcpReachesTheSimulator)
{
    startSim(Link::Tcp);
    WriteBytes(JoinPath(programDir, "MQ-Vista.ini"),
               "[CONNECTION]\nCOMM TYPE = 1\nRS232 PORT = 1\nRS232 BAUDRATE = 4\nIP ADDRESS = 127.0.0.1\n"
               "PORT NUMBER = " +
                   std::to_string(sim.tcpPort()) + "\n");
    InitVars();
    OpenLinkAtStartup();
    InitGUI();
    EXPECT_EQ(comtype, 1);
    EXPECT_EQ(tcpcon, 1);
    EXPECT_EQ(rs232con, 0);
    EXPECT_EQ(err_flag, 0);
    EXPECT_EQ(tcpport, sim.tcpPort());
    EXPECT_EQ(activeTab(), 0) << "the first page, not the connection page (5)";
    EXPECT_EQ(std::tuple(IsCtrlVisible(pPA, MAIN_IPHOST), GetCtrlString(pPA, MAIN_IPHOST),
                         IsCtrlVisible(pPA, MAIN_COMPORT)),
              std::tuple(true, "127.0.0.1", false))
        << "host field {visible, text}, COM port visible";

    const std::vector<int> orders = sim.orders();
    ASSERT_FALSE(orders.empty());
    EXPECT_EQ(5, orders.front());
}

TEST_F(ConnectionTest, HardwareInfoFileIsWrittenWhereTheOperatorChooses)
{
    connectTo(Link::Tcp);
    ASSERT_EQ(1, tcpcon);
    const std::string path = JoinPath(programDir, "hw.ini");
    popups->filePaths.push_back(path);
    press(pConn, CONN_HWINFO);
    EXPECT_EQ(sim.lastRequestHex().substr(0, 12), "55c2ad2b0000");
    EXPECT_EQ(MainStatus(), kTextHwInfoTransmissionOk);
    const std::string text = ReadBytes(path);
    EXPECT_NE(text.find("VISTA VERSION: = \"K-VOR-MQ-Vista Build: V4.0.6  02/Feb/2016\""), std::string::npos) << text;
    EXPECT_NE(text.find("FIRMWARE VERSION: = \"K-VOR-MQ.V4.06 20-CL 2016\""), std::string::npos) << text;
    EXPECT_EQ(popups->saidLast(),
              std::pair(std::string("Generate Hardware Info File"), std::string("HardwareInfoFile.ini")));

    // Cancelled: no file, the transfer still reported.
    std::filesystem::remove(path);
    press(pConn, CONN_HWINFO);
    EXPECT_EQ(std::pair(FileExists(path), MainStatus()), std::pair(false, std::string(kTextHwInfoTransmissionOk)));

    // No answer: no pop-up, no file.
    ASSERT_EQ(sim.command("fault silent"), "ok");
    const size_t asked = popups->shown.size();
    popups->filePaths.push_back(path);
    press(pConn, CONN_HWINFO);
    EXPECT_EQ(std::tuple(MainStatus(), popups->shown.size(), FileExists(path)),
              std::tuple(std::string(kTextHwInfoTransmissionError), asked, false));
}

TEST_F(ConnectionTest, HardwareInfoNeverOverwritesUnaskedAndNeverTheSettingsFile)
{
    connectTo(Link::Tcp);
    ASSERT_EQ(1, tcpcon);
    // The settings file, also named through another spelling of its directory: refused, kept.
    CopyText(appini_pathname, JoinPath(programDir, "MQ-Vista.ini").c_str());
    WriteBytes(appini_pathname, "[TCP/IP]\nPort = 10001\n");
    for (const std::string &name : {std::string(appini_pathname), programDir + "/./MQ-Vista.ini"}) {
        SCOPED_TRACE(name);
        popups->filePaths.push_back(name);
        press(pConn, CONN_HWINFO);
        ASSERT_EQ(popups->shown.back().kind, "message");
        EXPECT_NE(popups->shown.back().text.find("Settings-File"), std::string::npos) << popups->shown.back().text;
        EXPECT_EQ(std::pair(ReadBytes(appini_pathname), MainStatus()),
                  std::pair(std::string("[TCP/IP]\nPort = 10001\n"), std::string(kTextHwInfoNotSaved)));
    }

    // Any other existing file is asked for: declined it stays, accepted it is written.
    const std::string other = JoinPath(programDir, "other.ini");
    WriteBytes(other, "mine");
    for (int yes : {0, 1}) {
        SCOPED_TRACE(yes);
        popups->filePaths.push_back(other);
        popups->confirmAnswers.push_back(yes);
        press(pConn, CONN_HWINFO);
        EXPECT_EQ(popups->shown.back().text, "Hardware-Info-File already exists - overwrite ?");
        EXPECT_EQ(ReadBytes(other) == "mine", yes == 0);
        EXPECT_EQ(MainStatus(), yes ? kTextHwInfoTransmissionOk : kTextHwInfoNotSaved);
    }
}

using ScriptedSensorTest = ScriptedSensorFixture;

TEST_F(ScriptedSensorTest, HardwareInfoAnsweredUnderAnotherCodeIdentifiesWithoutDerivingConstants)
{
    QByteArray firmware(72, 0);
    firmware.replace(0, 25, "K-VOR-MQ.V4.06 20-CL 2016");
    HardwareInfo info{};
    info.receiverType = kReceiverServedFamily;
    info.hardwareType = 517318;
    info.firmwareNo = 406;
    info.pixelCount = 2048;
    info.adcCode = 1024;
    answers[ORDER_ECHO] = SensorFrame(ORDER_ECHO, 4711, {});
    answers[ORDER_FIRMWARE] = SensorFrame(ORDER_FIRMWARE, 4711, firmware);
    // Order 10 answered under the reset order's code.
    answers[ORDER_HARDWARE_INFO] =
        SensorFrame(ORDER_RESET_OUTPUT, 0, QByteArray(reinterpret_cast<const char *>(&info), sizeof info));
    answers[ORDER_READ_CAL_HEADER] = SensorFrame(ORDER_READ_CAL_HEADER, 0, QByteArray(24, 0));
    answers[ORDER_READ_PARA_RAM] = SensorFrame(ORDER_READ_PARA_RAM, 0, QByteArray(60, 0));

    const double pixelStep = xArray_pi[1];
    const int adcBefore = ADCMAX;
    EXPECT_EQ(1, InitDataExchange()) << szStatus;
    EXPECT_EQ(std::tuple(err_flag, hwinfo.firmwareNo), std::tuple(0, 406));
    // Nothing was derived from the record: the support points and full scale stand.
    EXPECT_EQ(std::tuple(xArray_pi[1], ADCMAX, HWTYPE), std::tuple(pixelStep, adcBefore, 0));
}

TEST_F(ScriptedSensorTest, UnansweredBaudRateChangeKeepsThePortAtTheOldRate)
{
    answers[ORDER_ECHO] = SensorFrame(ORDER_ECHO, 4711, {});
    SetCtrlVal(pConn, CONN_COMPORT, 1);
    SetCtrlVal(pConn, CONN_BAUD, 0);
    press(pConn, CONN_CHANGE_BAUD);
    EXPECT_EQ(MainStatus(), kTextBaudChangeTimeout);
    const auto lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(std::vector(lines.end() - 2, lines.end()),
              (std::vector<std::string>{kTextTryBaudChange, kTextBaudChangeTimeout}));
    EXPECT_EQ(1, rs232con);
    EXPECT_EQ(1, IssueOrder(ORDER_ECHO, 0)) << "the port is still open";
}

} // namespace
