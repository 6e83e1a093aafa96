#include "params/transfer.h"

#include "app/state.h"
#include "app/statusline.h"
#include "app/text.h"
#include "display/buffers.h"
#include "link/orders.h"
#include "params/mapping.h"
#include "params/pset.h"
#include "ui/resource.h"
#include "ui/runtime.h"

#include <cstring>

int target = RAM;

void PushGET(std::uint16_t where)
{
    if (where != DATFILE) {
        const unsigned char order = where == EEPROM ? ORDER_READ_PARA_EE : ORDER_READ_PARA_RAM;
        if (IssueOrder(order, 0) != 1) {
            CopyText(szStatus, "Timeout-RS-232...");
            ShowStatus();
            return;
        }
        CopyAnswerData(&pset, sizeof pset);
        CopyText(szStatus, "Parameter-frame received! - Line Ok!");
    }
    if (pset.Video_Thd_Mode == 1 && where != DATFILE && stop_flag == 1 && teach_flag == 0) {
        ui::SetCtrlVisible(pPA, ui::MAIN_VIDEO_GRAPH, true);
        ui::SetCtrlVisible(pPA, ui::MAIN_ROLL_GRAPH, false);
        if (GetDATA(1) == 1) {
            std::memcpy(thdArrayEE, vtbuf, sizeof thdArrayEE);
            std::memcpy(thdArrayDYN, thdArrayEE, sizeof thdArrayDYN);
        }
    }
    SetPanelValues();
    ShowStatus();
}

void PushSEND(std::uint16_t where)
{
    const unsigned char order = where == EEPROM ? ORDER_WRITE_PARA_EE : ORDER_WRITE_PARA_RAM;
    if (IssueOrder(order, 0, &pset, sizeof pset) == 1)
        CopyText(szStatus, "Transmission successful - Line Ok!");
    else
        CopyText(szStatus, "Transmission error [SEND]!");
    ShowStatus();
}
