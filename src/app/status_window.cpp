// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/status_window.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "base/statusline.h"
#include "ui/runtime.h"

namespace {

void showInStatusField(const char *text) { ui::SetCtrlVal(pPA, panels::MAIN_STATUS, text); }

void appendToStatusBox(const char *line) { ui::AppendTextBox(pConn, panels::CONN_STATUS, line); }

void colourStatus(int color)
{
    ui::SetCtrlTextColor(pPA, panels::MAIN_STATUS, color);
    ui::SetCtrlTextColor(pConn, panels::CONN_STATUS, color);
}

} // namespace

void InstallWindowStatusLine()
{
    StatusSink sink;
    sink.show = showInStatusField;
    sink.log = appendToStatusBox;
    sink.color = colourStatus;
    SetStatusSink(sink);
}
