// SPDX-License-Identifier: GPL-3.0-or-later

// Change log window: the filter, the rows newest first, the latest hash, the export.

#include "link_ui/change_log_window.h"
#include "panels/resource_pages.h"

namespace panels::res {

void AddChangeLogWindow(std::vector<ControlDef> &c)
{
    const int PW = PANEL_CHANGES;
    c.push_back(make(CHANGES_SERIAL, Kind::String, PW, "SENSOR SERIAL", {24, 10, kFieldH, 120}));
    c.push_back(make(CHANGES_SINCE, Kind::String, PW, "SINCE (YYYY-MM-DD)", {24, 140, kFieldH, 140}));
    c.push_back(make(CHANGES_SHOW, Kind::Button, PW, "SHOW", {23, 290, 24, 80}, CC_BTNchangesShow));
    c.push_back(make(CHANGES_EXPORT, Kind::Button, PW, "EXPORT CSV...", {23, 380, 24, 130}, CC_BTNchangesExport));
    c.push_back(make(CHANGES_CLOSE, Kind::Button, PW, "CLOSE", {23, 910, 24, 80}, CC_BTNchangesClose));
    c.push_back(make(CHANGES_INFO, Kind::TextMessage, PW, "", {54, 10, 16, 980}));
    c.push_back(make(CHANGES_HASH, Kind::TextMessage, PW, "", {72, 10, 16, 980}));
    c.push_back(make(CHANGES_TABLE, Kind::TextBox, PW, "", {94, 10, 496, 980}));
}

} // namespace panels::res
