// SPDX-License-Identifier: GPL-3.0-or-later
// The panel resource description: the panels, and its registration with the run-time
// layer. The controls of each page are listed in its own resource_<page>.cpp.

#include "panels/resource.h"
#include "panels/resource_pages.h"

#include "compare_ui/compare_window.h"
#include "link_ui/change_log_window.h"
#include "main_ui/main_panel.h"
#include "plant/plant_dialog.h"
#include "setup/assistant.h"
#include "stats/statistics.h"

#include <utility>

namespace panels {

using ui::ControlDef;
using ui::Kind;
using ui::PanelDef;

namespace res {

void AddHelpPopup(std::vector<ControlDef> &c)
{
    // The windows of their own have a pop-up each: a child panel shows only inside its window.
    for (auto [text, panel] :
         {std::pair{HELP_TEXT, PANEL_HELP}, {STATS_HELP_TEXT, PANEL_STATS_HELP}, {SETUP_HELP_TEXT, PANEL_SETUP_HELP}})
        c.push_back(make(text, Kind::TextBox, panel, "", {2, 2, 126, 316}));
}

} // namespace res

namespace {

std::vector<ControlDef> buildControls()
{
    std::vector<ControlDef> c;
    res::AddMainPanel(c);
    res::AddPara1Page(c);
    res::AddPara2Page(c);
    res::AddPara3Page(c);
    res::AddCalibrationPages(c);
    res::AddRecorderPage(c);
    res::AddConnectionPage(c);
    res::AddHelpPopup(c);
    res::AddStatisticsWindow(c);
    res::AddSetupWindow(c);
    res::AddPlantLinkDialog(c);
    res::AddChangeLogWindow(c);
    res::AddCompareWindow(c);
    return c;
}

std::vector<PanelDef> buildPanels()
{
    std::vector<PanelDef> p;
    p.push_back({PANEL, "K-VOR-MQ-Series CONTROL-PANEL", 548, 780, CC_PANEL, 0, 0, -1});
    p.push_back({PANEL_HELP, "", 130, 320, CC_PANELpopup, 0, 0, -1});
    p.push_back({PAGE_PARA1, "PARA-1", 0, 0, nullptr, PANEL, MAIN_TAB, 0});
    p.push_back({PAGE_PARA2, "PARA-2", 0, 0, nullptr, PANEL, MAIN_TAB, 1});
    p.push_back({PAGE_PARA3, "PARA-3", 0, 0, nullptr, PANEL, MAIN_TAB, 2});
    p.push_back({PAGE_CALIB, "CALIBRATION", 0, 0, nullptr, PANEL, MAIN_TAB, 3});
    p.push_back({PAGE_REC, "RECORDER", 0, 0, nullptr, PANEL, MAIN_TAB, 4});
    p.push_back({PAGE_CONN, "CONNECT", 0, 0, nullptr, PANEL, MAIN_TAB, 5});
    p.push_back({PAGE_CAL1, "CALIBRATION", 0, 0, nullptr, PAGE_CALIB, CALIB_TAB, 0});
    p.push_back({PAGE_CAL2, "SERVICE", 0, 0, nullptr, PAGE_CALIB, CALIB_TAB, 1});
    p.push_back({PANEL_STATS, "STATISTICS", 600, 840, CC_PANELstats, 0, 0, -1});
    p.push_back({PANEL_SETUP, "SET-UP ASSISTANT", 540, 1000, CC_PANELsetup, 0, 0, -1});
    p.push_back({PANEL_PLANT, "PLANT LINK", 430, 420, CC_PANELplant, 0, 0, -1});
    p.push_back({PANEL_CHANGES, "CHANGE LOG", 600, 1000, CC_PANELchanges, 0, 0, -1});
    p.push_back({PANEL_COMPARE, "COMPARE SETS", 670, 990, CC_PANELcompare, 0, 0, -1});
    p.push_back({PANEL_STATS_HELP, "", 130, 320, CC_PANELpopup, 0, 0, -1});
    p.push_back({PANEL_SETUP_HELP, "", 130, 320, CC_PANELpopup, 0, 0, -1});
    return p;
}

} // namespace

void RegisterResources() { ui::SetResourceDescription(buildPanels(), buildControls()); }

} // namespace panels
