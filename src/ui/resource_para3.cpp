// Third parameter page: trigger, housing controls, receiver operating mode.

#include "ui/resource_pages.h"

namespace ui::res {

void AddPara3Page(std::vector<ControlDef> &c)
{
    const int P3 = PAGE_PARA3;
    c.push_back(ring(PARA3_TRIG_MODE, P3, "EXT-IN0-TRIG-MODE", {row(0), kColA, kFieldH, kFieldW},
                     {{"OFF", 0}, {"MODE 1", 1}, {"MODE 2", 2}, {"MODE 3", 3}, {"MODE 4", 4}, {"MODE 5", 5}}));
    c.push_back(ring(PARA3_HW_MODE, P3, "HARDWARE-MODE", {row(0), kColB, kFieldH, kFieldW},
                     {{"DISABLE ALL", 0}, {"ENABLE ALL", 1}, {"ENABLE BTN", 2}, {"ENABLE POTI", 3}}));
    c.push_back(ring(PARA3_OP_MODE, P3, "CCD-OPERATION-MODE", {row(1), kColA, kFieldH, kFieldW},
                     {{"NORMAL-SPEED", 0}, {"DOUBLE-SPEED", 1}, {"QUAD-SPEED", 2}}));
    c.push_back(ring(PARA3_INTRG_MODE, P3, "INTERNAL-TRIGGER", {row(1), kColB, kFieldH, kFieldW},
                     {{"OFF", 0}, {"MODE 1", 1}, {"MODE 2", 2}}));
    c.push_back(numeric(PARA3_TRG_PIX, P3, "MIN-TRIGGER-PIXEL", {row(2), kColB, kFieldH, 100}, 0, 65535, 0));
}

} // namespace ui::res
