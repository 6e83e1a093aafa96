// SPDX-License-Identifier: GPL-3.0-or-later

#include "calib_ui/table_loader.h"

#include "base/control_ids.h"
#include "base/popups.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "calib/table_format.h"
#include "ui/runtime.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

using namespace ui;
using namespace panels;

namespace {
int loadedBytes = 0;
}

int LoadedTableBytes() { return cal_file_flag == 1 ? loadedBytes : 0; }

bool LoadCalibrationTable(const std::string &path, std::string *error)
{
    if (path.empty() || path.size() >= sizeof calib_fname) {
        *error = "The file name is empty or longer than " + std::to_string(sizeof calib_fname - 1) + " characters";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "Cannot open " + path;
        return false;
    }
    std::vector<char> content(static_cast<std::size_t>(kMaxCalibTableFileBytes) + 1);
    file.read(content.data(), static_cast<std::streamsize>(content.size()));
    if (file.bad()) {
        *error = "Cannot read " + path;
        return false;
    }
    const auto got = static_cast<std::size_t>(file.gcount());
    if (got > static_cast<std::size_t>(kMaxCalibTableFileBytes)) {
        *error = "The file is larger than " + std::to_string(kMaxCalibTableFileBytes) + " bytes";
        return false;
    }
    int size = 0;
    GetCtrlVal(pCal2, CAL2_SIZE, &size);
    const auto xfSize = static_cast<std::uint16_t>(size);
    unsigned char table[kCalibTableBytes];
    std::string reason;
    if (!ParseCalibrationTable(content.data(), got, xfSize, table, &reason)) {
        *error = reason;
        return false;
    }
    std::memcpy(linArray, table, sizeof table);
    loadedBytes = 2 * CalibrationTableEntries(xfSize);
    CopyText(calib_fname, path.c_str());
    cal_file_flag = 1;
    return true;
}

int CC_BTNloadtable(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    const FileSelectRequest request =
        MakeFileSelectRequest(proj_dir, "", "*.txt", "Load calibration table", FileSelectMode::Load);
    std::string path;
    if (CurrentPopups().FileSelect(request, &path) == VAL_NO_FILE_SELECTED)
        return 0;
    std::string error;
    if (!LoadCalibrationTable(path, &error)) {
        MessagePopup("Calibration table", (error + "\nThe table in use is unchanged.").c_str());
        return 0;
    }
    SetCtrlVal(pCal2, CAL2_FILENAME, calib_fname);
    SetCtrlDimmed(pCalib, CALIB_RBT_LOOKUP, false);
    char text[kTextSize];
    FormatText(text, sizeof text, "Calibration table loaded: %d entries", LoadedTableBytes() / 2);
    ShowStatusText(text);
    return 0;
}
