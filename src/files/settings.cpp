#include "files/settings.h"

#include "app/state.h"
#include "app/statusline.h"
#include "app/text.h"
#include "calib/calrec.h"
#include "ini/ini.h"
#include "link/connection.h"
#include "link/hwinfo.h"
#include "link/transport.h"
#include "plant/plant_link.h"
#include "ui/comm.h"
#include "panels/resource.h"
#include "ui/runtime.h"
#include "ui/system.h"

#include <cstdint>
#include <cstring>
#include <string>

using namespace ui;
using namespace panels;

namespace {

constexpr const char *kConnection = "CONNECTION";
constexpr const char *kAddresses = "IP ADDRESSES";
constexpr const char *kApplication = "APPLICATION";
constexpr const char *kHardware = "HARDWAREINFO";
constexpr const char *kSerialPorts = "SERIAL PORTS";
constexpr int kMaxComPort = 255;

std::string comKey(int port, const char *what) { return "COM" + std::to_string(port) + " " + what; }

// Serial devices bound to COM numbers: "COM<n> DEVICE", "COM<n> SERIAL", "COM<n> NAME".
void readSerialBindings(IniText ini)
{
    for (int port : BoundComPorts())
        SetComPortBinding(port, {});
    if (!ini)
        return;
    char text[kPathSize];
    for (int port = 1; port <= kMaxComPort; ++port) {
        if (Ini_GetStringIntoBuffer(ini, kSerialPorts, comKey(port, "DEVICE").c_str(), text, sizeof text) != 1 ||
            text[0] == '\0')
            continue;
        ComPortBinding binding;
        binding.device = text;
        if (Ini_GetStringIntoBuffer(ini, kSerialPorts, comKey(port, "SERIAL").c_str(), text, sizeof text) == 1)
            binding.serialNumber = text;
        if (Ini_GetStringIntoBuffer(ini, kSerialPorts, comKey(port, "NAME").c_str(), text, sizeof text) == 1)
            binding.description = text;
        SetComPortBinding(port, binding);
    }
}

void writeSerialBindings(IniText ini)
{
    for (int port : BoundComPorts()) {
        const ComPortBinding b = GetComPortBinding(port);
        Ini_PutString(ini, kSerialPorts, comKey(port, "DEVICE").c_str(), b.device.c_str());
        Ini_PutString(ini, kSerialPorts, comKey(port, "SERIAL").c_str(), b.serialNumber.c_str());
        Ini_PutString(ini, kSerialPorts, comKey(port, "NAME").c_str(), b.description.c_str());
    }
}

void takeDefaults()
{
    comtype = 0;
    rs232baudrate = 4;
    rs232port = 1;
    CopyText(szPortNum, "10001");
    std::memset(szIPhostName, 0, sizeof szIPhostName);
}

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
    if (Ini_GetInt(ini, kApplication, "Panel pos. x", &x) == 1 && Ini_GetInt(ini, kApplication, "Panel pos. y", &y) == 1)
        SetPanelPos(pPA, y, x);
    // The writer's key carries a trailing blank; the store trims blanks around keys.
    if (Ini_GetInt(ini, kApplication, "Panel width", &width) == 1 &&
        Ini_GetInt(ini, kApplication, "Panel height", &height) == 1)
        SetPanelSize(pPA, height, width);
}

void readUnitSwitch(IniText ini)
{
    std::int32_t state = 0;
    if (Ini_GetInt(ini, kApplication, "GUI mmButtonState", &state) != 1)
        return;
    SetCtrlVal(pPA, MAIN_MM_SWITCH, state == 1 ? 1 : 0);
    mm_flag = state == 1 ? 1 : 0;
    xARRAY = state == 1 ? xArray_mm : xArray_pi;
    SetAxisPrecision(pPA, MAIN_VIDEO_GRAPH, XAXIS, state == 1 ? 1 : 0);
}

} // namespace

void ReadIniFile(const char *path)
{
    IniText ini = nullptr;
    if (!path || !FileExists(path)) {
        takeDefaults();
    } else if (ini = Ini_New(0); !ini || Ini_ReadFromFile(ini, path) < 0) {
        takeDefaults();
    } else {
        std::int32_t value = 0;
        if (Ini_GetInt(ini, kConnection, "COMM TYPE", &value) == 1 && (value == 0 || value == 1))
            comtype = static_cast<std::uint16_t>(value);
        if (Ini_GetInt(ini, kConnection, "RS232 PORT", &value) == 1 && value >= 1 && value <= 255)
            rs232port = static_cast<std::uint16_t>(value);
        if (Ini_GetInt(ini, kConnection, "RS232 BAUDRATE", &value) == 1 && value >= 0 && value <= 4)
            rs232baudrate = static_cast<std::uint16_t>(value);
        readAddressList(ini);
        if (Ini_GetStringIntoBuffer(ini, kConnection, "IP ADDRESS", szIPhostName, sizeof szIPhostName) != 1)
            std::memset(szIPhostName, 0, sizeof szIPhostName);
        if (Ini_GetStringIntoBuffer(ini, kConnection, "PORT NUMBER", szPortNum, sizeof szPortNum) != 1)
            CopyText(szPortNum, "10001");
        readGeometry(ini);
        readUnitSwitch(ini);
    }
    readSerialBindings(ini);
    LoadPlantSettings(ini);
    Ini_Dispose(ini);
    ShowConnectionSettings();
    char *end = nullptr;
    const long port = std::strtol(szPortNum, &end, 10);
    if (end != szPortNum && port > 0 && port <= 65535)
        tcpport = static_cast<int>(port);
}

int WriteIniFile(const char *path)
{
    IniText ini = Ini_New(0);
    if (!ini)
        return -1;
    TakeConnectionSettings();

    Ini_PutInt(ini, kConnection, "COMM TYPE", comtype);
    Ini_PutInt(ini, kConnection, "RS232 PORT", rs232port);
    Ini_PutInt(ini, kConnection, "RS232 BAUDRATE", rs232baudrate);
    Ini_PutString(ini, kConnection, "IP ADDRESS", szIPhostName);
    Ini_PutString(ini, kConnection, "PORT NUMBER", szPortNum);

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
    Ini_PutInt(ini, kHardware, "Hardware-Type", HWTYPE >= 1 && HWTYPE <= 3 ? HWTYPE : 0);
    writeSerialBindings(ini);
    WritePlantSettings(ini, plantSettings);

    const int written = path ? Ini_WriteToFile(ini, path) : -1;
    Ini_Dispose(ini);
    if (written < 0) {
        CopyText(szStatus, kTextSettingsNotWritten);
        ShowStatus();
        return -1;
    }
    SetFileHidden(path);
    RestrictPlantSettingsFile(path);
    return 1;
}
