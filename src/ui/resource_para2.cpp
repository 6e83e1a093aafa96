// Second parameter page: light source, exposure, video threshold.

#include "ui/resource_pages.h"

namespace ui::res {

void AddPara2Page(std::vector<ControlDef> &c)
{
    const int P2 = PAGE_PARA2;
    c.push_back(slider(PARA2_POWER, P2, "POWER", {row(0), kColA, kFieldH, 370}, 0, 1000, 500, 0));
    c.push_back(ring(PARA2_POWER_MODE, P2, "POWER-MODE", {row(1), kColA, kFieldH, kFieldW},
                     {{"FIXED", 0}, {"DYNAMIC POWER", 1}, {"DYNAMIC EXPOSURE", 2}}));
    c.push_back(ring(PARA2_BG_MODE, P2, "BACKGROUND-COMP", {row(1), kColB, kFieldH, kFieldW},
                     {{"OFF", 0}, {"ON", 1}}));
    c.push_back(slider(PARA2_EXPOSURE, P2, "EXPOSURE-TIME [ms]", {row(2), kColA, kFieldH, 370}, 0.0, 10.0, 1.5, 1));
    c.push_back(ring(PARA2_VTHD_MODE, P2, "VIDEO-THD-MODE", {row(3), kColA, kFieldH, kFieldW},
                     {{"FIXED", 0}, {"AUTO", 1}}));
    {
        std::vector<ListItem> items{{"NO FILTER", 0}};
        for (int v = 1; v <= 64; v *= 2)
            items.push_back({"MOVING AVERAGE " + std::to_string(v), v});
        c.push_back(ring(PARA2_FILTER, P2, "SMOOTH-VIDEO", {row(3), kColB, kFieldH, kFieldW}, std::move(items)));
    }
    c.push_back(slider(PARA2_VTHD, P2, "V-THD [%]", {row(4), kColA, kFieldH, 370}, 10, 950, 40, 0));
    c.push_back(make(PARA2_SAVE_THD, Kind::Button, P2, "SAVE V-THD", {row(5), kColA, 24, 110}));
    {
        ControlDef t = binarySwitch(PARA2_THD_TARGET, P2, "V-THD TARGET", {row(5), kColB, kFieldH, 120}, "RAM", "EEPROM");
        c.push_back(t);
    }
}

} // namespace ui::res
