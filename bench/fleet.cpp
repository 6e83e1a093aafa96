// SPDX-License-Identifier: GPL-3.0-or-later
// mq-vista-cli's backup of a fleet against one simulator serving 200 sensors over TCP, each
// paced as a 115 200-baud line: the wall time of one sensor and of all 200 in one run, and the
// processor time (the command line and its workers) per sensor. Prints key=value figures;
// never fails on its numbers.

#include "harness/sim_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>

namespace {

constexpr int kSensors = 200;
constexpr int kJobs = 32;

std::string cliProgram()
{
    if (const char *env = std::getenv("MQ_CLI"); env && *env)
        return env;
    return (std::filesystem::path(SimProcess::executable()).parent_path() / "mq-vista-cli").string();
}

double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One backup run; wall seconds, or -1 when it did not succeed.
double backup(const std::string &dir, int firstPort, int count)
{
    QStringList args{"-j", QString::number(kJobs), "backup", "--force", "--dir", QString::fromStdString(dir)};
    for (int k = 0; k < count; ++k)
        args << QString("tcp://127.0.0.1:%1").arg(firstPort + k);
    QProcess cli;
    QElapsedTimer clock;
    clock.start();
    cli.start(QString::fromStdString(cliProgram()), args);
    if (!cli.waitForFinished(120000) || cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0) {
        std::fprintf(stderr, "bench_fleet: backup of %d sensors failed: %s\n", count,
                     cli.readAllStandardError().constData());
        return -1;
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::string dir = (std::filesystem::temp_directory_path() / "mq-bench-fleet").string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    // 200 consecutive free ports below the range the system hands out to clients (where a
    // client socket of an earlier run may still sit), tried from a few bases on.
    SimProcess sim;
    int firstPort = 0;
    for (int base = 20000; base < 32000 && firstPort == 0; base += 1000)
        if (sim.start({"--sensors", std::to_string(kSensors), "--tcp", std::to_string(base), "--baud", "115200",
                       "--eeprom", dir + "/sim.eeprom"}))
            firstPort = base;
    if (firstPort == 0) {
        std::fprintf(stderr, "bench_fleet: the simulator did not start: %s\n", sim.error().c_str());
        return 1;
    }
    const std::string out = dir + "/backups";
    backup(out, firstPort, 1); // the first run pays for loading the program from disk
    const double one = backup(out, firstPort, 1);
    const double cpuBefore = childrenCpuSeconds();
    const double all = backup(out, firstPort, kSensors);
    const double cpuMsPerSensor = (childrenCpuSeconds() - cpuBefore) * 1000.0 / kSensors;
    sim.stop();
    std::filesystem::remove_all(dir);
    std::printf("fleet_jobs=%d\n", kJobs);
    std::printf("fleet_backup_1_s=%.3f fleet_backup_200_s=%.3f fleet_cpu_ms_per_sensor=%.2f\n", one, all,
                cpuMsPerSensor);
    return 0;
}
