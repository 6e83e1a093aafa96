// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/sim_fixture.h"

#include "app/shell.h"
#include "ui/runtime.h"

#include <QProcess>

std::string LinkName(const ::testing::TestParamInfo<Link> &info)
{
    static const char *const names[] = {"Tcp", "Pty", "Ser2net"};
    return names[static_cast<int>(info.param)];
}

void SimFixture::TearDown()
{
    CloseLinkAndPanels();
    StopChildProcess(ser2net_);
    sim.stop();
    AppFixture::TearDown();
}

void SimFixture::takeLinkAway(Link link)
{
    if (link == Link::Ser2net)
        StopChildProcess(ser2net_);
    else
        sim.stop();
}

void SimFixture::startSim(Link link, const std::vector<std::string> &extra)
{
    std::vector<std::string> options = {"--eeprom", programDir + "/sim.eeprom"};
    if (link == Link::Tcp)
        options.insert(options.end(), {"--tcp", "0"});
    else
        options.insert(options.end(), {"--pty", programDir + "/sim-pty"});
    options.insert(options.end(), extra.begin(), extra.end());
    ASSERT_TRUE(sim.start(options)) << sim.error();
    if (link == Link::Ser2net)
        startSer2net();
}

void SimFixture::startSer2net()
{
    ser2netPort_ = FreeLocalPort();
    ASSERT_GT(ser2netPort_, 0);
    ser2net_ = new QProcess;
    const std::string accepter = "  accepter: tcp,127.0.0.1," + std::to_string(ser2netPort_);
    const std::string connector = "  connector: serialdev," + sim.ptyPath() + ",115200n81,local";
    ser2net_->start("ser2net",
                    {"-n", "-u", "-P", QString::fromStdString(programDir + "/ser2net.pid"), "-Y", "connection: &sensor",
                     "-Y", QString::fromStdString(accepter), "-Y", QString::fromStdString(connector)});
    ASSERT_TRUE(ser2net_->waitForStarted(5000));
    // ser2net listens a moment after it starts.
    ASSERT_TRUE(WaitWithEvents([this] { return PortAnswers(ser2netPort_); }, 10)) << "ser2net did not listen";
}

int SimFixture::openSimLink(Link link)
{
    switch (link) {
    case Link::Tcp:
        return openTcp(sim.tcpPort());
    case Link::Ser2net:
        return openTcp(ser2netPort_);
    case Link::Pty:
        break;
    }
    return openSerial(sim.ptyPath());
}

void SimFixture::startSimOverTcp(const std::vector<std::string> &extra)
{
    ASSERT_NO_FATAL_FAILURE(startSim(Link::Tcp, extra));
    ASSERT_EQ(1, openSimLink(Link::Tcp));
}
