// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Starts mq-sensor-sim through its command line, finds its ports, talks to its control
// channel and stops it. Everything on 127.0.0.1 with bounded waits.

#include <functional>
#include <string>
#include <vector>

class QProcess;

// Terminates a child (killed after 5 s), waits for it and deletes it; null afterwards.
void StopChildProcess(QProcess *&process);

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Starts the simulator with the given options (a control channel is always added).
    // False with the reason in error() when it did not report ready within 10 s.
    bool start(const std::vector<std::string> &options);
    void stop();

    int tcpPort() const { return tcpPort_; }
    const std::string &ptyPath() const { return ptyPath_; }
    const std::string &error() const { return error_; }

    // One control command; returns the reply line ("ok ..." or "error ...").
    std::string command(const std::string &line);
    // The hex text of the last complete request the simulator received.
    std::string lastRequestHex();
    // The order codes of all requests received since the last reset-stats.
    std::vector<int> orders();

    static std::string executable();

private:
    QProcess *process_ = nullptr;
    int tcpPort_ = 0;
    int controlPort_ = 0;
    std::string ptyPath_;
    std::string error_;
};

// A free TCP port on 127.0.0.1 (for ser2net's listening side); whether one takes a connection.
int FreeLocalPort();
bool PortAnswers(int port);

// Processes the program's events until pred holds or the seconds are up.
bool WaitWithEvents(const std::function<bool()> &pred, double seconds);
