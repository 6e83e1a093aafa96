// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Command line of mq-sensor-sim. Integration tests, benchmarks and the demo start the simulator
// through it, so options and their meaning are a fixed interface.

#include "protocol.h"
#include "state.h"

#include <string>

namespace mqsim {

struct Options {
    int tcpPort = -1;     // -1: no TCP transport; 0: pick a free port
    int sensors = 1;      // sensors served, each on its own TCP (and control) port from tcpPort on
    std::string ptyPath;  // empty: no pty
    int controlPort = -1; // -1: no control channel
    int baud = 0;         // 0: answers go out at once
    Fault fault = Fault::None;
    int lateMs = 2500;
    int triggerMs = 0;
    std::string eepromPath = "mq-sensor-sim.eeprom";
    Identity identity;
};

enum class ParseOutcome { Run, Help, Error };

// On Error, `message` says what was wrong (the caller exits with 2).
ParseOutcome parseCommandLine(int argc, const char *const *argv, Options &options, std::string &message);
std::string usageText();

} // namespace mqsim
