// SPDX-License-Identifier: GPL-3.0-or-later
// Exchanges per second of order 8 (8 + 48 bytes on the line) against the simulator,
// over TCP and a pty unpaced, over a pty paced at 115200 baud (through the program, and
// the simulator alone with a bare blocking client; paced also at the median exchange), and the
// processor time spent while waiting for a silent sensor. Prints key=value figures; never fails
// on its numbers.

#include "base/state.h"
#include "bench_support.h"
#include "link/orders.h"
#include "sim/protocol.h"
#include "ui/runtime.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

BenchProgram *g_program = nullptr;

// Exchanges per second, and per second at the median exchange: the median leaves out the
// exchanges a busy machine held up, so it tells the line's own pace from the machine's.
struct Rate {
    double perSecond = -1;
    double medianPerSecond = -1;
};

// Times `count` exchanges after one to warm up; `exchange` returns false when one failed.
template <typename Exchange> Rate timeExchanges(int count, Exchange exchange)
{
    Rate rate;
    if (!exchange(-1))
        return rate;
    std::vector<double> took(static_cast<size_t>(count));
    const double start = ui::Timer();
    for (int i = 0; i < count; ++i) {
        const double t = ui::Timer();
        if (!exchange(i))
            return rate;
        took[static_cast<size_t>(i)] = ui::Timer() - t;
    }
    rate.perSecond = count / (ui::Timer() - start);
    std::nth_element(took.begin(), took.begin() + count / 2, took.end());
    rate.medianPerSecond = 1.0 / took[static_cast<size_t>(count / 2)];
    return rate;
}

Rate measure(const std::vector<std::string> &options, bool pty, int count)
{
    SimProcess sim;
    if (!g_program->startAndLink(sim, pty, options))
        return {};
    const Rate r = timeExchanges(count, [](int i) {
        if (IssueOrder(ORDER_MEASUREMENT, 0) == 1)
            return true;
        std::fprintf(stderr, "exchange %d failed: %s\n", i, szStatus);
        return false;
    });
    CloseBenchLink();
    return r;
}

// Reads exactly `count` bytes within `seconds`; false on a time-out or an error.
bool readExactly(int fd, unsigned char *to, size_t count, double seconds)
{
    const double end = ui::Timer() + seconds;
    while (count > 0) {
        pollfd ready{fd, POLLIN, 0};
        const int left = static_cast<int>((end - ui::Timer()) * 1000.0);
        if (left <= 0 || ::poll(&ready, 1, left) <= 0)
            return false;
        const ssize_t got = ::read(fd, to, count);
        if (got <= 0)
            return false;
        to += got;
        count -= static_cast<size_t>(got);
    }
    return true;
}

// The simulator alone on its paced pty: a blocking client writes the request and reads the
// 48 answer bytes, nothing else. What the line model lets through, with no program around it.
Rate simAlonePaced(int count)
{
    SimProcess sim;
    if (!sim.start({"--baud", "115200", "--pty", g_program->dir() + "/sim-alone-pty"})) {
        std::fprintf(stderr, "simulator: %s\n", sim.error().c_str());
        return {};
    }
    const int fd = ::open(sim.ptyPath().c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return {};
    termios mode{};
    tcgetattr(fd, &mode);
    cfmakeraw(&mode);
    cfsetspeed(&mode, B115200);
    tcsetattr(fd, TCSANOW, &mode);
    // Order 8, address 0, no data: the request of every Run pass, framed by the simulator's own code.
    const mqsim::Bytes frame = mqsim::buildFrame(8, 0);
    unsigned char answer[48];
    const Rate r = timeExchanges(count, [&](int i) {
        if (::write(fd, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size()) &&
            readExactly(fd, answer, sizeof answer, 2.0))
            return true;
        std::fprintf(stderr, "bare exchange %d failed\n", i);
        return false;
    });
    ::close(fd);
    return r;
}

double idleWaitCpu()
{
    SimProcess sim;
    if (!g_program->startAndLink(sim, true, {"--fault", "silent"}))
        return -1;
    const double wall0 = ui::Timer(), cpu0 = ProcessSeconds();
    IssueOrder(ORDER_MEASUREMENT, 0); // times out after 1.5 s
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

    const double tcp = measure({}, false, 5000).perSecond;
    std::printf("unpaced_tcp_per_s=%.0f\n", tcp);
    const double pty = measure({}, true, 3000).perSecond;
    std::printf("unpaced_pty_per_s=%.0f\n", pty);
    const Rate paced = measure({"--baud", "115200"}, true, 800);
    const double limit = 11520.0 / 56.0;
    std::printf("paced_115200_per_s=%.1f (line limit %.1f)\n", paced.perSecond, limit);
    const Rate simAlone = simAlonePaced(800);
    std::printf("sim_paced_115200_ratio=%.3f\n", simAlone.perSecond / limit);
    const double idle = idleWaitCpu();
    std::printf("idle_wait_cpu=%.4f\n", idle);
    std::printf("unpaced_tcp_per_s=%.0f unpaced_pty_per_s=%.0f paced_115200_ratio=%.3f sim_paced_115200_ratio=%.3f "
                "paced_115200_median_ratio=%.3f sim_paced_115200_median_ratio=%.3f idle_wait_cpu=%.4f\n",
                tcp, pty, paced.perSecond / limit, simAlone.perSecond / limit, paced.medianPerSecond / limit,
                simAlone.medianPerSecond / limit, idle);
    std::fflush(stdout);
    return 0;
}
