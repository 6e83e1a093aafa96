// SPDX-License-Identifier: GPL-3.0-or-later

#include "compare_ui/compare_window.h"

#include "base/control_ids.h"
#include "base/popups.h"
#include "base/state.h"
#include "cli/backup_file.h"
#include "display/measure.h"
#include "files/change_watch.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "params/compare.h"
#include "params/parafile.h"
#include "params_ui/mapping.h"
#include "platform/system.h"
#include "ui/runtime.h"

#include <fstream>
#include <optional>
#include <sstream>

using namespace ui;
using namespace panels;

int pCompare = 0;

namespace {

constexpr int kDiffers = 0xFFE08A; // a cell that differs from the pages

std::optional<ParameterSet> g_sets[kCompareColumns];
std::string g_fileNote;

void say(const std::string &text, int color = VAL_BLACK)
{
    SetCtrlVal(pCompare, COMPARE_NOTE, text.c_str());
    SetCtrlTextColor(pCompare, COMPARE_NOTE, color);
}

// What SEND would send now: the pages' values over the set in memory.
ParameterSet panelSet()
{
    GetPanelValues();
    return pset;
}

bool readSet(unsigned char order, ParameterSet *set)
{
    if (IssueOrder(order, 0) != 1)
        return false;
    CopyAnswerData(set, sizeof *set);
    return true;
}

bool endsWith(const std::string &s, const char *tail)
{
    const std::string t = tail;
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

} // namespace

int OpenCompareWindow()
{
    if (pCompare == 0) {
        pCompare = LoadPanel(0, PANEL_COMPARE);
        if (pCompare < 0) {
            pCompare = 0;
            return -1;
        }
    }
    RefreshCompareWindow();
    DisplayPanel(pCompare);
    return 0;
}

void RefreshCompareWindow()
{
    if (pCompare == 0)
        return;
    g_sets[COMPARE_PANEL] = panelSet();
    const ParameterSet &panel = *g_sets[COMPARE_PANEL];
    bool rowDiffers[kCompareRows] = {};
    for (int column = 0; column < kCompareColumns; ++column) {
        const std::optional<ParameterSet> &set = g_sets[column];
        const std::vector<ParameterDifference> fields = CompareParameterSets(panel, set ? *set : panel, true);
        for (int row = 0; row < kCompareRows && row < static_cast<int>(fields.size()); ++row) {
            const ParameterDifference &f = fields[row];
            std::string text;
            if (set) {
                text = std::to_string(f.right);
                const std::string shown = ShownParameterText(f.key, f.right);
                if (!shown.empty())
                    text += "  " + shown;
            }
            const bool differs = set && f.left != f.right;
            rowDiffers[row] = rowDiffers[row] || differs;
            SetCtrlVal(pCompare, CompareCellId(row, column), text.c_str());
            SetCtrlBackColor(pCompare, CompareCellId(row, column), differs ? kDiffers : VAL_WHITE);
        }
    }
    int differing = 0;
    for (bool d : rowDiffers)
        differing += d;
    std::string summary = std::to_string(differing) + " of " + std::to_string(kCompareRows) + " fields differ";
    if (g_sets[COMPARE_RAM] && g_sets[COMPARE_EEPROM])
        summary += " (RAM vs EEPROM: " +
                   std::to_string(CompareParameterSets(*g_sets[COMPARE_RAM], *g_sets[COMPARE_EEPROM]).size()) + ")";
    SetCtrlVal(pCompare, COMPARE_SUMMARY, summary.c_str());
    for (auto [column, button] : {std::pair{COMPARE_RAM, COMPARE_TAKE_RAM},
                                  {COMPARE_EEPROM, COMPARE_TAKE_EEPROM},
                                  {COMPARE_FILE_SET, COMPARE_TAKE_FILE}})
        SetCtrlDimmed(pCompare, button, !g_sets[column]);
}

bool ReadSensorSetsForCompare()
{
    if (RequestsWaitForLoop()) {
        say("STOP the measurement or the recorder first: the sets are read between frames only by GET.", VAL_RED);
        return false;
    }
    ParameterSet ram{}, eeprom{};
    if (!readSet(ORDER_READ_PARA_RAM, &ram) || !readSet(ORDER_READ_PARA_EE, &eeprom)) {
        say("The sensor did not answer: RAM and EEPROM are not read.", VAL_RED);
        return false;
    }
    g_sets[COMPARE_RAM] = ram;
    g_sets[COMPARE_EEPROM] = eeprom;
    say("RAM and EEPROM read from sensor " + std::to_string(hwinfo.serialNo) + ".");
    RefreshCompareWindow();
    return true;
}

bool LoadCompareFile(const std::string &path)
{
    ParameterSet set = pset;
    std::string note;
    if (endsWith(path, ".json")) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        cli::Backup backup;
        std::string error;
        if (!in || !cli::BackupFromJson(bytes.str(), backup, error)) {
            say("Not a backup: " + path + (error.empty() ? "" : " - " + error), VAL_RED);
            return false;
        }
        set = backup.eeprom;
        note = "FILE: the EEPROM set of backup " + path + " (" + backup.time + ")";
        if (backup.identity.hardwareType != hwinfo.hardwareType || backup.identity.pixelCount != PixelCount())
            note = "BACKUP OF ANOTHER SENSOR TYPE: hardware type " + std::to_string(backup.identity.hardwareType) +
                   ", " + std::to_string(backup.identity.pixelCount) +
                   " pixels (this sensor: " + std::to_string(hwinfo.hardwareType) + ", " +
                   std::to_string(PixelCount()) + " pixels) - " + path;
    } else {
        std::string refused;
        if (ReadParaFromIniFile(&set, path.c_str(), &refused) < 0) {
            say("Not a parameter file: " + path + (refused.empty() ? "" : " - refused value " + refused), VAL_RED);
            return false;
        }
        note = "FILE: " + path;
    }
    g_sets[COMPARE_FILE_SET] = set;
    SetCtrlVal(pCompare, COMPARE_FILE_NAME, note.c_str());
    SetCtrlTextColor(pCompare, COMPARE_FILE_NAME, note.rfind("BACKUP OF ANOTHER", 0) == 0 ? VAL_RED : VAL_BLACK);
    say("");
    RefreshCompareWindow();
    return true;
}

