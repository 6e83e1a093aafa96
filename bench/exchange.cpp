// Exchanges per second of order 8 (8 + 48 bytes on the line) against the simulator,
// over TCP and a pty unpaced, over a pty paced at 115200 baud, and the processor time
// spent while waiting for a silent sensor. Prints key=value figures; never fails on
// its numbers.

#include "app/state.h"
#include "bench_support.h"
#include "link/orders.h"
#include "ui/runtime.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

BenchProgram *g_program = nullptr;

// Exchanges per second over `count` exchanges; -1 if one failed.
double rate(int count)
{
    IssueOrder(ORDER_MEASUREMENT, 0);  // warm up
    const double start = ui::Timer();
    for (int i = 0; i < count; ++i)
        if (IssueOrder(ORDER_MEASUREMENT, 0) != 1) {
            std::fprintf(stderr, "exchange %d failed: %s\n", i, szStatus);
            return -1;
        }
    return count / (ui::Timer() - start);
}

double measure(const std::vector<std::string> &options, bool pty, int count)
{
    SimProcess sim;
    if (!g_program->startAndLink(sim, pty, options))
        return -1;
    const double r = rate(count);
    CloseBenchLink();
    return r;
}

double idleWaitCpu()
{
    SimProcess sim;
    if (!g_program->startAndLink(sim, true, {"--fault", "silent"}))
        return -1;
    const double wall0 = ui::Timer(), cpu0 = ProcessSeconds();
    IssueOrder(ORDER_MEASUREMENT, 0);  // times out after 1.5 s
    const double cpu = ProcessSeconds() - cpu0, wall = ui::Timer() - wall0;
    CloseBenchLink();
    return cpu / wall;
}

} // namespace

int main(int argc, char **argv)
{
    BenchProgram program(argc, argv);
    if (!program.ok())
        return 1;
    g_program = &program;

    const double tcp = measure({}, false, 5000);
    std::printf("unpaced_tcp_per_s=%.0f\n", tcp);
    const double pty = measure({}, true, 3000);
    std::printf("unpaced_pty_per_s=%.0f\n", pty);
    const double paced = measure({"--baud", "115200"}, true, 800);
    const double limit = 11520.0 / 56.0;
    std::printf("paced_115200_per_s=%.1f (line limit %.1f)\n", paced, limit);
    const double idle = idleWaitCpu();
    std::printf("idle_wait_cpu=%.4f\n", idle);
    std::printf("unpaced_tcp_per_s=%.0f unpaced_pty_per_s=%.0f paced_115200_ratio=%.3f idle_wait_cpu=%.4f\n", tcp, pty,
                paced / limit, idle);
    std::fflush(stdout);
    return 0;
}
