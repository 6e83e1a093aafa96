// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the integration tests read from the running program and the simulator behind it,
// and the operator's steps several of them take, written once.

#include "base/control_ids.h"
#include "base/state.h"
#include "harness/sim_process.h"
#include "recorder/recorder.h"
#include "support/record_lines.h"
#include "ui/runtime.h"

#include <QTimer>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The main panel's status line.
inline std::string MainStatus() { return ui::GetCtrlString(pPA, panels::MAIN_STATUS); }

// The connection page's history, and how often a line stands in it.
inline std::vector<std::string> LogLines() { return ui::GetTextBoxLines(pConn, panels::CONN_STATUS); }
inline int LogCount(const std::string &line)
{
    const std::vector<std::string> lines = LogLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// Whether every one of the controls ({panel, control}) is dimmed, or none is.
inline bool AllDimmed(std::initializer_list<std::pair<int, int>> controls, bool dimmed = true)
{
    return std::all_of(controls.begin(), controls.end(),
                       [dimmed](const auto &c) { return ui::IsCtrlDimmed(c.first, c.second) == dimmed; });
}
inline bool NoneDimmed(std::initializer_list<std::pair<int, int>> controls) { return AllDimmed(controls, false); }

// The measurement records the simulator sent since its last reset-stats, as hex texts.
inline std::vector<std::string> MeasurementsSent(SimProcess &sim)
{
    const std::string reply = sim.command("measurements");
    return reply.rfind("ok ", 0) == 0 ? SplitText(reply.substr(3), ',') : std::vector<std::string>{};
}

// The connection page set to TCP on the simulator's port (CONNECT is the caller's).
inline void SelectTcpLink(int port)
{
    ui::SetCtrlVal(pConn, panels::CONN_COMTYPE, 1);
    ui::SimulateEvent(pConn, panels::CONN_COMTYPE, ui::EVENT_COMMIT);
    ui::SetCtrlVal(pConn, panels::CONN_IPADDR, "127.0.0.1");
    ui::SetCtrlVal(pConn, panels::CONN_PORTNUM, std::to_string(port).c_str());
}

// The recorder page filled in and START pressed; returns when the recording ends.
inline void Record(int mode, int samples, double interval)
{
    ui::SetCtrlVal(pRec, panels::REC_MODE, mode);
    ui::SetCtrlVal(pRec, panels::REC_SAMPLES, samples);
    ui::SetCtrlVal(pRec, panels::REC_INTERVAL, interval);
    ui::SimulateEvent(pRec, panels::REC_START, ui::EVENT_COMMIT);
}

// Presses RUN or VIDEO and STOP after the seconds; returns when the loop ends.
inline void RunLoopFor(int button, double seconds)
{
    QTimer::singleShot(static_cast<int>(seconds * 1000),
                       [] { ui::SimulateEvent(pPA, panels::MAIN_STOP, ui::EVENT_COMMIT); });
    ui::SimulateEvent(pPA, button, ui::EVENT_LEFT_CLICK);
    ui::SimulateEvent(pPA, button, ui::EVENT_COMMIT);
}

// Calls the step every `ms` of the event loop until it returns true or the poll goes out of scope.
struct Poll {
    Poll(int ms, std::function<bool()> step)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, step] {
            if (step())
                timer.stop();
        });
        timer.start(ms);
    }
    QTimer timer;
};

// The recorder's sample hook (a plain function) handed to the test: its reaction to each
// sample's count, and the samples' times.
struct SampleWatch {
    SampleWatch() { SetRecordSampleHook(hook); }
    ~SampleWatch()
    {
        SetRecordSampleHook(nullptr);
        onSample = nullptr;
        times.clear();
    }
    static void hook(int count, double time)
    {
        times.push_back(time);
        if (onSample)
            onSample(count);
    }
    static inline std::function<void(int)> onSample;
    static inline std::vector<double> times;
};
