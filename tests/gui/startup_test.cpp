// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program from start-up to shutdown, offscreen: with no sensor, with a port
// that cannot be opened, with the simulated sensor; the close sequence; panel events.

#include "app/shell.h"
#include "base/control_ids.h"
#include "calib/calrec.h"
#include "harness/sim_process.h"
#include "link/hwinfo.h"
#include "link/transport.h"
#include "params/pset.h"
#include "params_ui/help.h"
#include "support/app_fixture.h"
#include "ui/resource.h"

#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/wait.h>

using namespace ui;
using namespace panels;
using namespace std::string_literals;

namespace {

// Runs the real entry point in a program directory of its own; it loads its own panels.
// `whileRunning`, if given, is called once the event loop runs; then the main panel is closed.
class StartupTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        CloseLinkAndPanels();
    }

    // Start-up processes events while it identifies the sensor; the checks wait for
    // the event loop proper.
    void whenLoopRuns(const std::function<void()> &whileRunning)
    {
        QTimer::singleShot(10, [this, whileRunning] {
            if (QThread::currentThread()->loopLevel() == 0)
                return whenLoopRuns(whileRunning);
            whileRunning();
            closed = true;
            SimulateEvent(pPA, 0, EVENT_CLOSE);
        });
    }

    int runProgram(const std::function<void()> &whileRunning = nullptr)
    {
        if (whileRunning)
            whenLoopRuns(whileRunning);
        static char arg0[] = "mq-vista";
        static char *argv[] = {arg0, nullptr};
        return WinMain(1, argv);
    }

    bool closed = false;
};

TEST_F(StartupTest, NoSensorAnswersLeavesTheConnectionPageAndTheDefaults)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--pty", programDir + "/sim-pty", "--fault", "silent", "--eeprom", programDir + "/e"}))
        << sim.error();
    linkComPort(1, sim.ptyPath());
    // The status, the tab, the dimmed buttons and the red status of a silent sensor:
    // IdentTest.EachStepAndEachFamilyEndTheIdentificationWithItsText.
    const int result = runProgram([&] {
        EXPECT_EQ(rs232con, 1);
        const auto lines = GetTextBoxLines(pConn, CONN_STATUS);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], "RS232 open-com-port: successful!");
        EXPECT_EQ(lines[1], "read error - not sync byte 0x55!");
        // Defaults of start-up are in place.
        EXPECT_EQ(pset.Power, 500);
        EXPECT_EQ(pset.Eval_End, 1024);
        EXPECT_EQ(pset.um_Slope, 81920u);
        EXPECT_EQ(cal.HW_TYPE, 517318);
        EXPECT_EQ(hwinfo.pixelCount, 4096);
        EXPECT_EQ(ADCMAX, 255);
        EXPECT_EQ(stop_flag, 1) << "no loop runs before the operator starts one";
        EXPECT_EQ(std::pair(std::string(szVersion), GetPanelTitle(pPA)),
                  std::pair("V4.0"s, "K-VOR-MQ-Series CONTROL-PANEL"s));
        // The RS-232 layout: the port shown, the host and the address list not.
        EXPECT_EQ(std::vector({IsCtrlVisible(pPA, MAIN_COMPORT), IsCtrlVisible(pPA, MAIN_IPHOST),
                               IsCtrlVisible(pConn, CONN_IPADDR)}),
                  std::vector({true, false, false}));
    });
    // Closed by the event loop with status 0, and the port closed.
    EXPECT_TRUE(closed) << "the event loop did not end";
    EXPECT_EQ(result, 0) << "the program's exit status";
    EXPECT_EQ(exit_flag, 1);
    EXPECT_EQ(rs232con, 0) << "the port is still open";
}

TEST_F(StartupTest, PortThatCannotBeOpenedReportsTheTransportsText)
{
    linkComPort(1, programDir + "/nothing-here");
    const int result = runProgram([&] {
        EXPECT_LE(rs232con, 0);
        EXPECT_EQ(std::tuple(activeTab(), GetCtrlString(pPA, MAIN_STATUS), pset.Teach_Value),
                  std::tuple(5, "Invalid port number"s, 512))
            << "main tab on show, status line, teach value";
    });
    EXPECT_EQ(result, 0);
}

