// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/xflash.h"

#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "link/orders.h"

int ClearXFLASHpage(std::uint16_t pageAddress)
{
    const int offset = pageAddress - kXflashFirstPage;
    if (offset < 0 || offset % kXflashPageStep != 0 || offset / kXflashPageStep > 15) {
        CopyText(szStatus, "Erase error: no valid XFLASH-Address");
        return -1;
    }
    FormatText(szStatus, sizeof szStatus, "Erase XFLASH-PAGE%d", offset / kXflashPageStep);
    if (IssueOrder(ORDER_ERASE_XFLASH, pageAddress) == 1) {
        AppendText(szStatus, " -> Ok!");
        ShowStatus();
        return 0;
    }
    ShowStatusText(LinkFailureText("Erase-Error:Timeout RS232-Line!", "Erase-Error:Timeout TCP-Server-error!"));
    return -1;
}

int WriteXFLASH(std::uint16_t address, const void *data, std::uint16_t length)
{
    szStatus[0] = '\0';
    if (address < kXflashFirstPage || address > kXflashLastAddress) {
        ShowStatusText("XFLASH write-error -2:address out of range!");
        return -2;
    }
    if (length > kXflashMaxBlock)
        length = kXflashMaxBlock;
    const int ok = IssueOrder(ORDER_WRITE_XFLASH, address, data, length) == 1;
    FormatText(szStatus, sizeof szStatus, ok ? "Write XFLASH OK Addr=0x%x" : "Write XFLASH Error Addr=0x%x", address);
    ShowStatus();
    return ok ? 1 : -1;
}

int WriteCalibDataToXF(const void *data, std::uint16_t length)
{
    if (length > kXflashMaxBlock)
        length = kXflashMaxBlock;
    CopyText(szStatus, "WRITE calibration-data to XFLASH ...");
    int result;
    if (IssueOrder(ORDER_WRITE_CAL_HEADER, kXflashHeaderAddress, data, length) == 1) {
        AppendText(szStatus, " -> Ok!");
        result = 1;
    } else {
        CopyText(szStatus, LinkFailureText("CALIB-Write-Error:Timeout RS232-Line!",
                                           "CALIB-Write-Error:Timeout TCP-Server-error!"));
        result = -1;
    }
    ShowStatus();
    return result;
}

int ReadCalibDataFromXF(void *buffer, std::uint16_t length)
{
    if (length > kXflashMaxBlock)
        length = kXflashMaxBlock;
    CopyText(szStatus, "READ XF-PAGE1 calibration data ...");
    int result;
    if (IssueOrder(ORDER_READ_CAL_HEADER, kXflashHeaderAddress) == 1) {
        CopyAnswerData(buffer, length);
        FormatText(szStatus, sizeof szStatus, "Read XFLASH-ADDR: 0x%x ... Bytes OK: %i", kXflashHeaderAddress,
                   static_cast<int>(length));
        result = 1;
    } else {
        CopyText(szStatus, LinkFailureText("XFlash-Read-Error:Timeout RS232-Line!",
                                           "XFlash-Read-Error:Timeout TCP-Server-error!"));
        result = -1;
    }
    ShowStatus();
    return result;
}
