// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/settings_window.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "calib/calrec.h"
#include "files/settings.h"
#include "ini/ini.h"
#include "link_ui/connection.h"
#include "plant/plant_link.h"
#include "ui/runtime.h"

#include <cstdint>
#include <string>

using namespace ui;
using namespace panels;

namespace {

constexpr const char *kAddresses = "IP ADDRESSES";
constexpr const char *kApplication = "APPLICATION";

std::string addressKey(int number) { return "IP ADDR " + std::to_string(number); }

void readAddressList(IniText ini)
{
    std::int32_t count = 0;
    if (Ini_GetInt(ini, kAddresses, "LIST ITEMS", &count) != 1)
        return;
    if (count > kMaxIpAddresses)
        count = kMaxIpAddresses;
    // The list shows exactly the stored entries, in their stored order.
    ClearListCtrl(pConn, CONN_IPADDR);
    for (int k = 1; k <= count; ++k) {
        char address[1024] = {};
        if (Ini_GetStringIntoBuffer(ini, kAddresses, addressKey(k).c_str(), address, sizeof address) == 1)
            InsertListItem(pConn, CONN_IPADDR, -1, address, 0);
    }
}

void readGeometry(IniText ini)
{
    std::int32_t maximised = 0;
    if (Ini_GetInt(ini, kApplication, "Panel max", &maximised) != 1)
        return;
    if (maximised == 1) {
        SetPanelMaximized(pPA, true);
        return;
    }
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    if (Ini_GetInt(ini, kApplication, "Panel pos. x", &x) == 1 &&
        Ini_GetInt(ini, kApplication, "Panel pos. y", &y) == 1)
        SetPanelPos(pPA, y, x);
    // The writer's key carries a trailing blank; the store trims blanks around keys.
    if (Ini_GetInt(ini, kApplication, "Panel width", &width) == 1 &&
        Ini_GetInt(ini, kApplication, "Panel height", &height) == 1)
        SetPanelSize(pPA, height, width);
}

// The file has set mm_flag; the switch and the video graph's axis follow it.
void showUnitSwitch(IniText ini)
{
    std::int32_t state = 0;
    if (Ini_GetInt(ini, kApplication, "GUI mmButtonState", &state) != 1)
        return;
    SetCtrlVal(pPA, MAIN_MM_SWITCH, mm_flag);
    SetAxisPrecision(pPA, MAIN_VIDEO_GRAPH, XAXIS, mm_flag == 1 ? 1 : 0);
}

void readWindow(IniText ini)
{
    if (ini) {
        readAddressList(ini);
        readGeometry(ini);
        showUnitSwitch(ini);
    }
    ShowConnectionSettings();
}

void writeWindow(IniText ini)
{
    int count = 0;
    GetNumListItems(pConn, CONN_IPADDR, &count);
    if (count > kMaxIpAddresses)
        count = kMaxIpAddresses;
    if (count < 0)
        count = 0;
    Ini_PutInt(ini, kAddresses, "LIST ITEMS", count);
    for (int i = 0; i < count; ++i) {
        std::string label;
        GetListItemLabel(pConn, CONN_IPADDR, i, &label);
        Ini_PutString(ini, kAddresses, addressKey(i + 1).c_str(), label.c_str());
    }

    int top = 0, left = 0, height = 0, width = 0, mm = 0;
    GetPanelPos(pPA, &top, &left);
    GetPanelSize(pPA, &height, &width);
    GetCtrlVal(pPA, MAIN_MM_SWITCH, &mm);
    Ini_PutInt(ini, kApplication, "Panel max", IsPanelMaximized(pPA) ? 1 : 0);
    Ini_PutInt(ini, kApplication, "Panel pos. x", left);
    Ini_PutInt(ini, kApplication, "Panel pos. y", top);
    Ini_PutInt(ini, kApplication, "Panel width ", width);
    Ini_PutInt(ini, kApplication, "Panel height", height);
    Ini_PutInt(ini, kApplication, "GUI mmButtonState", mm);
}

void writePlantSection(IniText ini) { WritePlantSettings(ini, plantSettings); }

} // namespace

void InstallWindowSettings()
{
    SettingsSection window;
    window.take = TakeConnectionSettings;
    window.read = readWindow;
    window.write = writeWindow;
    SetWindowSettings(window);

    SettingsSection plant;
    plant.read = LoadPlantSettings;
    plant.write = writePlantSection;
    plant.written = RestrictPlantSettingsFile;
    AddSettingsSection(plant);
}
