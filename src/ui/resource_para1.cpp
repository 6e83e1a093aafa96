// First parameter page: evaluation, tolerances, teach, average, analog output.

#include "ui/resource_pages.h"

namespace ui::res {

void AddPara1Page(std::vector<ControlDef> &c)
{
    const int P1 = PAGE_PARA1;
    c.push_back(ring(PARA1_POLARITY, P1, "POLARITY", {row(0), kColA, kFieldH, kFieldW},
                     {{"OUT ACTIVE 0V", 0}, {"OUT ACTIVE +24V", 1}}));
    c.push_back(ring(PARA1_EVAL_MODE, P1, "EVALUATION-MODE", {row(0), kColB, kFieldH, kFieldW},
                     {{"1ST EDGE", 0}, {"2ND EDGE", 1}, {"WIDTH", 2}, {"CENTRE", 3}, {"CENTRE (4)", 4}}));
    {
        std::vector<ListItem> items{{"FIXED TOLERANCE", 0}};
        for (int v = 1; v <= 60; ++v)
            items.push_back({"AUTO-TOL " + std::to_string(v), v});
        c.push_back(ring(PARA1_TOL_MODE, P1, "TOLERANCE-MODE", {row(1), kColA, kFieldH, kFieldW}, std::move(items)));
    }
    c.push_back(numeric(PARA1_TEACH_VALUE, P1, "TEACH-VALUE [pixel]", {row(1), kColB, kFieldH, 100}, 0, 65535, 512));
    c.push_back(make(PARA1_TEACH, Kind::Button, P1, "TEACH", {row(1), kColB + 110, kFieldH + 2, 70}));
    c.push_back(numeric(PARA1_UPPER_TOL, P1, "TOL-HIGH [pixel]", {row(2), kColA, kFieldH, 80}, 0, 65535, 100));
    c.push_back(display(PARA1_UPPER_TOL_MM, P1, "[mm]", {row(2), kColA + 90, kFieldH, 80}, 1));
    c.push_back(numeric(PARA1_LOWER_TOL, P1, "TOL-LOW [pixel]", {row(3), kColA, kFieldH, 80}, 0, 65535, 100));
    c.push_back(display(PARA1_LOWER_TOL_MM, P1, "[mm]", {row(3), kColA + 90, kFieldH, 80}, 1));
    c.push_back(display(PARA1_TEACH_MM, P1, "TEACH [mm]", {row(2), kColB, kFieldH, 100}, 1));
    {
        std::vector<ListItem> items;
        for (int v : {1, 2, 4, 8, 16, 32, 64, 128, 256})
            items.push_back({std::to_string(v), v});
        c.push_back(ring(PARA1_AVERAGE, P1, "AVERAGE", {row(3), kColB, kFieldH, kFieldW}, std::move(items)));
    }
    c.push_back(ring(PARA1_ANALOG_MODE, P1, "ANALOG-OUT", {row(4), kColA, kFieldH, kFieldW},
                     {{"M-VALUE", 0}, {"MAXIMUM", 1}, {"MINIMUM", 2}, {"MAX - MIN", 3}, {"MODE 4", 4},
                      {"MODE 5", 5}, {"MODE 6", 6}, {"MODE 7", 7}}));
    c.push_back(binarySwitch(PARA1_OUTPUT_MODE, P1, "ANALOG-OUT-MODE", {row(4), kColB, kFieldH, 120},
                             "U 0..10V", "I 4..20mA"));
    c.push_back(ring(PARA1_ZOOM_MODE, P1, "ZOOM-MODE", {row(5), kColA, kFieldH, kFieldW},
                     {{"ZOOM OFF", 0}, {"ZOOM 1", 1}, {"ZOOM 2", 2}, {"ZOOM 3", 3}}));
}

} // namespace ui::res
