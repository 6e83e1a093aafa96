// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A test with the real panels and the simulator behind them: the simulator keeps its EEPROM
// file in the program directory, listens on a TCP port or a pty, and is stopped after the
// program's link is closed.

#include "harness/sim_process.h"
#include "support/app_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// How the program reaches the simulator: TCP, its pty through COM port 1, or ser2net
// bridging a TCP port to its pty.
enum class Link { Tcp, Pty, Ser2net };
std::string LinkName(const ::testing::TestParamInfo<Link> &info);

class QProcess;

class SimFixture : public AppFixture {
protected:
    void TearDown() override;

    // Starts the simulator on a TCP port (Tcp) or a pty (the serial links) with the extra
    // options; for Ser2net also ser2net, listening on a free port in front of the pty.
    void startSim(Link link, const std::vector<std::string> &extra = {});
    // Opens the program's link to the simulator (or to its ser2net bridge).
    int openSimLink(Link link);
    // The usual start: the simulator on TCP, the program connected to it.
    void startSimOverTcp(const std::vector<std::string> &extra = {});
    // The far end goes away: the simulator stops (its connection or its pty closes), or, on
    // the ser2net link, ser2net does (its connection closes).
    void takeLinkAway(Link link);

    SimProcess sim;

private:
    void startSer2net();

    QProcess *ser2net_ = nullptr;
    int ser2netPort_ = 0;
};
