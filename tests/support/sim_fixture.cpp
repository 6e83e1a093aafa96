#include "support/sim_fixture.h"

#include "app/shell.h"

std::string LinkName(const ::testing::TestParamInfo<Link> &info)
{
    switch (info.param) {
    case Link::Tcp: return "Tcp";
    case Link::Pty: return "Pty";
    case Link::Ser2net: return "Ser2net";
    }
    return "?";
}

void SimFixture::TearDown()
{
    CloseLinkAndPanels();
    sim.stop();
    AppFixture::TearDown();
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
}

int SimFixture::openSimLink(Link link)
{
    return link == Link::Tcp ? openTcp(sim.tcpPort()) : openSerial(sim.ptyPath());
}

void SimFixture::startSimOverTcp(const std::vector<std::string> &extra)
{
    ASSERT_NO_FATAL_FAILURE(startSim(Link::Tcp, extra));
    ASSERT_EQ(1, openSimLink(Link::Tcp));
}
