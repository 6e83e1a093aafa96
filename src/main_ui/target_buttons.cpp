// SPDX-License-Identifier: GPL-3.0-or-later

#include "main_ui/target_buttons.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "params_ui/transfer.h"
#include "ui/runtime.h"

using namespace ui;
using namespace panels;

void SelectStorageTarget(int which)
{
    if (which != EEPROM && which != DATFILE)
        which = RAM;
    SetCtrlVal(pPA, MAIN_RAM, which == RAM ? 1 : 0);
    SetCtrlVal(pPA, MAIN_EEPROM, which == EEPROM ? 1 : 0);
    SetCtrlVal(pPA, MAIN_FILE, which == DATFILE ? 1 : 0);
    target = which;
}

namespace {

// A button switched on selects its target; switched off, the group falls back to RAM
// (which cannot be switched off itself).
int onTargetButton(int panel, int control, int event, int which)
{
    if (event != EVENT_VAL_CHANGED)
        return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    SelectStorageTarget(on ? which : RAM);
    return 0;
}

} // namespace

int CC_RBTRam(int panel, int control, int event, void *, int, int)
{
    return onTargetButton(panel, control, event, RAM);
}
int CC_RBTEeprom(int panel, int control, int event, void *, int, int)
{
    return onTargetButton(panel, control, event, EEPROM);
}
int CC_RBTFile(int panel, int control, int event, void *, int, int)
{
    return onTargetButton(panel, control, event, DATFILE);
}
