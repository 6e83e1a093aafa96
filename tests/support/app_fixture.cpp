// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/app_fixture.h"

#include "app/shell.h"
#include "base/control_ids.h"
#include "base/state.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "link/transport.h"
#include "platform/system.h"
#include "ui/runtime.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unistd.h>

void AppFixture::SetUp()
{
    static char arg0[] = "mq-tests";
    static char *argv[] = {arg0, nullptr};
    ui::InitRuntime(1, argv);
    ui::SetProgramDirectory(programDir);
    auto scripted = std::make_unique<ScriptedPopups>();
    popups = scripted.get();
    ui::SetPopups(std::move(scripted));
    ASSERT_EQ(LoadAllPanels(), 0);
    InitVars();
}

void AppFixture::TearDown()
{
    CloseLinkAndPanels();
    ui::SetPopups(nullptr);
    popups = nullptr;
    ui::SetProgramDirectory("");
}

void AppFixture::linkComPort(int port, const std::string &device)
{
    const std::string link = ui::JoinPath(programDir, "com" + std::to_string(port));
    ::unlink(link.c_str());
    ASSERT_EQ(::symlink(device.c_str(), link.c_str()), 0);
}

int AppFixture::openSerial(const std::string &device)
{
    linkComPort(1, device);
    comtype = 0;
    rs232port = 1;
    rs232con = InitRS232(1, 4);
    return rs232con;
}

int AppFixture::openTcp(int port)
{
    comtype = 1;
    CopyText(szIPhostName, "127.0.0.1");
    tcpport = port;
    tcpcon = InitTCP_IP();
    return tcpcon;
}

int AppFixture::intOf(int panel, int control)
{
    int v = -1;
    ui::GetCtrlVal(panel, control, &v);
    return v;
}

double AppFixture::doubleOf(int panel, int control)
{
    double v = -1;
    ui::GetCtrlVal(panel, control, &v);
    return v;
}

void AppFixture::press(int panel, int control)
{
    ui::SimulateEvent(panel, control, ui::EVENT_LEFT_CLICK);
    ui::SimulateEvent(panel, control, ui::EVENT_COMMIT);
}

int AppFixture::activeTab()
{
    int index = -1;
    ui::GetActiveTabPage(pPA, panels::MAIN_TAB, &index);
    return index;
}

std::string AppFixture::xAxisArray()
{
    return xARRAY == xArray_pi ? "xArray_pi" : xARRAY == xArray_mm ? "xArray_mm" : "neither x array";
}

std::string AppFixture::helpText()
{
    std::string all;
    for (const std::string &line : ui::GetTextBoxLines(pPH, panels::HELP_TEXT))
        all += line + "\n";
    return all;
}

std::pair<int, int> AppFixture::helpPosition()
{
    int top = 0, left = 0;
    ui::GetPanelPos(pPH, &top, &left);
    return {top, left};
}

std::pair<int, int> AppFixture::helpPositionFor(int top, int left)
{
    int height = 0, width = 0, windowHeight = 0, windowWidth = 0;
    ui::GetPanelSize(pPH, &height, &width);
    ui::GetPanelSize(pPA, &windowHeight, &windowWidth);
    return {std::clamp(top, 0, windowHeight - height), std::clamp(left, 0, windowWidth - width)};
}

std::pair<double, double> AppFixture::axisRange(int panel, int graph, ui::Axis axis)
{
    double lo = -1, hi = -1;
    ui::GetAxisRange(panel, graph, axis, &lo, &hi);
    return {lo, hi};
}
