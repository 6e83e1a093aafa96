#include "params/help.h"

#include "app/shell.h"
#include "app/state.h"
#include "panels/resource.h"
#include "ui/runtime.h"

using namespace ui;
using namespace panels;

void ShowParameterHelp(int page, int control, const char *text)
{
    Rect tab, ctl;
    GetCtrlBoundingRect(pPA, MAIN_TAB, &tab);
    GetCtrlBoundingRect(page, control, &ctl);
    ShowHelpPopup(tab.top + ctl.top + 25, tab.left + tab.width + 5, text);
}

void ShowHelpBesideControl(int panel, int control, int topOffset, int rightOffset, const char *text)
{
    Rect r;
    GetCtrlBoundingRect(panel, control, &r);
    ShowHelpPopup(r.top + topOffset, r.left + r.width + rightOffset, text);
}

bool ParameterHelpOnRightClick(int page, int control, int event, const char *text)
{
    if (event != EVENT_RIGHT_CLICK)
        return false;
    ShowParameterHelp(page, control, text);
    return true;
}
