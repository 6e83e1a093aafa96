// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor core on its own, without a window: connects to a sensor over TCP, identifies
// it and prints what it found. Built from the core's library alone, so it also shows that
// the core needs no widgets.

#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "link/hwinfo.h"
#include "link/ident.h"
#include "link/transport.h"
#include "platform/events.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s HOST PORT\n", argv[0]);
        return 64;
    }
    ui::InitPlatform(argc, argv);
    StatusSink sink;
    sink.log = [](const char *line) { std::fputs(line, stderr); };
    SetStatusSink(sink);

    comtype = 1;
    CopyText(szIPhostName, argv[1]);
    tcpport = std::atoi(argv[2]);
    if (InitTCP_IP() != 1) {
        std::fprintf(stderr, "no link: %s\n", szStatus);
        return 2;
    }
    const IdentifyOutcome outcome = IdentifySensor();
    CloseOpenLinks();
    std::printf("firmware: %s\nserial: %u\nserved: %s\n", szFirmwareVersion, static_cast<unsigned>(hwinfo.serialNo),
                outcome.served ? "yes" : "no");
    if (!outcome.refusal.empty())
        std::printf("refused: %s\n", outcome.refusal.c_str());
    return outcome.served ? 0 : 2;
}
