// SPDX-License-Identifier: GPL-3.0-or-later

// Compare-sets window: the four columns of sets under the parameter-file keys, the buttons
// that fill them and take them onto the pages.

#include "compare_ui/compare_window.h"
#include "panels/resource_pages.h"
#include "params/parafile.h"

namespace panels::res {

void AddCompareWindow(std::vector<ControlDef> &c)
{
    const int PW = PANEL_COMPARE;
    c.push_back(make(COMPARE_READ, Kind::Button, PW, "READ RAM + EEPROM", {10, 10, 24, 160}, CC_BTNcompareRead));
    c.push_back(make(COMPARE_FILE, Kind::Button, PW, "FILE...", {10, 180, 24, 90}, CC_BTNcompareFile));
    c.push_back(make(COMPARE_CLOSE, Kind::Button, PW, "CLOSE", {10, 900, 24, 80}, CC_BTNcompareClose));
    c.push_back(make(COMPARE_SUMMARY, Kind::TextMessage, PW, "", {14, 290, 16, 600}));
    c.push_back(make(COMPARE_FILE_NAME, Kind::TextMessage, PW, "", {40, 10, 16, 970}));
    c.push_back(make(COMPARE_NOTE, Kind::TextMessage, PW, "", {58, 10, 16, 970}));

    constexpr int kTop = 110, kRowH = 19, kLabelW = 150, kCellW = 205;
    static const char *const heads[kCompareColumns] = {"PANEL", "RAM", "EEPROM", "FILE"};
    for (int col = 0; col < kCompareColumns; ++col)
        c.push_back(
            make(COMPARE_HEAD + col, Kind::TextMessage, PW, heads[col], {kTop - 18, 170 + col * kCellW, 16, 60}));
    const int takeIds[] = {COMPARE_TAKE_RAM, COMPARE_TAKE_EEPROM, COMPARE_TAKE_FILE};
    for (int i = 0; i < 3; ++i)
        c.push_back(make(takeIds[i], Kind::Button, PW, "TAKE", {kTop - 22, 170 + (i + 1) * kCellW + 70, 20, 60},
                         CC_BTNcompareTake));
    for (int row = 0; row < kCompareRows; ++row) {
        const int top = kTop + row * kRowH;
        const char *key = row < kParaKeyCount ? kParaKeys[row].name : "um-Slope";
        c.push_back(make(COMPARE_ROW_LABEL + row, Kind::TextMessage, PW, key, {top + 2, 10, 16, kLabelW}));
        for (int col = 0; col < kCompareColumns; ++col) {
            ControlDef f =
                make(CompareCellId(row, col), Kind::String, PW, "", {top, 170 + col * kCellW, kRowH - 1, kCellW - 5});
            f.indicator = true;
            c.push_back(f);
        }
    }
}

} // namespace panels::res
