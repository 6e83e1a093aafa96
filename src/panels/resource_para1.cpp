// SPDX-License-Identifier: GPL-3.0-or-later
// First parameter page: evaluation, tolerances, set point and teach, average, analog output.

#include "panels/resource_pages.h"

#include "params_ui/para_callbacks.h"

namespace panels::res {

void AddPara1Page(std::vector<ControlDef> &c)
{
    const int P1 = PAGE_PARA1;
    c.push_back(bind(ring(PARA1_POLARITY, P1, "POLARITY (OUTx)", {row(0), kColA, kFieldH, kFieldW},
                          {{"OUTx ACTIVE 0V", 0}, {"OUTx ACTIVE +24V DC", 1}}),
                     CC_DROPpolarity));
    c.push_back(bind(ring(PARA1_EVAL_MODE, P1, "EVALUATION-MODE", {row(0), kColB, kFieldH, kFieldW},
                          {{"1ST EDGE", 0},
                           {"2ND EDGE", 1},
                           {"WIDTH (BOTH EDGES)", 2},
                           {"CENTRE OF EDGES", 3},
                           {"CENTRE OF EDGES (4)", 4}}),
                     CC_DROPevalmode));
    {
        std::vector<ListItem> items{{"FIXED TOLERANCE", 0}};
        for (int v = 1; v <= 60; ++v)
            items.push_back({"AUTO-TOLERANCE " + std::to_string(v), v});
        c.push_back(
            bind(ring(PARA1_TOL_MODE, P1, "TOLERANCE-MODE", {row(1), kColA, kFieldH, kFieldW}, std::move(items)),
                 CC_DROPtolMode));
    }
    c.push_back(
        bind(numeric(PARA1_TEACH_VALUE, P1, "TEACH-VALUE [pixel]", {row(1), kColB, kFieldH, 100}, 0, 65535, 512),
             CC_NEDITTeach));
    c.push_back(
        bind(make(PARA1_TEACH, Kind::Button, P1, "TEACH", {row(1), kColB + 110, kFieldH + 2, 70}), CC_ButtonTeach));
    c.push_back(bind(numeric(PARA1_UPPER_TOL, P1, "TOL-HIGH [pixel]", {row(2), kColA, kFieldH, 80}, 0, 65535, 100),
                     CC_NEDITToleranceUP));
    c.push_back(display(PARA1_UPPER_TOL_MM, P1, "TOL-HIGH [mm]", {row(2), kColA + 90, kFieldH, 80}, 3));
    c.push_back(bind(numeric(PARA1_LOWER_TOL, P1, "TOL-LOW [pixel]", {row(3), kColA, kFieldH, 80}, 0, 65535, 100),
                     CC_NEDITToleranceLO));
    c.push_back(display(PARA1_LOWER_TOL_MM, P1, "TOL-LOW [mm]", {row(3), kColA + 90, kFieldH, 80}, 3));
    c.push_back(display(PARA1_TEACH_MM, P1, "SETPOINT [mm]", {row(2), kColB, kFieldH, 100}, 3));
    {
        std::vector<ListItem> items;
        for (int v : {1, 2, 4, 8, 16, 32, 64, 128, 256})
            items.push_back({std::to_string(v) + (v == 1 ? " SCAN" : " SCANS"), v});
        c.push_back(
            bind(ring(PARA1_AVERAGE, P1, "AVERAGE [line scans]", {row(3), kColB, kFieldH, kFieldW}, std::move(items)),
                 CC_DROPaverage));
    }
    c.push_back(bind(ring(PARA1_ANALOG_MODE, P1, "ANALOG-OUT", {row(4), kColA, kFieldH, kFieldW},
                          {{"M-VALUE", 0},
                           {"MAXIMUM", 1},
                           {"MINIMUM", 2},
                           {"MAXIMUM - MINIMUM", 3},
                           {"M-VALUE (MODE 4)", 4},
                           {"M-VALUE (MODE 5)", 5},
                           {"M-VALUE (MODE 6)", 6},
                           {"M-VALUE (MODE 7)", 7}}),
                     CC_DROPanaMode));
    c.push_back(bind(binarySwitch(PARA1_OUTPUT_MODE, P1, "ANALOG-OUT-MODE", {row(4), kColB, kFieldH, 120}, "U 0...10V",
                                  "I 4...20mA"),
                     CC_BINSWoutMode));
    c.push_back(bind(ring(PARA1_ZOOM_MODE, P1, "ANALOG ZOOM-MODE", {row(5), kColA, kFieldH, kFieldW},
                          {{"ZOOM OFF", 0}, {"ZOOM MODE 1", 1}, {"ZOOM MODE 2", 2}, {"ZOOM MODE 3", 3}}),
                     CC_DROPzoomMode));
}

} // namespace panels::res
