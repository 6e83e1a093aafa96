#include "app/shell.h"

#include <cstdio>
#include <cstring>

// The program takes no options of its own but these two; anything else is left to Qt
// (for example -platform).
int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("mq-vista %s\n", MQ_VERSION);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("Usage: mq-vista [--version | --help]\n\n"
                    "MQ-Vista %s, the control program of the K-VOR-MQ laser line-scan measuring sensors.\n"
                    "It connects to one sensor over RS-232 or TCP/IP as its settings file MQ-Vista.ini names\n"
                    "(the connection page changes and saves them), and takes no other options.\n\n"
                    "  --version  print the version and exit\n"
                    "  --help     print this text and exit\n",
                    MQ_VERSION);
        return 0;
    }
    return WinMain(argc, argv);
}
