// SPDX-License-Identifier: GPL-3.0-or-later
// The Run and Video loops against the simulator with full drawing on the offscreen
// platform: frames per second unpaced over TCP, paced at 115200 baud over a pty (as a
// share of the line's limit, beside bare exchanges on the same line), processor time per
// frame, and resident memory growth over 1 000 000 frames. Prints key=value figures; never
// fails on its numbers.

#include "display/measure.h"
#include "base/control_ids.h"
#include "base/state.h"
#include "bench_support.h"
#include "link/orders.h"
#include "ui/runtime.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Measurement exchanges per second with nothing shown; -1 if one failed.
double bareExchanges(int count)
{
    const double start = ui::Timer();
    for (int i = 0; i < count; ++i)
        if (IssueOrder(ORDER_MEASUREMENT, 0) != 1)
            return -1;
    return count / (ui::Timer() - start);
}

bool startSim(BenchProgram &program, SimProcess &sim, bool pty, bool paced)
{
    return program.startLinkAndIdentify(
        sim, pty, paced ? std::vector<std::string>{"--baud", "115200"} : std::vector<std::string>{});
}

} // namespace

int main(int argc, char **argv)
{
    BenchProgram program(argc, argv);
    if (!program.ok())
        return 1;
    ui::DisplayPanel(pPA);

    LoopFigures unpaced;
    long rssGrowth = -1;
    {
        SimProcess sim;
        if (startSim(program, sim, false, false)) {
            PressLoop(panels::MAIN_RUN, 1000);
            const long before = ResidentKb();
            // MQ_BENCH_FRAMES shortens the run for profiling.
            const char *frames = std::getenv("MQ_BENCH_FRAMES");
            unpaced = PressLoop(panels::MAIN_RUN, frames ? std::strtoull(frames, nullptr, 10) : 999000);
            rssGrowth = ResidentKb() - before;
            CloseBenchLink();
        }
    }
    std::printf("run_unpaced_per_s=%.0f cpu_ms_per_frame=%.3f rss_growth_kb=%ld\n", unpaced.perSecond,
                unpaced.cpuMsPerFrame, rssGrowth);
    std::fflush(stdout);

    // 8 + 48 bytes per frame; a video pass adds 8 + 520.
    const double runLimit = 11520.0 / 56.0;
    const double videoLimit = 11520.0 / 584.0;
    double runRatio = -1, videoRatio = -1, exchangeRatio = -1;
    {
        SimProcess sim;
        if (startSim(program, sim, true, true)) {
            PressLoop(panels::MAIN_RUN, 50);
            // The same line without drawing: what the link itself allows on this machine now.
            exchangeRatio = bareExchanges(1000) / runLimit;
            runRatio = PressLoop(panels::MAIN_RUN, 1000).perSecond / runLimit;
            PressLoop(panels::MAIN_VIDEO, 5);
            videoRatio = PressLoop(panels::MAIN_VIDEO, 100).perSecond / videoLimit;
            CloseBenchLink();
        }
    }
    std::printf("run_unpaced_per_s=%.0f run_paced_115200_ratio=%.3f video_paced_115200_ratio=%.3f "
                "exchange_paced_115200_ratio=%.3f cpu_ms_per_frame=%.3f rss_growth_kb=%ld\n",
                unpaced.perSecond, runRatio, videoRatio, exchangeRatio, unpaced.cpuMsPerFrame, rssGrowth);
    std::fflush(stdout);

    return 0;
}
