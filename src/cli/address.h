// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Sensor addresses as the command line takes them, and inventories (files of them).
//   tcp://HOST[:PORT]      a network-to-serial server, port 10001 when omitted
//   comN[@BAUD]            COM port N by the program's rule (link beside it, binding, /dev/ttyS<N-1>)
//   /dev/NAME[@BAUD]       a serial device by path
// BAUD one of 9600, 19200, 38400, 57600, 115200 (default 115200).

#include <string>
#include <vector>

namespace cli {

struct SensorAddress {
    enum class Kind { Tcp, Com, Device };
    Kind kind = Kind::Tcp;
    std::string text;   // as given: what every result row names
    std::string name;   // an inventory's name for it, else empty
    std::string host;   // Tcp
    int port = 10001;   // Tcp
    int com = 0;        // Com: 1..256
    std::string device; // Device: the path
    int baudIndex = 4;  // serial: index 0..4 of 9600..115200
};

constexpr int kDefaultTcpPort = 10001;

// One address; false with the reason in `error`.
bool ParseAddress(const std::string &text, SensorAddress &address, std::string &error);

// An inventory's text: one address a line with an optional name after blanks, '#' starts a
// comment, blank lines are skipped. False at the first line that is not an address, with
// "FILE:LINE: reason" in `error`.
bool ParseInventory(const std::string &text, const std::string &fileName, std::vector<SensorAddress> &addresses,
                    std::string &error);

// The command line's ADDR arguments: addresses and @FILE inventories, in the order given.
bool ExpandAddresses(const std::vector<std::string> &arguments, std::vector<SensorAddress> &addresses,
                     std::string &error);

} // namespace cli
