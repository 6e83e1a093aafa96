// SPDX-License-Identifier: GPL-3.0-or-later
// The main panel: header band, exchange buttons, graphs, value displays and the status line.

#include "main_ui/main_callbacks.h"
#include "main_ui/main_panel.h"
#include "main_ui/target_buttons.h"
#include "panels/resource_pages.h"
#include "params_ui/transfer.h"
#include "stats/statistics.h"

#include <utility>

namespace panels::res {

void AddMainPanel(std::vector<ControlDef> &c)
{
    {
        ControlDef band = make(MAIN_HEADER, Kind::Decoration, PANEL, "", {0, 0, 60, 780});
        band.color = 0x0080FF;
        c.push_back(band);
    }
    c.push_back(make(MAIN_LOGO, Kind::Picture, PANEL, "", {10, 300, 22, 140}));
    {
        ControlDef tab = make(MAIN_TAB, Kind::Tab, PANEL, "", {66, 5, 330, 400});
        tab.tabPages = 6;
        c.push_back(tab);
    }
    {
        ControlDef status = make(MAIN_STATUS, Kind::String, PANEL, "", {520, 5, 22, 600});
        status.indicator = true;
        c.push_back(status);
    }
    c.push_back(numeric(MAIN_COMPORT, PANEL, "COM", {520, 650, 22, 60}, 1, 256, 1, 0, true));
    {
        ControlDef host = make(MAIN_IPHOST, Kind::String, PANEL, "IP", {520, 630, 22, 145});
        host.indicator = true;
        c.push_back(host);
    }
    c.push_back(make(MAIN_DECO_RUNSTOP, Kind::Decoration, PANEL, "", {400, 5, 112, 240}));
    c.push_back(make(MAIN_RUN, Kind::Button, PANEL, "RUN", {406, 12, 28, 70}));
    c.push_back(make(MAIN_STOP, Kind::Button, PANEL, "STOP", {406, 88, 28, 70}));
    c.push_back(make(MAIN_VIDEO, Kind::Button, PANEL, "VIDEO", {406, 164, 28, 70}));
    c.push_back(make(MAIN_GET, Kind::Button, PANEL, "GET", {440, 12, 28, 70}, CC_BTNGet));
    c.push_back(make(MAIN_SEND, Kind::Button, PANEL, "SEND", {440, 88, 28, 70}, CC_BTNSend));
    {
        ControlDef ram = make(MAIN_RAM, Kind::Radio, PANEL, "RAM", {478, 12, 20, 60}, CC_RBTRam);
        ram.initial = 1; // the storage target at start-up
        c.push_back(ram);
    }
    c.push_back(make(MAIN_EEPROM, Kind::Radio, PANEL, "EEPROM", {478, 76, 20, 80}, CC_RBTEeprom));
    c.push_back(make(MAIN_FILE, Kind::Radio, PANEL, "FILE", {478, 160, 20, 60}, CC_RBTFile));
    c.push_back(binarySwitch(MAIN_MM_SWITCH, PANEL, "UNIT", {416, 252, 22, 70}, "PIXEL", "MM"));
    c.push_back(numeric(MAIN_EDGE_LEFT, PANEL, "E-BEG", {466, 252, 22, 70}, 0, 65535, 1));
    c.push_back(numeric(MAIN_EDGE_RIGHT, PANEL, "E-END", {466, 330, 22, 70}, 0, 65535, 1024));

    c.push_back(make(MAIN_VIDEO_GRAPH, Kind::Graph, PANEL, "VIDEO", {66, 410, 228, 365}));
    c.push_back(make(MAIN_ROLL_GRAPH, Kind::StripChart, PANEL, "ROLL", {66, 410, 228, 365}));
    c.push_back(make(MAIN_AXIS_CAPTION, Kind::TextMessage, PANEL, "linear-image-sensor [pixel]", {298, 540, 16, 200}));
    {
        ControlDef t = make(MAIN_COMPARE, Kind::Toggle, PANEL, "COMPARE", {296, 410, 20, 80});
        c.push_back(t);
        ControlDef z = make(MAIN_ZOOM, Kind::Toggle, PANEL, "ZOOM", {296, 410, 20, 80});
        c.push_back(z);
    }
    c.push_back(make(MAIN_BAR_GRAPH, Kind::Graph, PANEL, "", {320, 410, 44, 365}));

    c.push_back(display(MAIN_ELEFT, PANEL, "E-LEFT", {384, 410, 20, 68}));
    c.push_back(display(MAIN_ERIGHT, PANEL, "E-RIGHT", {384, 484, 20, 68}));
    c.push_back(display(MAIN_MVALUE, PANEL, "M-VALUE", {384, 558, 20, 68}));
    c.push_back(display(MAIN_MVAL_MM, PANEL, "M-VAL [mm]", {384, 632, 20, 68}, 3));
    c.push_back(display(MAIN_CYCLE_RATE, PANEL, "RATE [Hz]", {384, 706, 20, 68}, 1));
    c.push_back(display(MAIN_UPPER_TOL_MM, PANEL, "TOL+ [mm]", {424, 410, 20, 68}, 1));
    c.push_back(display(MAIN_LOWER_TOL_MM, PANEL, "TOL- [mm]", {424, 484, 20, 68}, 1));
    c.push_back(display(MAIN_DARK_PIXELS, PANEL, "DARK-PIX", {424, 558, 20, 68}));
    c.push_back(led(MAIN_TRIG_LED, PANEL, "TRG", {424, 632, 18, 18}, VAL_GREEN));
    c.push_back(make(MAIN_TRIG_LABEL, Kind::TextMessage, PANEL, "INT-TRIG", {426, 652, 16, 50}));
    c.push_back(led(MAIN_IN0_LED, PANEL, "IN0", {424, 706, 18, 18}, VAL_GREEN));
    c.push_back(led(MAIN_IN1_LED, PANEL, "IN1", {424, 732, 18, 18}, VAL_GREEN));
    c.push_back(led(MAIN_BTN_LED, PANEL, "BTN", {424, 758, 18, 18}, VAL_GREEN));

    c.push_back(make(MAIN_DECO_ANALOG, Kind::Decoration, PANEL, "", {452, 408, 56, 368}));
    c.push_back(make(MAIN_ANALOG_LABEL, Kind::TextMessage, PANEL, "ANALOG-OUT", {454, 414, 14, 80}));
    c.push_back(display(MAIN_ANALOG_VALUE, PANEL, "VALUE", {484, 414, 20, 68}));
    c.push_back(display(MAIN_ANALOG_MAX, PANEL, "MAX", {484, 488, 20, 68}));
    c.push_back(display(MAIN_ANALOG_MIN, PANEL, "MIN", {484, 562, 20, 68}));
    c.push_back(make(MAIN_RESET, Kind::Button, PANEL, "RESET", {478, 650, 26, 80}));
    {
        // Saves the visible graph and its data; Ctrl+E from anywhere on the panel.
        ControlDef e = make(MAIN_GRAPH_EXPORT, Kind::Button, PANEL, "SAVE", {296, 494, 20, 44}, CC_BTNGraphExport);
        e.shortcut = "Ctrl+E";
        c.push_back(e);
    }

    // Measurement and display controls.
    const std::pair<int, CtrlCallback> measurementCallbacks[] = {
        {MAIN_RUN, CC_BTNRun},
        {MAIN_STOP, CC_BTNStop},
        {MAIN_VIDEO, CC_BTNVideo},
        {MAIN_RESET, CC_ButtonReset},
        {MAIN_MM_SWITCH, CC_BINSWmillimeter},
        {MAIN_ZOOM, CC_TOGGButtonZoom},
        {MAIN_COMPARE, CC_TOGGButtonRaw},
        {MAIN_EDGE_LEFT, CC_NEDITEdgeLeft},
        {MAIN_EDGE_RIGHT, CC_NEDITEdgeRight},
        {MAIN_ROLL_GRAPH, CC_GRAPHRaw},
        {MAIN_VIDEO_GRAPH, CC_GRAPHVideo},
        {MAIN_DECO_ANALOG, CC_DECOmaxmin1},
        {MAIN_DECO_RUNSTOP, CC_DECOrunstop},
        {MAIN_TAB, CC_TABmain},
    };
    for (const auto &[id, callback] : measurementCallbacks)
        for (ControlDef &d : c)
            if (d.id == id)
                d.callback = callback;
}

} // namespace panels::res
