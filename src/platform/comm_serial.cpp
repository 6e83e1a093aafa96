// SPDX-License-Identifier: GPL-3.0-or-later
// RS-232 services on QSerialPort.

#include "platform/comm.h"
#include "platform/events.h"
#include "platform/system.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <map>
#include <memory>
#include <unistd.h>

namespace {

struct Port {
    std::unique_ptr<QSerialPort> serial;
    double timeout = 1.5;
    int lineErrors = 0;
};

std::map<int, Port> g_ports;
ComLostCallback g_lostCallback = nullptr;

constexpr int kMaxPort = 256;

std::map<int, ComPortBinding> g_bindings;

// The com<n> link beside the program, or empty.
std::string linkedDevice(int port)
{
    const std::string link = ui::JoinPath(ui::ProgramDirectory(), "com" + std::to_string(port));
    char target[4096];
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0)
        return {};
    target[n] = '\0';
    // A relative link target is relative to the link's own directory.
    if (target[0] != '/')
        return ui::JoinPath(ui::ProgramDirectory(), target);
    return target;
}

// The bound device as it is present now: by serial number when it has one (a USB
// adapter may come back under another name), else by its path. Empty when missing.
std::string presentBoundDevice(const ComPortBinding &b)
{
    if (!b.serialNumber.empty())
        for (const SerialDeviceInfo &d : ListSerialDevices())
            if (d.serialNumber == b.serialNumber)
                return d.device;
    return ui::FileExists(b.device) ? b.device : std::string();
}

Port *openPort(int port)
{
    auto it = g_ports.find(port);
    if (it == g_ports.end() || !it->second.serial || !it->second.serial->isOpen())
        return nullptr;
    return &it->second;
}

} // namespace

std::string ComPortDevicePath(int port)
{
    if (std::string linked = linkedDevice(port); !linked.empty())
        return linked;
    auto bound = g_bindings.find(port);
    if (bound != g_bindings.end()) {
        const std::string present = presentBoundDevice(bound->second);
        return present.empty() ? bound->second.device : present;
    }
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::vector<SerialDeviceInfo> ListSerialDevices()
{
    std::vector<SerialDeviceInfo> devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        devices.push_back({info.systemLocation().toStdString(), info.description().toStdString(),
                           info.manufacturer().toStdString(), info.serialNumber().toStdString()});
    return devices;
}

void SetComPortBinding(int port, const ComPortBinding &binding)
{
    if (binding.device.empty())
        g_bindings.erase(port);
    else
        g_bindings[port] = binding;
}

ComPortBinding GetComPortBinding(int port)
{
    auto it = g_bindings.find(port);
    return it == g_bindings.end() ? ComPortBinding{} : it->second;
}

std::vector<int> BoundComPorts()
{
    std::vector<int> ports;
    for (const auto &entry : g_bindings)
        ports.push_back(entry.first);
    return ports;
}

bool ComPortBindingMissing(int port)
{
    auto it = g_bindings.find(port);
    return it != g_bindings.end() && linkedDevice(port).empty() && presentBoundDevice(it->second).empty();
}

int OpenComConfig(int port, const char * /*deviceName*/, long baudRate, int parity, int dataBits, int stopBits,
                  int /*inputQueueSize*/, int /*outputQueueSize*/)
{
    if (port < 1 || port > kMaxPort)
        return kComInvalidPortNumber;
    if (baudRate <= 0 || parity != 0 || dataBits < 5 || dataBits > 8 || (stopBits != 1 && stopBits != 2))
        return kComInvalidParameter;
    CloseCom(port);
    const std::string device = ComPortDevicePath(port);
    if (!ui::FileExists(device))
        return kComInvalidPortNumber;
    auto serial = std::make_unique<QSerialPort>();
    serial->setPortName(QString::fromStdString(device));
    if (!serial->open(QIODevice::ReadWrite)) {
        switch (serial->error()) {
        case QSerialPort::DeviceNotFoundError:
            return kComInvalidPortNumber;
        case QSerialPort::PermissionError:
        case QSerialPort::OpenError:
            return kComCannotOpenPort;
        default:
            return kComUnknownSystemError;
        }
    }
    if (!serial->setBaudRate(static_cast<qint32>(baudRate)) || !serial->setParity(QSerialPort::NoParity) ||
        !serial->setDataBits(static_cast<QSerialPort::DataBits>(dataBits)) ||
        !serial->setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) ||
        !serial->setFlowControl(QSerialPort::NoFlowControl))
        return kComInvalidParameter;
    Port &p = g_ports[port];
    QObject::connect(serial.get(), &QSerialPort::errorOccurred, [port](QSerialPort::SerialPortError error) {
        // Qt 6 reports no parity or framing errors; lost input is what it can tell.
        if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError)
            g_ports[port].lineErrors |= kComStatInputLost;
        // A device unplugged reports a resource error; a pty whose far end closed keeps
        // reporting read errors. Either way the port is of no more use.
        if (g_lostCallback && (error == QSerialPort::ReadError || error == QSerialPort::ResourceError))
            g_lostCallback(port);
    });
    p.serial = std::move(serial);
    p.lineErrors = 0;
    return 0;
}

