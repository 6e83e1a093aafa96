// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the benchmarks share: the program set up offscreen in a temporary directory, the
// simulator started and linked over TCP or a pty, and the process's own figures.

#include "harness/sim_process.h"

#include <string>
#include <vector>

class BenchProgram {
public:
    // Loads the panels offscreen with `dir` as the program directory; pop-ups are declined
    // at once, as nobody answers them in a benchmark. ok() says whether it worked.
    BenchProgram(int argc, char **argv);
    ~BenchProgram();
    BenchProgram(const BenchProgram &) = delete;
    BenchProgram &operator=(const BenchProgram &) = delete;
    bool ok() const { return ok_; }
    const std::string &dir() const { return dir_; }

    // Starts the simulator with `options`, its EEPROM file here and a TCP port or a pty, and
    // opens the link to it (the pty through the COM-port link com1). False with the reason
    // on stderr.
    bool startAndLink(SimProcess &sim, bool pty, std::vector<std::string> options = {});
    // startAndLink, then the sensor's identification.
    bool startLinkAndIdentify(SimProcess &sim, bool pty, std::vector<std::string> options = {});

private:
    std::string dir_;
    bool ok_ = false;
};

// Frames per second and processor time per frame of a loop; -1 when it ended early.
struct LoopFigures {
    double perSecond = -1;
    double cpuMsPerFrame = -1;
};
// Presses RUN (or VIDEO) and stops the loop once `frames` more frames were shown.
LoopFigures PressLoop(int button, unsigned long long frames);

void CloseBenchLink();
double ProcessSeconds();
long ResidentKb();
