// Exchanges per second of order 8 (8 + 48 bytes on the line) against the simulator,
// over TCP and a pty unpaced, over a pty paced at 115200 baud, and the processor time
// spent while waiting for a silent sensor. Prints key=value figures; never fails on
// its numbers.

#include "app/shell.h"
#include "app/state.h"
#include "app/text.h"
#include "link/orders.h"
#include "link/transport.h"
#include "support/sim_process.h"
#include "ui/comm.h"
#include "ui/runtime.h"
#include "ui/system.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
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

void closeLink()
{
    if (tcpcon > 0)
        DisconnectFromTCPServer(tcp_hconversation);
    if (rs232con > 0)
        CloseCom(rs232port);
    tcpcon = rs232con = 0;
}

bool openPty(SimProcess &sim)
{
    const std::string link = g_dir + "/com1";
    ::unlink(link.c_str());
    if (::symlink(sim.ptyPath().c_str(), link.c_str()) != 0)
        return false;
    comtype = 0;
    rs232port = 1;
    rs232con = InitRS232(1, 4);
    return rs232con == 1;
}

bool openTcp(SimProcess &sim)
{
    comtype = 1;
    CopyText(szIPhostName, "127.0.0.1");
    tcpport = sim.tcpPort();
    return InitTCP_IP() == 1;
}

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
    std::vector<std::string> all = options;
    all.insert(all.end(), {"--eeprom", g_dir + "/sim.eeprom"});
    if (pty)
        all.insert(all.end(), {"--pty", g_dir + "/sim-pty"});
    else
        all.insert(all.end(), {"--tcp", "0"});
    if (!sim.start(all)) {
        std::fprintf(stderr, "%s\n", sim.error().c_str());
        return -1;
    }
    if (!(pty ? openPty(sim) : openTcp(sim)))
        return -1;
    const double r = rate(count);
    closeLink();
    return r;
}

double idleWaitCpu()
{
    SimProcess sim;
    if (!sim.start({"--pty", g_dir + "/sim-pty", "--fault", "silent", "--eeprom", g_dir + "/sim.eeprom"}) ||
        !openPty(sim))
        return -1;
    const double wall0 = ui::Timer(), cpu0 = processSeconds();
    IssueOrder(ORDER_MEASUREMENT, 0);  // times out after 1.5 s
    const double cpu = processSeconds() - cpu0, wall = ui::Timer() - wall0;
    closeLink();
    return cpu / wall;
}

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ui::InitRuntime(argc, argv);
    char pattern[] = "/tmp/mq-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    g_dir = pattern;
    ui::SetProgramDirectory(g_dir);
    if (LoadAllPanels() < 0)
        return 1;
    InitVars();

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

    CloseLinkAndPanels();
    std::error_code ignored;
    std::filesystem::remove_all(g_dir, ignored);
    return 0;
}