int CloseCom(int port)
{
    auto it = g_ports.find(port);
    if (it == g_ports.end())
        return kComPortNotOpen;
    if (it->second.serial)
        it->second.serial->close();
    g_ports.erase(it);
    return 0;
}

int SetComTime(int port, double timeoutSeconds)
{
    Port *p = openPort(port);
    if (!p)
        return kComPortNotOpen;
    p->timeout = timeoutSeconds;
    return 0;
}

int SetCTSMode(int port, int /*mode*/)
{
    Port *p = openPort(port);
    if (!p)
        return kComPortNotOpen;
    return p->serial->setFlowControl(QSerialPort::NoFlowControl) ? 0 : kComIoError;
}

int FlushInQ(int port)
{
    Port *p = openPort(port);
    if (!p)
        return kComPortNotOpen;
    p->serial->clear(QSerialPort::Input);
    p->serial->readAll();
    return 0;
}

int FlushOutQ(int port)
{
    Port *p = openPort(port);
    if (!p)
        return kComPortNotOpen;
    p->serial->clear(QSerialPort::Output);
    return 0;
}

int ComWrt(int port, const char *buffer, int count)
{
    Port *p = openPort(port);
    if (!p)
        return kComPortNotOpen;
    if (!buffer || count < 0)
        return kComInvalidParameter;
    const qint64 written = p->serial->write(buffer, count);
    p->serial->flush();
    return written < 0 ? kComIoError : static_cast<int>(written);
}

int ComRd(int port, char *buffer, int count)
{
    Port *p = openPort(port);
    if (!p)
        return kComPortNotOpen;
    if (!buffer || count < 0)
        return kComInvalidParameter;
    QElapsedTimer clock;
    clock.start();
    const qint64 limitMs = static_cast<qint64>(p->timeout * 1000.0);
    while (p->serial->bytesAvailable() < count && clock.elapsed() < limitMs)
        if (!p->serial->waitForReadyRead(static_cast<int>(limitMs - clock.elapsed())))
            break;
    const qint64 n = p->serial->read(buffer, count);
    return n < 0 ? kComIoError : static_cast<int>(n);
}

int GetInQLen(int port)
{
    Port *p = openPort(port);
    return p ? static_cast<int>(p->serial->bytesAvailable()) : kComPortNotOpen;
}

int GetOutQLen(int port)
{
    Port *p = openPort(port);
    return p ? static_cast<int>(p->serial->bytesToWrite()) : kComPortNotOpen;
}

int GetComStat(int port)
{
    auto it = g_ports.find(port);
    if (it == g_ports.end())
        return kComPortNotOpen;
    const int bits = it->second.lineErrors;
    it->second.lineErrors = 0;
    return bits;
}

void SetComLostCallback(ComLostCallback callback) { g_lostCallback = callback; }

void InjectComLineErrors(int port, int bits)
{
    auto it = g_ports.find(port);
    if (it != g_ports.end())
        it->second.lineErrors |= bits;
}
