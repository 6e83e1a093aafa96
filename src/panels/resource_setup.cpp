// SPDX-License-Identifier: GPL-3.0-or-later
// Set-up assistant window: the last profile with its threshold, the buttons, the steps of
// the last AUTO SET-UP, and one row per diagnosis (figure, verdict, what to do).

#include "panels/resource_pages.h"
#include "setup/assistant.h"

#include <tuple>

namespace panels::res {

void AddSetupWindow(std::vector<ControlDef> &c)
{
    const int PS = PANEL_SETUP;
    c.push_back(make(SETUP_GRAPH, Kind::Graph, PS, "VIDEO SIGNAL", {10, 10, 230, 600}));
    c.push_back(make(SETUP_ANALYSE, Kind::Button, PS, "ANALYSE", {14, 630, 26, 120}, CC_BTNsetupAnalyse));
    c.push_back(make(SETUP_AUTO, Kind::Button, PS, "AUTO SET-UP", {14, 760, 26, 120}, CC_BTNsetupAuto));
    c.push_back(make(SETUP_UNDO, Kind::Button, PS, "UNDO", {48, 630, 26, 120}, CC_BTNsetupUndo));
    c.push_back(make(SETUP_CLOSE, Kind::Button, PS, "CLOSE", {48, 760, 26, 120}, CC_BTNsetupClose));
    c.push_back(make(SETUP_STEPS, Kind::TextBox, PS, "", {84, 630, 156, 360}));
    c.push_back(make(SETUP_RESULT, Kind::TextMessage, PS, "", {250, 10, 16, 970}));

    c.push_back(make(SETUP_COL_FIGURE, Kind::TextMessage, PS, "FIGURE", {276, 150, 16, 100}));
    c.push_back(make(SETUP_COL_VERDICT, Kind::TextMessage, PS, "VERDICT", {276, 485, 16, 60}));
    c.push_back(make(SETUP_COL_ADVICE, Kind::TextMessage, PS, "WHAT TO DO", {276, 550, 16, 100}));
    for (int r = 0; r < setup::kDiagnosisRows; ++r) {
        const int top = 296 + r * 28;
        c.push_back(make(SETUP_ROW_LABEL + r, Kind::TextMessage, PS, setup::RowLabel(r), {top + 3, 10, 16, 135}));
        for (auto [id, left, width] : {std::tuple{SETUP_FIGURE + r, 150, 330}, std::tuple{SETUP_VERDICT + r, 485, 60},
                                       std::tuple{SETUP_ADVICE + r, 550, 440}}) {
            ControlDef f = make(id, Kind::String, PS, "", {top, left, 24, width});
            f.indicator = true;
            c.push_back(f);
        }
    }
}

} // namespace panels::res
