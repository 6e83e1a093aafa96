// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor core without the window: a program built from it alone identifies the
// simulator, and it loads no widget library.

#include "harness/sim_process.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <string>

namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
};

ProgramRun runProgram(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    ProgramRun run;
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished(2000);
        return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput().toStdString();
    return run;
}

} // namespace

TEST(HeadlessCore, IdentifiesTheSimulatorOverTcpAndPrintsItsFirmwareText)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--tcp", "0", "--firmware", "K-VOR-MQ.V4.06 HEADLESS", "--serial", "4242"})) << sim.error();
    const ProgramRun run = runProgram(MQ_HEADLESS_IDENTIFY, {"127.0.0.1", QString::number(sim.tcpPort())});
    EXPECT_EQ(run.exitCode, 0) << "the simulated sensor is one this program serves\n" << run.out;
    EXPECT_NE(run.out.find("firmware: K-VOR-MQ.V4.06 HEADLESS"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("serial: 4242"), std::string::npos) << run.out;
}

TEST(HeadlessCore, RefusedFamilyIsReportedWithTheProgramsOwnText)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--tcp", "0", "--firmware", "K-VOR-NX.V4.06 A B"})) << sim.error();
    const ProgramRun run = runProgram(MQ_HEADLESS_IDENTIFY, {"127.0.0.1", QString::number(sim.tcpPort())});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.out.find("refused: Incompatible hardware detected!\nPlease use K-VOR-NX-Vista software version!"),
              std::string::npos)
        << run.out;
}

TEST(HeadlessCore, LoadsNoWidgetLibrary)
{
    const ProgramRun run = runProgram("ldd", {MQ_HEADLESS_IDENTIFY});
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("libQt6Core"), std::string::npos) << "ldd listed the program's libraries\n" << run.out;
    EXPECT_EQ(run.out.find("libQt6Widgets"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("qcustomplot"), std::string::npos) << run.out;
}
