// SPDX-License-Identifier: GPL-3.0-or-later
// Second parameter page: light source, exposure, video threshold and its save.

#include "panels/resource_pages.h"

#include "params_ui/para_callbacks.h"
#include "setup/assistant.h"

namespace panels::res {

void AddPara2Page(std::vector<ControlDef> &c)
{
    const int P2 = PAGE_PARA2;
    c.push_back(bind(slider(PARA2_POWER, P2, "POWER OF LIGHT SOURCE [0...1000]", {row(0), kColA, kFieldH, 370}, 0, 1000,
                            500, 0),
                     CC_SLIDEpower));
    c.push_back(bind(ring(PARA2_POWER_MODE, P2, "POWER-MODE", {row(1), kColA, kFieldH, kFieldW},
                          {{"FIXED", 0}, {"DYNAMIC POWER", 1}, {"DYNAMIC EXPOSURE", 2}}),
                     CC_DROPpowerMode));
    c.push_back(bind(ring(PARA2_BG_MODE, P2, "BACKGROUND-COMPENSATION", {row(1), kColB, kFieldH, kFieldW},
                          {{"OFF", 0}, {"ON", 1}}),
                     CC_DROPbgMode));
    c.push_back(bind(slider(PARA2_EXPOSURE, P2, "EXPOSURE-TIME [ms]", {row(2), kColA, kFieldH, 370}, 0.0, 10.0, 1.5, 1),
                     CC_SLIDEIntegrationTime));
    c.push_back(bind(ring(PARA2_VTHD_MODE, P2, "VIDEO-THD-MODE", {row(3), kColA, kFieldH, kFieldW},
                          {{"FIXED", 0}, {"AUTO", 1}}),
                     CC_DROPvthdmode));
    {
        std::vector<ListItem> items{{"NO FILTERING", 0}};
        for (int v = 1; v <= 64; v *= 2)
            items.push_back({"MOVING AVERAGE n=" + std::to_string(v), v});
        c.push_back(
            bind(ring(PARA2_FILTER, P2, "SMOOTH-VIDEO-SIGNAL", {row(3), kColB, kFieldH, kFieldW}, std::move(items)),
                 CC_DROP_FilterType));
    }
    c.push_back(bind(slider(PARA2_VTHD, P2, "VIDEO-THRESHOLD V-THD [%]", {row(4), kColA, kFieldH, 290}, 10, 950, 40, 0),
                     CC_SLIDEVideoThreshold));
    c.push_back(bind(numeric(PARA2_VTHD_ENTRY, P2, "V-THD [%]", {row(4), kColA + 300, kFieldH, 70}, 10, 950, 40),
                     CC_NEDITVideoThreshold));
    c.push_back(
        bind(make(PARA2_SAVE_THD, Kind::Button, P2, "SAVE V-THD", {row(5), kColA, 24, 110}), CC_CBTNSaveThreshold));
    c.push_back(bind(binarySwitch(PARA2_THD_TARGET, P2, "V-THD TARGET", {row(5), kColB, kFieldH, 120}, "RAM", "EEPROM"),
                     CC_BINSWTarget));
    c.push_back(
        make(PARA2_SETUP, Kind::Button, P2, "SET-UP ASSISTANT", {row(5) + 34, kColA, 24, 170}, CC_BTNsetupAssistant));
}

} // namespace panels::res
