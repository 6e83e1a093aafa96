#include "calib/procedure.h"

#include "app/state.h"
#include "app/statusline.h"
#include "app/text.h"
#include "link/orders.h"
#include "params/pset.h"

int ActivateCalibration(std::uint16_t mode)
{
    unsigned short address = 0;
    const void *data = nullptr;
    unsigned short length = 0;
    if (mode == 1) {
        CopyText(szStatus, "START calibration ...");
        address = 1;
    } else if (mode == 2) {
        CopyText(szStatus, "SAVE calibration ...");
        address = 2;
        data = &pset.um_Slope;
        length = sizeof pset.um_Slope;
    } else {
        CopyText(szStatus, "STOP calibration ...");
    }
    int result = 0;
    if (IssueOrder(ORDER_CALIBRATION, address, data, length) == 1) {
        AppendText(szStatus, " -> Ok!");
    } else {
        CopyText(szStatus, LinkFailureText("Calibration error! - Timeout RS232-Line!",
                                           "Calibration error! - TCP-Server-error!"));
        result = -1;
    }
    ShowStatus();
    return result;
}
