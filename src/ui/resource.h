// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The form of a panel resource description: panels, tab pages and controls, each listed
// once. The panels hand their description to the run-time layer at start-up; the Qt side
// builds the widgets from it.

#include "ui/uitypes.h"

#include <string>
#include <vector>

namespace ui {

// Control ids of a description stay below this; the run-time layer hands out ids from
// here on for controls created while the program runs.
constexpr int kFirstDynamicControl = 1000;

struct ListItem {
    std::string label;
    int value = 0;
};

struct ControlDef {
    int id = 0;
    Kind kind = Kind::TextMessage;
    int panel = 0;     // PanelResource it sits on
    std::string label; // caption (button text, label above a field, switch caption)
    Rect rect;         // top, left, height, width on its panel
    CtrlCallback callback = nullptr;
    std::vector<ListItem> items; // rings
    double minimum = 0.0;
    double maximum = 0.0; // minimum == maximum: no range
    double initial = 0.0;
    int precision = 0;           // decimals of numerics and sliders
    bool indicator = false;      // display only
    std::string offText = "OFF"; // binary switch texts
    std::string onText = "ON";
    int color = -1;       // back colour of decorations and LEDs (on colour), -1 default
    int tabPages = 0;     // tab controls: number of pages
    std::string shortcut; // buttons: key sequence that presses them, e.g. "Ctrl+E"
};

struct PanelDef {
    int resource = 0;
    std::string title;
    int height = 0;
    int width = 0;
    CtrlCallback callback = nullptr;
    // Tab pages: the panel and tab control that own the page, and its index.
    int ownerPanel = 0;
    int ownerTab = 0;
    int pageIndex = -1;
};

// Installs the description that LoadPanel builds from (replacing any earlier one).
void SetResourceDescription(std::vector<PanelDef> panels, std::vector<ControlDef> controls);
const std::vector<PanelDef> &PanelDefs();
const std::vector<ControlDef> &ControlDefs();
const PanelDef *FindPanelDef(int resource);
const ControlDef *FindControlDef(int id);

} // namespace ui
