// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/hwinfofile.h"

#include "base/popups.h"
#include "base/records.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "ini/ini.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "params/parafile.h"
#include "platform/system.h"
#include <filesystem>

static_assert(sizeof wbuf >= kHardwareDataSize);

std::string FormatHardwareData(const unsigned char *data)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(2 * kHardwareDataSize);
    for (int i = 0; i < kHardwareDataSize; i += 2) {
        const unsigned word = data[i] | (data[i + 1] << 8);
        for (int shift = 12; shift >= 0; shift -= 4)
            text += digits[(word >> shift) & 15];
    }
    return text;
}

int WriteHardwareInfoFile(const char *path)
{
    IniText ini = Ini_New(0);
    if (!ini)
        return -1;
    Ini_PutString(ini, "GENERAL INFO", "FILE TYPE:    ", "Hardware Initial File");
    Ini_PutString(ini, "GENERAL INFO", "VISTA VERSION:", szSoftwareVersion);
    Ini_PutString(ini, "GENERAL INFO", "FIRMWARE VERSION:", szFirmwareVersion);
    Ini_PutString(ini, "HARDWARE INFO", "DATA", FormatHardwareData(wbuf).c_str());
    PutIniParaTags(ini);
    Ini_PutInt(ini, "CALIBDATA", "HW-TYPE:", cal.HW_TYPE);
    Ini_PutInt(ini, "CALIBDATA", "SER-NO:", cal.SER_NO);
    Ini_PutInt(ini, "CALIBDATA", "UM-OFFSET:", cal.UM_OFFSET);
    Ini_PutDouble(ini, "CALIBDATA", "UM-SLOPE:", cal.UM_SLOPE / 16384.0);
    Ini_PutInt(ini, "CALIBDATA", "UM-RANGE:", cal.UM_RANGE);
    Ini_PutInt(ini, "CALIBDATA", "XF-DIVISOR:", cal.XF_DIVISOR);
    Ini_PutInt(ini, "CALIBDATA", "XF-SIZE: ", cal.XF_SIZE);
    const int written = path ? Ini_WriteToFile(ini, path) : -1;
    Ini_Dispose(ini);
    return written < 0 ? -1 : 1;
}

namespace {

// The same file, also when named through a link or another spelling of its directory.
bool sameFile(const std::string &a, const std::string &b)
{
    namespace fs = std::filesystem;
    std::error_code ignored;
    if (fs::equivalent(a, b, ignored))
        return true;
    std::error_code first, second;
    const fs::path pa = fs::weakly_canonical(a, first), pb = fs::weakly_canonical(b, second);
    return !first && !second && pa == pb;
}

// The settings file would lose its link and plant sections until the next close: refused.
// Any other existing file is overwritten only when the operator agrees.
bool mayWriteHardwareInfoTo(const std::string &path)
{
    if (appini_pathname[0] != '\0' && sameFile(path, appini_pathname)) {
        const std::string text = "The Settings-File of the program cannot take the hardware info:\n" + path;
        ui::MessagePopup("ATTENTION!", text.c_str());
        return false;
    }
    return !ui::FileExists(path) || ui::ConfirmPopup("ATTENTION!", "Hardware-Info-File already exists - overwrite ?");
}

} // namespace

void GenerateHardwareInfoFile()
{
    if (IssueOrder(ORDER_HARDWARE_DUMP, kHardwareDumpAddress) != 1) {
        CopyText(szStatus, kTextHwInfoTransmissionError);
        ShowStatus();
        return;
    }
    CopyText(szStatus, kTextHwInfoTransmissionOk);
    CopyAnswerData(wbuf, kHardwareDataSize);

    const ui::FileSelectRequest request =
        ui::MakeFileSelectRequest(proj_dir, "HardwareInfoFile.ini", "*.ini", "Generate Hardware Info File",
                                  ui::FileSelectMode::Save);
    std::string chosen;
    if (ui::CurrentPopups().FileSelect(request, &chosen) != ui::VAL_NO_FILE_SELECTED && !chosen.empty()) {
        CopyText(hwini_pathname, chosen.c_str());
        // A path longer than the buffer would name another file: refuse it instead.
        if (chosen.size() >= sizeof hwini_pathname) {
            CopyText(szStatus, kTextHwInfoNotWritten);
        } else if (!mayWriteHardwareInfoTo(chosen)) {
            CopyText(szStatus, kTextHwInfoNotSaved);
        } else {
            FormatText(szSoftwareVersion, sizeof szSoftwareVersion, "%s %s", szSoftName, szSoftBuildDate);
            if (WriteHardwareInfoFile(hwini_pathname) < 0)
                CopyText(szStatus, kTextHwInfoNotWritten);
        }
    }
    ShowStatus();
}
