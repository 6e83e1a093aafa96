// SPDX-License-Identifier: GPL-3.0-or-later

#include "link_ui/serial_devices.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "params_ui/help.h"
#include "platform/comm.h"
#include "ui/runtime.h"

#include <vector>

using namespace ui;
using namespace panels;

namespace {

constexpr int kNoBinding = -1;
constexpr int kMissingBase = 100000; // item values of missing bound devices: base + COM number

std::vector<SerialDeviceInfo> g_listed; // the devices behind the list's items

std::string describe(const SerialDeviceInfo &d)
{
    std::string text = d.device;
    std::string extra = d.description;
    if (!d.manufacturer.empty())
        extra += (extra.empty() ? "" : ", ") + d.manufacturer;
    if (!d.serialNumber.empty())
        extra += (extra.empty() ? "S/N " : ", S/N ") + d.serialNumber;
    if (!extra.empty())
        text += " (" + extra + ")";
    return text;
}

int comPortShown()
{
    int port = 1;
    GetCtrlVal(pConn, CONN_COMPORT, &port);
    return port;
}

void report(const std::string &text)
{
    CopyText(szStatus, text.c_str());
    ShowStatus();
    LogStatusLine(text.c_str());
}

} // namespace

std::string MissingBoundDeviceText(int port)
{
    if (!ComPortBindingMissing(port))
        return {};
    const ComPortBinding b = GetComPortBinding(port);
    std::string text = "COM" + std::to_string(port) + ": " + b.device;
    if (!b.description.empty())
        text += " (" + b.description + ")";
    return text + " is missing!";
}

void FillSerialDeviceList()
{
    g_listed = ListSerialDevices();
    ClearListCtrl(pConn, CONN_SERIAL_DEVICES);
    InsertListItem(pConn, CONN_SERIAL_DEVICES, -1, "(no binding)", kNoBinding);
    for (size_t i = 0; i < g_listed.size(); ++i)
        InsertListItem(pConn, CONN_SERIAL_DEVICES, -1, describe(g_listed[i]).c_str(), static_cast<int>(i));
    for (int port : BoundComPorts())
        if (ComPortBindingMissing(port)) {
            const ComPortBinding b = GetComPortBinding(port);
            const std::string label = "COM" + std::to_string(port) + ": " + b.device + " - MISSING";
            InsertListItem(pConn, CONN_SERIAL_DEVICES, -1, label.c_str(), kMissingBase + port);
        }
    SetCtrlVal(pConn, CONN_SERIAL_DEVICES, kNoBinding);
}

int CC_DROPserialDevice(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK) {
        ShowParameterHelp(
            pConn, control,
            "SERIAL DEVICE:\nThe serial devices present on this PC.\nBIND gives the chosen device the "
            "COM-PORT number\nshown above; a USB adapter keeps it when it\ncomes back under another name.");
    }
    return 0;
}

int CC_BTNbindSerialDevice(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        ShowParameterHelp(pConn, control,
                          "BIND:\nGive the serial device chosen beside the\nCOM-PORT number shown above: this number\n"
                          "opens that device from now on.\n(no binding) takes the binding away.");
    if (event != EVENT_COMMIT)
        return 0;
    const int port = comPortShown();
    int item = kNoBinding;
    GetCtrlVal(pConn, CONN_SERIAL_DEVICES, &item);
    if (item == kNoBinding) {
        SetComPortBinding(port, {});
        report("COM" + std::to_string(port) + ": binding removed");
    } else if (item >= 0 && item < static_cast<int>(g_listed.size())) {
        const SerialDeviceInfo &d = g_listed[static_cast<size_t>(item)];
        SetComPortBinding(port, {d.device, d.serialNumber, d.description});
        report("COM" + std::to_string(port) + " bound to " + d.device);
    }
    FillSerialDeviceList();
    return 0;
}
