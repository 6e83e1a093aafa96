// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench_support.h"

#include "app/shell.h"
#include "base/state.h"
#include "base/text.h"
#include "display/measure.h"
#include "harness/scripted_popups.h"
#include "link/ident.h"
#include "link/transport.h"
#include "link_ui/ident_page.h"
#include "platform/comm.h"
#include "platform/system.h"
#include "ui/runtime.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

BenchProgram::BenchProgram(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ui::InitRuntime(argc, argv);
    ui::SetPopups(std::make_unique<ScriptedPopups>());
    char pattern[] = "/tmp/mq-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return;
    dir_ = pattern;
    ui::SetProgramDirectory(dir_);
    if (LoadAllPanels() < 0)
        return;
    InitVars();
    ok_ = true;
}

BenchProgram::~BenchProgram()
{
    if (ok_)
        CloseLinkAndPanels();
    if (!dir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
}

bool BenchProgram::startAndLink(SimProcess &sim, bool pty, std::vector<std::string> options)
{
    options.insert(options.end(), {"--eeprom", dir_ + "/sim.eeprom"});
    if (pty)
        options.insert(options.end(), {"--pty", dir_ + "/sim-pty"});
    else
        options.insert(options.end(), {"--tcp", "0"});
    if (!sim.start(options)) {
        std::fprintf(stderr, "simulator: %s\n", sim.error().c_str());
        return false;
    }
    bool linked;
    if (pty) {
        const std::string link = dir_ + "/com1";
        ::unlink(link.c_str());
        comtype = 0;
        rs232port = 1;
        linked = ::symlink(sim.ptyPath().c_str(), link.c_str()) == 0 && (rs232con = InitRS232(1, 4)) == 1;
    } else {
        comtype = 1;
        CopyText(szIPhostName, "127.0.0.1");
        tcpport = sim.tcpPort();
        linked = InitTCP_IP() == 1;
    }
    if (!linked)
        std::fprintf(stderr, "link: %s\n", szStatus);
    return linked;
}

bool BenchProgram::startLinkAndIdentify(SimProcess &sim, bool pty, std::vector<std::string> options)
{
    if (!startAndLink(sim, pty, std::move(options)))
        return false;
    if (InitDataExchange() != 1) {
        std::fprintf(stderr, "identification: %s\n", szStatus);
        return false;
    }
    return true;
}

LoopFigures PressLoop(int button, unsigned long long frames)
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
    LoopFigures f;
    const double shown = static_cast<double>(framesShown - first);
    if (stop_flag == -1 || shown <= 0) {
        std::fprintf(stderr, "loop ended early: %s\n", szStatus);
        return f;
    }
    f.perSecond = shown / wall;
    f.cpuMsPerFrame = 1000.0 * cpu / shown;
    return f;
}

void CloseBenchLink()
{
    if (tcpcon > 0)
        DisconnectFromTCPServer(tcp_hconversation);
    if (rs232con > 0)
        CloseCom(rs232port);
    tcpcon = rs232con = 0;
}

double ProcessSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

long ResidentKb()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}
