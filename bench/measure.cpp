// The Run and Video loops against the simulator with full drawing on the offscreen
// platform: frames per second unpaced over TCP, paced at 115200 baud over a pty (as a
// share of the line's limit, beside bare exchanges on the same line), processor time per
// frame, and resident memory growth over 100 000 frames. Prints key=value figures; never
// fails on its numbers.

#include "app/main_callbacks.h"
#include "app/shell.h"
#include "app/state.h"
#include "app/text.h"
#include "display/measure.h"
#include "link/ident.h"
#include "link/orders.h"
#include "link/transport.h"
#include "support/scripted_popups.h"
#include "support/sim_process.h"
#include "ui/comm.h"
#include "ui/resource.h"
#include "ui/runtime.h"
#include "ui/system.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

std::string g_dir;

double processSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

long residentKb()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void closeLink()
{
    if (tcpcon > 0)
        DisconnectFromTCPServer(tcp_hconversation);
    if (rs232con > 0)
        CloseCom(rs232port);
    tcpcon = rs232con = 0;
}

bool open(SimProcess &sim, bool pty)
{
    if (pty) {
        const std::string link = g_dir + "/com1";
        ::unlink(link.c_str());
        if (::symlink(sim.ptyPath().c_str(), link.c_str()) != 0)
            return false;
        comtype = 0;
        rs232port = 1;
        rs232con = InitRS232(1, 4);
        if (rs232con != 1)
            return false;
    } else {
        comtype = 1;
        CopyText(szIPhostName, "127.0.0.1");
        tcpport = sim.tcpPort();
        if (InitTCP_IP() != 1)
            return false;
    }
    return InitDataExchange() == 1;
}

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
    const double wall0 = ui::Timer(), cpu0 = processSeconds();
    ui::SimulateEvent(pPA, button, ui::EVENT_LEFT_CLICK);
    ui::SimulateEvent(pPA, button, ui::EVENT_COMMIT);
    const double wall = ui::Timer() - wall0, cpu = processSeconds() - cpu0;
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

bool startSim(SimProcess &sim, bool pty, bool paced)
{
    std::vector<std::string> options = {"--eeprom", g_dir + "/sim.eeprom"};
    if (pty)
        options.insert(options.end(), {"--pty", g_dir + "/sim-pty"});
    else
        options.insert(options.end(), {"--tcp", "0"});
    if (paced)
        options.insert(options.end(), {"--baud", "115200"});
    if (!sim.start(options) || !open(sim, pty)) {
        std::fprintf(stderr, "simulator: %s %s\n", sim.error().c_str(), szStatus);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ui::InitRuntime(argc, argv);
    // Nobody answers pop-ups in a benchmark: every question is declined at once (the
    // recorder offers the statistics when a recording ends).
    ui::SetPopups(std::make_unique<ScriptedPopups>());
    char pattern[] = "/tmp/mq-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    g_dir = pattern;
    ui::SetProgramDirectory(g_dir);
    if (LoadAllPanels() < 0)
        return 1;
    InitVars();
    ui::DisplayPanel(pPA);

    Figures unpaced;
    long rssGrowth = -1;
    {
        SimProcess sim;
        if (startSim(sim, false, false)) {
            press(ui::MAIN_RUN, 1000);
            const long before = residentKb();
            // MQ_BENCH_FRAMES shortens the run for profiling.
            const char *frames = std::getenv("MQ_BENCH_FRAMES");
            unpaced = press(ui::MAIN_RUN, frames ? std::strtoull(frames, nullptr, 10) : 99000);
            rssGrowth = residentKb() - before;
            closeLink();
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
        if (startSim(sim, true, true)) {
            press(ui::MAIN_RUN, 50);
            // The same line without drawing: what the link itself allows on this machine now.
            exchangeRatio = bareExchanges(1000) / runLimit;
            runRatio = press(ui::MAIN_RUN, 1000).perSecond / runLimit;
            press(ui::MAIN_VIDEO, 5);
            videoRatio = press(ui::MAIN_VIDEO, 100).perSecond / videoLimit;
            closeLink();
        }
    }
    std::printf("run_unpaced_per_s=%.0f run_paced_115200_ratio=%.3f video_paced_115200_ratio=%.3f "
                "exchange_paced_115200_ratio=%.3f cpu_ms_per_frame=%.3f rss_growth_kb=%ld\n",
                unpaced.perSecond, runRatio, videoRatio, exchangeRatio, unpaced.cpuMsPerFrame, rssGrowth);
    std::fflush(stdout);

    CloseLinkAndPanels();
    std::error_code ignored;
    std::filesystem::remove_all(g_dir, ignored);
    return 0;
}
