// SPDX-License-Identifier: GPL-3.0-or-later
// Third parameter page: external and internal trigger, housing controls, receiver
// operating mode.

#include "compare_ui/compare_window.h"
#include "panels/resource_pages.h"

#include "params_ui/para_callbacks.h"

namespace panels::res {

void AddPara3Page(std::vector<ControlDef> &c)
{
    const int P3 = PAGE_PARA3;
    c.push_back(bind(ring(PARA3_TRIG_MODE, P3, "EXT-IN0-TRIG-MODE", {row(0), kColA, kFieldH, kFieldW},
                          {{"IN0 MODE 0", 0},
                           {"IN0 MODE 1", 1},
                           {"IN0 MODE 2", 2},
                           {"IN0 MODE 3", 3},
                           {"IN0 MODE 4", 4},
                           {"IN0 MODE 5", 5}}),
                     CC_DROP_TrigMode));
    c.push_back(bind(ring(PARA3_HW_MODE, P3, "HARDWARE OPERATION-MODE", {row(0), kColB, kFieldH, kFieldW},
                          {{"DISABLE ALL", 0}, {"ENABLE ALL", 1}, {"ENABLE BTN", 2}, {"ENABLE POTI", 3}}),
                     CC_DROPhardware));
    c.push_back(bind(ring(PARA3_OP_MODE, P3, "CCD-OPERATION-MODE", {row(1), kColA, kFieldH, kFieldW},
                          {{"NORMAL-SPEED", 0}, {"DOUBLE-SPEED", 1}, {"QUAD-SPEED", 2}}),
                     CC_DROPopMode));
    c.push_back(bind(ring(PARA3_INTRG_MODE, P3, "INTERNAL-TRIGGER-MODE", {row(1), kColB, kFieldH, kFieldW},
                          {{"OFF", 0}, {"INT. TRIGGER MODE 1", 1}, {"INT. TRIGGER MODE 2", 2}}),
                     CC_DROPintrgMode));
    c.push_back(
        bind(numeric(PARA3_TRG_PIX, P3, "MIN-TRIGGER-PIXEL [pixel]", {row(2), kColB, kFieldH, 100}, 0, 65535, 0),
             CC_NUMtrgPix));
    c.push_back(make(PARA3_COMPARE, Kind::Button, P3, "COMPARE SETS", {row(3), kColA, 24, 150}, CC_BTNcompareSets));
}

} // namespace panels::res
