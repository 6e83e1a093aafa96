// SPDX-License-Identifier: GPL-3.0-or-later

#include "main_ui/hwtype.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "ui/runtime.h"

using namespace ui;
using namespace panels;

ModelGeometry GeometryOfHardwareType(std::int32_t hardwareType)
{
    struct Row {
        std::int32_t code;
        ModelGeometry geometry;
    };
    static constexpr Row kModels[] = {
        {517311, {2.5, 10000}}, {517422, {2.5, 10000}},  {517465, {3.5, 14000}},
        {517312, {5.0, 20000}}, {517318, {5.0, 20000}},  {517204, {7.5, 30000}},
        {517449, {7.5, 30000}}, {517314, {10.0, 40000}}, {517437, {10.0, 40000}},
    };
    for (const Row &row : kModels)
        if (row.code == hardwareType)
            return row.geometry;
    return {5.0, 20000};
}

void selectHARDWARE(int hardwareType)
{
    // The lookup table's layout is the same for every model.
    SetCtrlVal(pCal2, CAL2_SIZE, 2048);
    SetCtrlVal(pCal2, CAL2_DIVISOR, 1);
    SetCtrlVal(pCal2, CAL2_OFFSET, 0.0);

    const ModelGeometry model = GeometryOfHardwareType(hardwareType);
    SetCtrlVal(pCal2, CAL2_SLOPE, model.micronsPerPixel);
    SetCtrlVal(pCal1, CAL1_SLOPE, model.micronsPerPixel);
    SetCtrlVal(pCal2, CAL2_RANGE, static_cast<double>(model.rangeMicrons));
    // A slope fitted for another model means nothing for this one.
    SetCtrlVal(pCal1, CAL1_NEW_SLOPE, 0.0);
}

int CC_DROPhwtype(int panel, int control, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    int code = 0;
    GetCtrlVal(panel, control, &code);
    selectHARDWARE(code);
    return 0;
}