bool TakeCompareColumn(CompareColumn column)
{
    if (!g_sets[column])
        return false;
    pset = *g_sets[column];
    SetPanelValues();
    say("The set is on the pages: SEND puts it into the sensor.");
    RefreshCompareWindow();
    return true;
}

void CloseCompareWindow()
{
    if (pCompare != 0)
        HidePanel(pCompare);
}

void DiscardCompareWindow()
{
    if (pCompare != 0)
        DiscardPanel(pCompare);
    pCompare = 0;
    for (std::optional<ParameterSet> &set : g_sets)
        set.reset();
}

int CC_BTNcompareSets(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        OpenCompareWindow();
    return 0;
}

int CC_PANELcompare(int, int, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        CloseCompareWindow();
    return 0;
}

int CC_BTNcompareRead(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        ReadSensorSetsForCompare();
    return 0;
}

int CC_BTNcompareFile(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    const FileSelectRequest request =
        MakeFileSelectRequest(proj_dir, "", "*.ini;*.json", "Parameter-File or backup to compare",
                              FileSelectMode::Load);
    std::string path;
    if (CurrentPopups().FileSelect(request, &path) != VAL_NO_FILE_SELECTED && !path.empty())
        LoadCompareFile(path);
    return 0;
}

int CC_BTNcompareTake(int, int control, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    TakeCompareColumn(control == COMPARE_TAKE_RAM      ? COMPARE_RAM
                      : control == COMPARE_TAKE_EEPROM ? COMPARE_EEPROM
                                                       : COMPARE_FILE_SET);
    return 0;
}

int CC_BTNcompareClose(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        CloseCompareWindow();
    return 0;
}
