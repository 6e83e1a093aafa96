// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/sensor.h"

#include "base/state.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "files/locations.h"
#include "files/settings.h"
#include "link/frame.h"
#include "link/hwinfo.h"
#include "link/ident.h"
#include "link/orders.h"
#include "link/transport.h"
#include "platform/comm.h"
#include "platform/events.h"
#include "platform/system.h"

#include <cstring>

namespace cli {

namespace {

// Serial devices given by path are opened through a COM number no operator binds.
constexpr int kDevicePort = 256;

bool g_settingsRead = false;

void readSettingsOnce()
{
    if (g_settingsRead)
        return;
    g_settingsRead = true;
    const std::string directory = ui::ProgramDirectory();
    const FileLocations where = ChooseFileLocations(directory, ui::DirectoryWritable(directory));
    if (ui::FileExists(where.settingsFile))
        ReadIniFile(where.settingsFile.c_str());
}

} // namespace

std::string StatusText()
{
    std::string text = szStatus;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

namespace {

// A server that takes the connection and closes it at once (or answers with its own text)
// holds the sensor for another client.
bool heldByAnotherClient()
{
    if (comtype != 1)
        return false;
    ui::DelayWithEventProcessing(0.05);
    return link_lost == 1 || tcpcon <= 0;
}

} // namespace

const char *TargetName(SetTarget target) { return target == SetTarget::Ram ? "RAM" : "EEPROM"; }

bool OpenSensorLink(const SensorAddress &address, std::string &error)
{
    CloseOpenLinks();
    if (address.kind == SensorAddress::Kind::Tcp) {
        comtype = 1;
        CopyText(szIPhostName, address.host.c_str());
        tcpport = address.port;
        if (InitTCP_IP() != 1) {
            error = "no connection: " + StatusText();
            return false;
        }
        return true;
    }
    comtype = 0;
    int port = address.com;
    if (address.kind == SensorAddress::Kind::Device) {
        port = kDevicePort;
        SetComPortBinding(port, {address.device, "", ""});
    } else {
        readSettingsOnce();
    }
    rs232port = static_cast<std::uint16_t>(port);
    rs232baudrate = static_cast<std::uint16_t>(address.baudIndex);
    const int code = InitRS232(port, address.baudIndex);
    if (code == 1)
        return true;
    const std::string device = ComPortDevicePath(port);
    if (code == kComCannotOpenPort)
        error = "busy: " + device + " is held by another program";
    else
        error = "no connection: " + device + ": " + RS232ErrorText(code);
    return false;
}

void CloseSensorLink() { CloseOpenLinks(); }

bool IdentifyOpenSensor(Identity &identity, std::string &error)
{
    err_flag = 0;
    const IdentifyOutcome outcome = IdentifySensor();
    identity = {};
    identity.serial = hwinfo.serialNo;
    identity.firmware = szFirmwareVersion;
    if (outcome.hardwareRead) {
        identity.firmwareNo = hwinfo.firmwareNo;
        identity.hardwareType = hwinfo.hardwareType;
        identity.receiverType = hwinfo.receiverType;
        identity.pixelCount = hwinfo.pixelCount;
    }
    identity.served = outcome.served;
    if (outcome.served)
        return true;
    if (!outcome.echoed && heldByAnotherClient())
        error = "busy: the server refused this client (another one holds the sensor)";
    else if (!outcome.refusal.empty())
        error = outcome.refusal;
    else if (!outcome.echoed)
        error = "no answer: " + StatusText();
    else
        error = szStatus[0] ? StatusText() : "not a sensor this program serves";
    for (char &c : error)
        if (c == '\n')
            c = ' ';
    return false;
}

bool ReadSensorSet(SetTarget target, ParameterSet &set, std::string &error)
{
    const unsigned char order = target == SetTarget::Ram ? ORDER_READ_PARA_RAM : ORDER_READ_PARA_EE;
    if (IssueOrder(order, 0) != 1) {
        error = std::string("reading the ") + TargetName(target) + " set failed: " + StatusText();
        return false;
    }
    if (head.length != sizeof set) {
        error = std::string("reading the ") + TargetName(target) + " set: the answer holds " +
                std::to_string(head.length) + " bytes, not " + std::to_string(sizeof set);
        return false;
    }
    CopyAnswerData(&set, sizeof set);
    return true;
}

bool WriteSensorSet(SetTarget target, const ParameterSet &set, std::string &error)
{
    const unsigned char order = target == SetTarget::Ram ? ORDER_WRITE_PARA_RAM : ORDER_WRITE_PARA_EE;
    if (IssueOrder(order, 0, &set, sizeof set) != 1) {
        error = std::string("writing the ") + TargetName(target) + " set failed: " + StatusText();
        return false;
    }
    return true;
}

} // namespace cli
