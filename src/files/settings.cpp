// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/settings.h"

#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "ini/ini.h"
#include "link/hwinfo.h"
#include "link/transport.h"
#include "platform/comm.h"
#include "platform/system.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace ui;

namespace {

constexpr const char *kApplication = "APPLICATION";
constexpr const char *kConnection = "CONNECTION";
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

void readUnitSwitch(IniText ini)
{
    std::int32_t state = 0;
    if (Ini_GetInt(ini, kApplication, "GUI mmButtonState", &state) != 1)
        return;
    mm_flag = state == 1 ? 1 : 0;
    xARRAY = state == 1 ? xArray_mm : xArray_pi;
}

SettingsSection g_window;
std::vector<SettingsSection> g_sections;

// The run-only link, and the file's own link it stands in for.
struct FileLink {
    std::uint16_t comtype = 0, rs232port = 1, rs232baudrate = 4;
    std::string host, port;
};
bool g_runOnly = false;
RunOnlyLink g_runOnlyLink;
FileLink g_fileLink;

void applyRunOnlyLink()
{
    g_fileLink = {comtype, rs232port, rs232baudrate, szIPhostName, szPortNum};
    comtype = g_runOnlyLink.tcp ? 1 : 0;
    if (g_runOnlyLink.tcp) {
        CopyText(szIPhostName, g_runOnlyLink.host.c_str());
        CopyText(szPortNum, std::to_string(g_runOnlyLink.port).c_str());
    } else {
        rs232port = static_cast<std::uint16_t>(g_runOnlyLink.comPort);
        rs232baudrate = static_cast<std::uint16_t>(g_runOnlyLink.baudIndex);
    }
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
        if (Ini_GetStringIntoBuffer(ini, kConnection, "IP ADDRESS", szIPhostName, sizeof szIPhostName) != 1)
            std::memset(szIPhostName, 0, sizeof szIPhostName);
        if (Ini_GetStringIntoBuffer(ini, kConnection, "PORT NUMBER", szPortNum, sizeof szPortNum) != 1)
            CopyText(szPortNum, "10001");
        readUnitSwitch(ini);
    }
    if (g_runOnly)
        applyRunOnlyLink();
    readSerialBindings(ini);
    char *end = nullptr;
    const long port = std::strtol(szPortNum, &end, 10);
    if (end != szPortNum && port > 0 && port <= 65535)
        tcpport = static_cast<int>(port);
    if (g_window.read)
        g_window.read(ini);
    for (const SettingsSection &section : g_sections)
        if (section.read)
            section.read(ini);
    Ini_Dispose(ini);
}

int WriteIniFile(const char *path)
{
    IniText ini = Ini_New(0);
    if (!ini)
        return -1;
    if (g_window.take)
        g_window.take();

    const FileLink inUse{comtype, rs232port, rs232baudrate, szIPhostName, szPortNum};
    const FileLink &link = g_runOnly ? g_fileLink : inUse;
    Ini_PutInt(ini, kConnection, "COMM TYPE", link.comtype);
    Ini_PutInt(ini, kConnection, "RS232 PORT", link.rs232port);
    Ini_PutInt(ini, kConnection, "RS232 BAUDRATE", link.rs232baudrate);
    Ini_PutString(ini, kConnection, "IP ADDRESS", link.host.c_str());
    Ini_PutString(ini, kConnection, "PORT NUMBER", link.port.c_str());

    if (g_window.write)
        g_window.write(ini);
    Ini_PutInt(ini, kHardware, "Hardware-Type", HWTYPE >= 1 && HWTYPE <= 3 ? HWTYPE : 0);
    writeSerialBindings(ini);
    for (const SettingsSection &section : g_sections)
        if (section.write)
            section.write(ini);

    const int written = path ? Ini_WriteToFile(ini, path) : -1;
    Ini_Dispose(ini);
    if (written < 0) {
        CopyText(szStatus, kTextSettingsNotWritten);
        ShowStatus();
        return -1;
    }
    SetFileHidden(path);
    for (const SettingsSection &section : g_sections)
        if (section.written)
            section.written(path);
    return 1;
}

void SetRunOnlyLink(const RunOnlyLink &link)
{
    g_runOnly = true;
    g_runOnlyLink = link;
}

void ForgetRunOnlyLink() { g_runOnly = false; }

void SetWindowSettings(const SettingsSection &section) { g_window = section; }

void AddSettingsSection(const SettingsSection &section)
{
    for (const SettingsSection &known : g_sections)
        if (known.read == section.read && known.write == section.write && known.written == section.written)
            return;
    g_sections.push_back(section);
}