// What the identification shows and asks for: IdentTest.ServedSensorIsIdentifiedAndItsParametersRead and
// IdentTest.EveryModelOfTheServedFamilySetsItsConstants. Here: start-up logs each step
// and leaves the buttons usable.
TEST_F(StartupTest, SensorFoundAtStartUpIsLoggedStepByStepAndLeavesTheButtonsUsable)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--pty", programDir + "/sim-pty", "--eeprom", programDir + "/e", "--serial", "1234"}))
        << sim.error();
    linkComPort(1, sim.ptyPath());
    const int result = runProgram([&] {
        const std::vector<std::string> expected = {"RS232 open-com-port: successful!",
                                                   "Echo Check - Line Ok!",
                                                   "Waiting for firmware info ...",
                                                   "K-VOR-MQ.V4   20-CL",
                                                   "Serial-No:1234",
                                                   ""};
        EXPECT_EQ(GetTextBoxLines(pConn, CONN_STATUS), expected);
        EXPECT_FALSE(IsCtrlDimmed(pPA, MAIN_RUN)) << "dimmed only when no sensor is found";
        EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_STATUS), VAL_BLACK);
    });
    EXPECT_EQ(result, 0);
}

TEST_F(StartupTest, ClosingWhileStartUpStillWaitsForTheSensorEndsTheRun)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--pty", programDir + "/sim-pty", "--fault", "silent", "--eeprom", programDir + "/e"}))
        << sim.error();
    linkComPort(1, sim.ptyPath());
    // The close arrives during the echo wait, before the event loop runs.
    QTimer::singleShot(200, [] { SimulateEvent(pPA, 0, EVENT_CLOSE); });
    EXPECT_EQ(runProgram(), 0);
    EXPECT_EQ(exit_flag, 1);
}

class PanelEventTest : public AppFixture {};

TEST_F(PanelEventTest, RightDoubleClickRestoresTheSizeAndCentres)
{
    SetPanelSize(pPA, 300, 400);
    SetPanelPos(pPA, 0, 0);
    SimulateEvent(pPA, 0, EVENT_RIGHT_DOUBLE_CLICK);
    int height = 0, width = 0, top = 0, left = 0, screenH = 0, screenW = 0;
    GetPanelSize(pPA, &height, &width);
    EXPECT_EQ(std::pair(height, width), std::pair(548, 780));
    ASSERT_EQ(GetScreenSize(&screenH, &screenW), 0);
    GetPanelPos(pPA, &top, &left);
    EXPECT_NEAR(left, (screenW - 780) / 2, 1);
    EXPECT_NEAR(top, (screenH - 548) / 2, 1);
}

TEST_F(PanelEventTest, ResizeSetsUpTheRollGraphTraces)
{
    SimulateEvent(pPA, 0, EVENT_PANEL_SIZE);
    std::vector<int> colours;
    for (int trace = 1; trace <= 6; ++trace)
        colours.push_back(GetStripChartTraceColor(pPA, MAIN_ROLL_GRAPH, trace));
    EXPECT_EQ(colours, (std::vector{0x008000, 0x008000, 0x000000, 0xFF0000, 0xFF0000, 0xFF0000}));
}

TEST_F(PanelEventTest, HelpPopupHidesOnClickFocusLossAndClose)
{
    for (int event : {EVENT_LEFT_CLICK, EVENT_RIGHT_CLICK, EVENT_LOST_FOCUS, EVENT_CLOSE}) {
        DisplayPanel(pPA);
        ShowHelpPopup(100, 120, "STOP-BUTTON:\ntext");
        EXPECT_EQ(std::pair(IsPanelVisible(pPH), GetTextBoxLines(pPH, HELP_TEXT).front()),
                  std::pair(true, "STOP-BUTTON:"s));
        SimulateEvent(pPH, 0, event);
        EXPECT_FALSE(IsPanelVisible(pPH)) << event;
    }
}

