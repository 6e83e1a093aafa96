// SPDX-License-Identifier: GPL-3.0-or-later

#include "link_ui/change_log_window.h"

#include "base/control_ids.h"
#include "base/popups.h"
#include "base/state.h"
#include "files/change_log.h"
#include "files/change_watch.h"
#include "ui/runtime.h"

#include <QDate>

#include <cstdio>
#include <fstream>
#include <vector>

using namespace ui;
using namespace panels;

int pChanges = 0;

namespace {

constexpr const char *kTitle = "CHANGE LOG";
std::vector<ChangeRow> g_shown; // oldest first, as the file holds them

std::string fieldText(int control)
{
    std::string s = GetCtrlStringUtf8(pChanges, control);
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    while (!s.empty() && s.front() == ' ')
        s.erase(0, 1);
    return s;
}

std::string lineOf(const ChangeRow &r)
{
    std::string time = r.time;
    if (time.size() > 10)
        time[10] = ' ';
    if (!time.empty() && time.back() == 'Z')
        time.pop_back();
    const std::string old = r.oldValue ? std::to_string(*r.oldValue) : "not read";
    char line[512];
    std::snprintf(line, sizeof line, "%-23.23s  %-6.6s %-16.16s %-6.6s %-18.18s %9s -> %-10lld %-7s %-10.10s %.24s",
                  time.c_str(), r.serial.c_str(), r.action.c_str(), r.target.c_str(), r.key.c_str(), old.c_str(),
                  r.newValue, ChangeResultText(r), r.user.c_str(), r.status.c_str());
    return line;
}

void showMessage(const std::string &text, int color)
{
    SetCtrlVal(pChanges, CHANGES_INFO, text.c_str());
    SetCtrlTextColor(pChanges, CHANGES_INFO, color);
}

} // namespace

int OpenChangeLogWindow()
{
    if (pChanges == 0) {
        pChanges = LoadPanel(0, PANEL_CHANGES);
        if (pChanges < 0) {
            pChanges = 0;
            return -1;
        }
        SetCtrlFont(pChanges, CHANGES_TABLE, "Monospace", 11);
    }
    ShowChangeLogRows();
    DisplayPanel(pChanges);
    return 0;
}

bool ShowChangeLogRows()
{
    ChangeFilter filter;
    filter.serial = fieldText(CHANGES_SERIAL);
    filter.since = fieldText(CHANGES_SINCE);
    if (!filter.since.empty() && !QDate::fromString(QString::fromStdString(filter.since), Qt::ISODate).isValid()) {
        showMessage("SINCE must be a date YYYY-MM-DD, not \"" + filter.since + "\".", VAL_RED);
        return false;
    }
    const std::string &path = ChangeLogFile();
    g_shown.clear();
    ResetTextBox(pChanges, CHANGES_TABLE, "");
    std::string error;
    if (!ReadChangeRows(path, filter, &g_shown, &error)) {
        showMessage(error, VAL_RED);
        SetCtrlVal(pChanges, CHANGES_HASH, "");
        return true;
    }
    std::string text;
    for (auto r = g_shown.rbegin(); r != g_shown.rend(); ++r)
        text += lineOf(*r) + "\n";
    ResetTextBox(pChanges, CHANGES_TABLE, text.c_str());
    ScrollTextBoxToTop(pChanges, CHANGES_TABLE);
    showMessage(std::to_string(g_shown.size()) + " changes shown, newest first - " + path, VAL_BLACK);
    // The whole file's chain, not the filtered rows: the latest hash is what a printout is checked against.
    const ChainCheck check = VerifyChangeChain(path);
    const std::string chain = check.firstBroken == 0 ? "chain whole over " + std::to_string(check.rows) + " rows"
                                                     : "CHAIN BROKEN AT ROW " + std::to_string(check.firstBroken);
    SetCtrlVal(pChanges, CHANGES_HASH, ("LATEST HASH: " + check.lastHash + "  (" + chain + ")").c_str());
    SetCtrlTextColor(pChanges, CHANGES_HASH, check.firstBroken == 0 ? VAL_BLACK : VAL_RED);
    return true;
}

bool ExportChangeLogCsv(const std::string &path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << ChangeCsvHeader();
    for (const ChangeRow &r : g_shown)
        out << ChangeRowCsv(r);
    out.close();
    if (!out) {
        MessagePopup(kTitle, ("The change log could not be exported to\n" + path).c_str());
        return false;
    }
    showMessage(std::to_string(g_shown.size()) + " changes exported to " + path, VAL_BLACK);
    return true;
}

void CloseChangeLogWindow()
{
    if (pChanges != 0)
        HidePanel(pChanges);
}

void DiscardChangeLogWindow()
{
    if (pChanges != 0)
        DiscardPanel(pChanges);
    pChanges = 0;
    g_shown.clear();
}

int CC_BTNchangeLog(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        OpenChangeLogWindow();
    return 0;
}

int CC_PANELchanges(int, int, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        CloseChangeLogWindow();
    return 0;
}

int CC_BTNchangesShow(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        ShowChangeLogRows();
    return 0;
}

int CC_BTNchangesExport(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    const FileSelectRequest request =
        MakeFileSelectRequest(proj_dir, "MQ-Vista-changes.csv", "*.csv", "Export the change log", FileSelectMode::Save,
                              FileExtension::Restricted);
    std::string path;
    if (CurrentPopups().FileSelect(request, &path) == VAL_NO_FILE_SELECTED || path.empty())
        return 0;
    ExportChangeLogCsv(path);
    return 0;
}

int CC_BTNchangesClose(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        CloseChangeLogWindow();
    return 0;
}
