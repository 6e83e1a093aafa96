// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A test with the real panels loaded offscreen, the defaults of start-up in place and a
// program directory of its own (where com<n> links point COM ports at ptys).

#include "harness/scripted_popups.h"
#include "support/files.h"
#include "ui/runtime.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes COM port n open the given device.
    void linkComPort(int port, const std::string &device);
    // Opens the RS-232 link to a device through COM port 1 / the TCP link to a port.
    int openSerial(const std::string &device);
    int openTcp(int port);

    // A control's value as the program reads it (-1 when the control cannot be read).
    static int intOf(int panel, int control);
    static double doubleOf(int panel, int control);
    // A button pressed as the operator presses it: a click, then the commit.
    static void press(int panel, int control);
    // A value put into a control as its widget does, then the event the widget sends with it.
    template <typename T> static void commitValue(int panel, int control, T value)
    {
        ui::SetCtrlVal(panel, control, value);
        ui::SimulateEvent(panel, control, ui::EVENT_COMMIT);
    }
    template <typename T> static void changeValue(int panel, int control, T value)
    {
        ui::SetCtrlVal(panel, control, value);
        ui::SimulateEvent(panel, control, ui::EVENT_VAL_CHANGED);
    }
    // The help pop-up's text, a line break after each line, and where it stands: {top, left}.
    static std::string helpText();
    static std::pair<int, int> helpPosition();
    // Where the pop-up stands when asked for (top, left): moved the least into the main window.
    static std::pair<int, int> helpPositionFor(int top, int left);
    // A graph axis's range: {minimum, maximum}.
    static std::pair<double, double> axisRange(int panel, int graph, ui::Axis axis);
    // The main panel's tab page on show.
    static int activeTab();
    // Which array the video's x axis plots against, by name ("xArray_pi", "xArray_mm"), so that
    // a wrong choice prints a name instead of two addresses.
    static std::string xAxisArray();

    TempDir programTmp; // removed with everything in it after TearDown
    const std::string programDir = programTmp.path;
    ScriptedPopups *popups = nullptr;
};
