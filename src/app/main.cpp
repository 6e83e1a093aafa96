// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/shell.h"
#include "cli/address.h"
#include "files/settings.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// --sensor ADDR: the window starts on that sensor for this run only.
bool takeSensorOption(const std::string &text)
{
    cli::SensorAddress address;
    std::string error;
    if (!cli::ParseAddress(text, address, error)) {
        std::fprintf(stderr, "mq-vista: --sensor: %s\n", error.c_str());
        return false;
    }
    if (address.kind == cli::SensorAddress::Kind::Device || address.com > 255) {
        std::fprintf(stderr, "mq-vista: --sensor takes tcp://HOST[:PORT] or comN[@BAUD] (N up to 255), not '%s'\n",
                     text.c_str());
        return false;
    }
    RunOnlyLink link;
    link.tcp = address.kind == cli::SensorAddress::Kind::Tcp;
    link.host = address.host;
    link.port = address.port;
    link.comPort = address.com;
    link.baudIndex = address.baudIndex;
    SetRunOnlyLink(link);
    return true;
}

} // namespace

// The program takes no options of its own but these three; anything else is left to Qt
// (for example -platform).
int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("mq-vista %s\n", MQ_VERSION);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("Usage: mq-vista [--version | --help | --sensor ADDR]\n\n"
                    "MQ-Vista %s, the control program of the K-VOR-MQ laser line-scan measuring sensors.\n"
                    "It connects to one sensor over RS-232 or TCP/IP as its settings file MQ-Vista.ini names\n"
                    "(the connection page changes and saves them), and takes no other options.\n\n"
                    "  --version      print the version and exit\n"
                    "  --help         print this text and exit\n"
                    "  --sensor ADDR  start on this sensor for this run only: tcp://HOST[:PORT] or\n"
                    "                 comN[@BAUD]; the settings file keeps its link unless ACCEPT is pressed\n",
                    MQ_VERSION);
        return 0;
    }
    // --sensor ADDR (or --sensor=ADDR) is taken out before Qt sees the arguments.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--sensor" || a.rfind("--sensor=", 0) == 0) {
            const bool inline_ = a != "--sensor";
            if (!inline_ && i + 1 >= argc) {
                std::fprintf(stderr, "mq-vista: --sensor needs an address\n");
                return 64;
            }
            if (!takeSensorOption(inline_ ? a.substr(9) : std::string(argv[++i])))
                return 64;
            continue;
        }
        argv[kept++] = argv[i];
    }
    argv[kept] = nullptr;
    return WinMain(kept, argv);
}
