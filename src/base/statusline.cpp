// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/statusline.h"

#include "base/state.h"
#include "base/text.h"

#include <string>

namespace {
StatusSink g_sink;
} // namespace

StatusSink SetStatusSink(const StatusSink &sink)
{
    const StatusSink previous = g_sink;
    g_sink = sink;
    return previous;
}

void ShowStatus() { ShowStatusText(szStatus); }

void ShowStatusText(const char *text)
{
    if (g_sink.show)
        g_sink.show(text ? text : "");
}

void LogStatusLine(const char *text)
{
    std::string line = text ? text : "";
    if (line.empty() || line.back() != '\n')
        line += '\n';
    if (g_sink.log)
        g_sink.log(line.c_str());
}

void ShowAndLogStatus()
{
    ShowStatus();
    AppendText(szStatus, "\n");
    LogStatusLine(szStatus);
}

void SetStatusColor(int color)
{
    if (g_sink.color)
        g_sink.color(color);
}
