// SPDX-License-Identifier: GPL-3.0-or-later
// The data recorder against the simulator over TCP: how closely polled samples keep
// their interval, the fastest triggered frame rate recorded without a loss, a whole
// recording of the recorder's 32 000 triggered samples, and the processor time a
// recording costs while it waits for its next sample. Prints key=value figures; never
// fails on its numbers.

#include "base/control_ids.h"
#include "base/state.h"
#include "base/text.h"
#include "bench_support.h"
#include "link/orders.h"
#include "params/pset.h"
#include "recorder/recorder.h"
#include "ui/runtime.h"

#include <QTimer>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

std::vector<double> g_times;
std::vector<double> g_cpu;

void hook(int, double time)
{
    g_times.push_back(time);
    g_cpu.push_back(ProcessSeconds());
}

// Runs one recording; returns the timer value at Start.
double record(int mode, int samples, double interval)
{
    std::filesystem::remove(rec_fname);
    g_times.clear();
    g_cpu.clear();
    SetCtrlVal(pRec, REC_MODE, mode);
    SetCtrlVal(pRec, REC_SAMPLES, samples);
    SetCtrlVal(pRec, REC_INTERVAL, interval);
    const double start = Timer();
    SimulateEvent(pRec, REC_START, EVENT_COMMIT);
    return start;
}

BenchProgram *g_program = nullptr;

bool connect(SimProcess &sim) { return g_program->startAndLink(sim, false); }

// Mean absolute difference between each polled request and its planned time (one
// interval after the previous request, the first one interval after Start), in ms;
// and how far the last sample drifted from a fixed grid.
void polledInterval(double *errorMs, double *driftMs)
{
    *errorMs = *driftMs = -1;
    SimProcess sim;
    if (!connect(sim))
        return;
    pset.RS_232_Mode = 0;
    const int samples = 200;
    const double dt = 0.1;
    const double start = record(0, samples, dt);
    if (static_cast<int>(g_times.size()) == samples) {
        double sum = 0, previous = start;
        for (double t : g_times) {
            sum += std::fabs(t - (previous + dt));
            previous = t;
        }
        *errorMs = 1000.0 * sum / samples;
        *driftMs = 1000.0 * (g_times.back() - start - samples * dt);
    }
    CloseBenchLink();
}

// Frames recorded of `count` sent at one frame every `ms`; the rate they were recorded at.
int triggeredRun(SimProcess &sim, int ms, int count, double *rate)
{
    SimProcess *s = &sim;
    QTimer::singleShot(100, [s, ms, count] {
        s->command("set trigger-count " + std::to_string(count));
        s->command("set trigger-ms " + std::to_string(ms));
    });
    // A lost frame leaves the recording short of its count: stop it once all were sent.
    QTimer stopper;
    stopper.setSingleShot(true);
    QObject::connect(&stopper, &QTimer::timeout, [] { SimulateEvent(pRec, REC_STOP, EVENT_COMMIT); });
    // The simulator may send more slowly than asked on a busy machine: room for twice the time.
    stopper.start(static_cast<int>(100 + 3.0 * count * ms + 2000));
    record(1, count, 1.0);
    stopper.stop();
    sim.command("set trigger-ms 0");
    const int recorded = static_cast<int>(g_times.size());
    *rate = recorded > 1 ? (recorded - 1) / (g_times.back() - g_times.front()) : 0;
    return recorded;
}

double triggeredMax()
{
    SimProcess sim;
    if (!connect(sim))
        return -1;
    pset.RS_232_Mode = 1;
    if (IssueOrder(ORDER_WRITE_PARA_RAM, 0, &pset, sizeof pset) != 1)
        return -1;
    double best = 0;
    for (int ms : {10, 5, 4, 3, 2, 1}) {
        const int count = 2000 / ms; // about two seconds of frames
        double rate = 0;
        const int recorded = triggeredRun(sim, ms, count, &rate);
        std::printf("triggered_every_%dms: sent=%d recorded=%d rate_per_s=%.0f\n", ms, count, recorded, rate);
        std::fflush(stdout);
        if (recorded != count)
            break;
        best = rate;
    }
    pset.RS_232_Mode = 0;
    IssueOrder(ORDER_WRITE_PARA_RAM, 0, &pset, sizeof pset);
    CloseBenchLink();
    return best;
}

// The recorder's largest recording, triggered at one frame a millisecond: samples lost
// and the record file's size against its 32 000 lines.
void triggeredFull(int *lost, long long *fileBytes, long long *lines)
{
    *lost = -1;
    *fileBytes = *lines = -1;
    SimProcess sim;
    if (!connect(sim))
        return;
    pset.RS_232_Mode = 1;
    if (IssueOrder(ORDER_WRITE_PARA_RAM, 0, &pset, sizeof pset) != 1)
        return;
    constexpr int kSamples = 32000;
    double rate = 0;
    const int recorded = triggeredRun(sim, 1, kSamples, &rate);
    // Lost: sent by the sensor but not in the file.
    const std::string sent = sim.command("triggered");
    *lost = (sent.rfind("ok ", 0) == 0 ? std::stoi(sent.substr(3)) : kSamples) - recorded;
    std::error_code error;
    *fileBytes = static_cast<long long>(std::filesystem::file_size(rec_fname, error));
    long long count = 0;
    if (std::FILE *file = std::fopen(rec_fname, "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;)
            count += c == '\n';
        std::fclose(file);
    }
    *lines = count - 6; // the header's six lines
    pset.RS_232_Mode = 0;
    IssueOrder(ORDER_WRITE_PARA_RAM, 0, &pset, sizeof pset);
    CloseBenchLink();
}

// Processor seconds per wall second between two polled samples 5 s apart.
double waitingCpu()
{
    SimProcess sim;
    if (!connect(sim))
        return -1;
    pset.RS_232_Mode = 0;
    record(0, 2, 5.0);
    CloseBenchLink();
    if (g_times.size() != 2)
        return -1;
    return (g_cpu[1] - g_cpu[0]) / (g_times[1] - g_times[0]);
}

} // namespace

int main(int argc, char **argv)
{
    BenchProgram program(argc, argv);
    if (!program.ok())
        return 1;
    g_program = &program;
    CopyText(rec_fname, (program.dir() + "/RECORD.DAT").c_str());
    SetRecordSampleHook(hook);

    double errorMs = 0, driftMs = 0;
    polledInterval(&errorMs, &driftMs);
    std::printf("polled_interval_error_ms=%.3f polled_drift_ms=%.1f\n", errorMs, driftMs);
    std::fflush(stdout);
    const double triggered = triggeredMax();
    int lost = 0;
    long long fileBytes = 0, lines = 0;
    triggeredFull(&lost, &fileBytes, &lines);
    std::printf("triggered_32000_lost=%d triggered_32000_file_bytes=%lld triggered_32000_sample_lines=%lld\n", lost,
                fileBytes, lines);
    std::fflush(stdout);
    const double waiting = waitingCpu();
    std::printf("polled_interval_error_ms=%.3f triggered_max_per_s=%.0f triggered_32000_lost=%d waiting_cpu=%.4f\n",
                errorMs, triggered, lost, waiting);
    std::fflush(stdout);

    SetRecordSampleHook(nullptr);
    return 0;
}