TEST_F(PanelEventTest, HeaderBandAndDefaultsOfStartUp)
{
    // The software name and build: ConnectionTest.HardwareInfoFileIsWrittenWhereTheOperatorChooses.
    EXPECT_EQ(GetCtrlBackColor(pPA, MAIN_HEADER), 0x0080FF);
    EXPECT_EQ((std::vector<std::string>{appini_pathname, rec_fname, GetCtrlString(pRec, REC_FILENAME)}),
              (std::vector{programDir + "/MQ-Vista.ini", programDir + "/RECORD.DAT", programDir + "/RECORD.DAT"}));
    // The x positions of the video points, and the millimetres per pixel.
    EXPECT_EQ(xArray_pi[255], 1020.0);
    EXPECT_EQ(xAxisArray(), "xArray_pi");
    EXPECT_EQ(YSCALE_FAC, 20.0 / 4096);
    // Evaluation-window bar: the teach cursor (x, y), the end cursor and one tolerance band.
    double x = 0, y = 0, end = 0, endY = 0;
    ASSERT_EQ(GetGraphCursor(pPA, MAIN_BAR_GRAPH, 1, &x, &y), 0);
    ASSERT_EQ(GetGraphCursor(pPA, MAIN_BAR_GRAPH, 3, &end, &endY), 0);
    EXPECT_EQ(x, 512.0) << "teach cursor x";
    EXPECT_EQ(y, 1.0) << "teach cursor y";
    EXPECT_EQ(end, 1024.0) << "end cursor x";
    EXPECT_EQ(GetNumGraphRects(pPA, MAIN_BAR_GRAPH), 1) << "tolerance bands";
}

// The header band's texts are controls made while the program runs; a window whose ids
// collide with theirs (or with what a discarded window left behind) does not load.
TEST_F(PanelEventTest, WindowsOfTheirOwnLoadBesideTheHeaderBandAndAgainAfterADiscard)
{
    for (const PanelDef &def : PanelDefs()) {
        if (def.ownerTab != 0 || def.resource == PANEL || def.resource == PANEL_HELP)
            continue;
        for (int load = 0; load < 2; ++load) {
            const int handle = LoadPanel(0, def.resource);
            EXPECT_GT(handle, 0) << def.title << ", load " << load;
            DiscardPanel(handle);
        }
    }
}

// The link itself and the main panel's host field: ConnectionTest.StartUpFromASettingsFileThatSelectsTcp...
TEST_F(PanelEventTest, TcpLinkAtStartUpShowsTheConnectionPagesTcpLayout)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--tcp", "0", "--eeprom", programDir + "/e"})) << sim.error();
    ASSERT_EQ(openTcp(sim.tcpPort()), 1);
    InitGUI();
    EXPECT_EQ(std::tuple(IsCtrlVisible(pConn, CONN_IPADDR), IsCtrlVisible(pConn, CONN_BAUD),
                         GetTextBoxLines(pConn, CONN_STATUS).front()),
              std::tuple(true, false, "TCP-server-connect successful!"s))
        << "address field visible, baud rate visible, first status line";
}

// Without a display, whether none is named or the named one cannot be reached, the
// program says so in one line and fails.
TEST(NoDisplayTest, OneLineNamingTheDisplayAndAFailingStatus)
{
    for (const char *env : {"-u DISPLAY -u WAYLAND_DISPLAY", "-u WAYLAND_DISPLAY DISPLAY=:65000"}) {
        SCOPED_TRACE(env);
        const std::string command = std::string("env ") + env + " QT_QPA_PLATFORM=xcb " + MQ_VISTA_PROGRAM + " 2>&1";
        FILE *pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        const int status = ::pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << status;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
        EXPECT_NE(out.find("DISPLAY"), std::string::npos) << out;
        EXPECT_NE(out.find("QT_QPA_PLATFORM"), std::string::npos) << out;
    }
}

} // namespace
