// The Run and Video loops against the simulator with full drawing on the offscreen
// platform: frames per second unpaced over TCP, paced at 115200 baud over a pty (as a
// share of the line's limit, beside bare exchanges on the same line), processor time per
// frame, and resident memory growth over 1 000 000 frames. Prints key=value figures; never
// fails on its numbers.

#include "app/state.h"
#include "bench_support.h"
#include "display/measure.h"
#include "link/ident.h"
#include "link/orders.h"
#include "panels/resource.h"
#include "ui/runtime.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Figures {
    double perSecond = -1;
    double cpuMsPerFrame = -1;
};

// Presses RUN (or VIDEO) and stops the loop once `frames` more frames were shown.
Figures press(int button, unsigned long long frames)
{
    const unsigned long long target = framesShown + frames;
    const unsigned long long first = framesShown;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (framesShown >= target)
            stop_flag = 1;
    });
    watch.start();
    const double wall0 = ui::Timer(), cpu0 = ProcessSeconds();
    ui::SimulateEvent(pPA, button, ui::EVENT_LEFT_CLICK);
    ui::SimulateEvent(pPA, button, ui::EVENT_COMMIT);
    const double wall = ui::Timer() - wall0, cpu = ProcessSeconds() - cpu0;
    watch.stop();
    Figures f;
    const double shown = static_cast<double>(framesShown - first);
    if (stop_flag == -1 || shown <= 0) {
        std::fprintf(stderr, "loop ended early: %s\n", szStatus);
        return f;
    }
    f.perSecond = shown / wall;
    f.cpuMsPerFrame = 1000.0 * cpu / shown;
    return f;
}

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
    std::vector<std::string> options;
    if (paced)
        options = {"--baud", "115200"};
    if (!program.startAndLink(sim, pty, options))
        return false;
    if (InitDataExchange() != 1) {
        std::fprintf(stderr, "identification: %s\n", szStatus);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    BenchProgram program(argc, argv);
    if (!program.ok())
        return 1;
    ui::DisplayPanel(pPA);

    Figures unpaced;
    long rssGrowth = -1;
    {
        SimProcess sim;
        if (startSim(program, sim, false, false)) {
            press(panels::MAIN_RUN, 1000);
            const long before = ResidentKb();
            // MQ_BENCH_FRAMES shortens the run for profiling.
            const char *frames = std::getenv("MQ_BENCH_FRAMES");
            unpaced = press(panels::MAIN_RUN, frames ? std::strtoull(frames, nullptr, 10) : 999000);
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
            press(panels::MAIN_RUN, 50);
            // The same line without drawing: what the link itself allows on this machine now.
            exchangeRatio = bareExchanges(1000) / runLimit;
            runRatio = press(panels::MAIN_RUN, 1000).perSecond / runLimit;
            press(panels::MAIN_VIDEO, 5);
            videoRatio = press(panels::MAIN_VIDEO, 100).perSecond / videoLimit;
            CloseBenchLink();
        }
    }
    std::printf("run_unpaced_per_s=%.0f run_paced_115200_ratio=%.3f video_paced_115200_ratio=%.3f "
                "exchange_paced_115200_ratio=%.3f cpu_ms_per_frame=%.3f rss_growth_kb=%ld\n",
                unpaced.perSecond, runRatio, videoRatio, exchangeRatio, unpaced.cpuMsPerFrame, rssGrowth);
    std::fflush(stdout);

    return 0;
}
