// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Serial and TCP services under the names the link code uses, over QSerialPort and
// QTcpSocket. Results: 0 or positive on success, negative codes on failure.

#include <string>
#include <vector>

// ---- RS-232 ---------------------------------------------------------------------
// Error codes of the serial services.
constexpr int kComUnknownSystemError = -1;
constexpr int kComInvalidPortNumber = -2;
constexpr int kComPortNotOpen = -3;
constexpr int kComIoError = -4;
constexpr int kComNoSerialPort = -6;
constexpr int kComCannotOpenPort = -7;
constexpr int kComInvalidParameter = -13;
constexpr int kComTimeout = -99;

// Line-error bits returned by GetComStat.
constexpr int kComStatInputLost = 0x0001;
constexpr int kComStatParity = 0x0010;
constexpr int kComStatFraming = 0x0040;

// Port n opens the device that a symbolic link named com<n> in the program's directory
// points to, when such a link exists; else the device bound to port n (found again by
// its serial number when it has one, whatever its /dev name is now); else /dev/ttyS<n-1>.
std::string ComPortDevicePath(int port);

// The serial devices present on the machine (USB adapters included).
struct SerialDeviceInfo {
    std::string device; // /dev path
    std::string description;
    std::string manufacturer;
    std::string serialNumber; // empty when the device has none
};
std::vector<SerialDeviceInfo> ListSerialDevices();

// A device bound to a COM number by the operator.
struct ComPortBinding {
    std::string device;
    std::string serialNumber;
    std::string description;
};
// An empty device removes the binding.
void SetComPortBinding(int port, const ComPortBinding &binding);
// The binding of a port; device empty when there is none.
ComPortBinding GetComPortBinding(int port);
std::vector<int> BoundComPorts();
// True when port n is bound (and no com<n> link overrides it) but its device is not
// present.
bool ComPortBindingMissing(int port);

int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits, int stopBits,
                  int inputQueueSize, int outputQueueSize);
int CloseCom(int port);
int SetComTime(int port, double timeoutSeconds);
int SetCTSMode(int port, int mode);
int FlushInQ(int port);
int FlushOutQ(int port);
// Writes count bytes; returns the number written or a negative code.
int ComWrt(int port, const char *buffer, int count);
// Reads count bytes, waiting up to the port's time-out; returns the number read.
int ComRd(int port, char *buffer, int count);
int GetInQLen(int port);
int GetOutQLen(int port);
// Line-error bits seen since the last call; reading clears them.
int GetComStat(int port);
// Called (while events are processed) when an open port's device goes away or fails.
using ComLostCallback = void (*)(int port);
void SetComLostCallback(ComLostCallback callback);
// Test hook: line-error bits to report on the next GetComStat (the serial driver of this
// platform reports no parity or framing errors itself).
void InjectComLineErrors(int port, int bits);

// ---- TCP client -------------------------------------------------------------------
enum TcpEvent { TCP_DISCONNECT = 1, TCP_DATAREADY = 2 };
using tcpFuncPtr = int (*)(unsigned handle, int xType, int errCode, void *callbackData);

constexpr int kTcpUnableToEstablishConnection = -2;
constexpr int kTcpFailedToConnect = -4;
constexpr int kTcpInvalidParameter = -9;
constexpr int kTcpTimeOutError = -11;
constexpr int kTcpNoConnectionEstablished = -12;
constexpr int kTcpGeneralIOErr = -13;
constexpr int kTcpConnectionClosed = -14;

// The callback runs only while events are processed.
int ConnectToTCPServer(unsigned *handle, unsigned port, const char *serverHostName, tcpFuncPtr callback,
                       void *callbackData, unsigned timeoutMs);
int DisconnectFromTCPServer(unsigned handle);
// Returns the bytes written or a negative code.
int ClientTCPWrite(unsigned handle, const void *data, unsigned size, unsigned timeoutMs);
// Returns the bytes read (at least one unless the time-out passed) or a negative code.
int ClientTCPRead(unsigned handle, void *buffer, unsigned size, unsigned timeoutMs);
// Drops bytes received but not yet read (stale answer bytes before a new request).
int ClientTCPDiscardInput(unsigned handle);
