#include "app/statusline.h"

#include "app/state.h"
#include "app/text.h"
#include "panels/resource.h"
#include "ui/runtime.h"

#include <string>

void ShowStatus() { ui::SetCtrlVal(pPA, panels::MAIN_STATUS, szStatus); }

void ShowStatusText(const char *text) { ui::SetCtrlVal(pPA, panels::MAIN_STATUS, text); }

void LogStatusLine(const char *text)
{
    std::string line = text ? text : "";
    if (line.empty() || line.back() != '\n')
        line += '\n';
    ui::AppendTextBox(pConn, panels::CONN_STATUS, line.c_str());
}

void ShowAndLogStatus()
{
    ShowStatus();
    AppendText(szStatus, "\n");
    LogStatusLine(szStatus);
}

void SetStatusColor(int color)
{
    ui::SetCtrlTextColor(pPA, panels::MAIN_STATUS, color);
    ui::SetCtrlTextColor(pConn, panels::CONN_STATUS, color);
}
