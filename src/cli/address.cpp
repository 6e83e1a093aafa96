// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/address.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace cli {

namespace {

constexpr long kBauds[] = {9600, 19200, 38400, 57600, 115200};

// Digits only, within lowest..highest.
bool number(const std::string &text, long lowest, long highest, long &value)
{
    if (text.empty() || text.size() > 9)
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    value = std::stol(text);
    return value >= lowest && value <= highest;
}

bool takeBaud(std::string &rest, SensorAddress &address, std::string &error)
{
    const auto at = rest.find('@');
    if (at == std::string::npos)
        return true;
    const std::string baud = rest.substr(at + 1);
    rest.resize(at);
    long value = 0;
    number(baud, 1, 10000000, value);
    for (int i = 0; i < 5; ++i)
        if (kBauds[i] == value) {
            address.baudIndex = i;
            return true;
        }
    error = "baud rate '" + baud + "' is not one of 9600, 19200, 38400, 57600, 115200";
    return false;
}

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

} // namespace

bool ParseAddress(const std::string &text, SensorAddress &address, std::string &error)
{
    address = {};
    address.text = text;
    for (char c : text)
        if (std::isspace(static_cast<unsigned char>(c)) || std::iscntrl(static_cast<unsigned char>(c))) {
            error = "'" + text + "': an address holds no blanks or control characters";
            return false;
        }
    if (text.rfind("tcp://", 0) == 0) {
        address.kind = SensorAddress::Kind::Tcp;
        std::string rest = text.substr(6);
        const auto colon = rest.rfind(':');
        if (colon != std::string::npos) {
            long port = 0;
            if (!number(rest.substr(colon + 1), 1, 65535, port)) {
                error = "'" + text + "': the port is a number from 1 to 65535";
                return false;
            }
            address.port = static_cast<int>(port);
            rest.resize(colon);
        }
        if (rest.empty() || rest.find_first_of("/@:") != std::string::npos) {
            error = "'" + text + "': no host name (tcp://HOST[:PORT])";
            return false;
        }
        address.host = rest;
        return true;
    }
    if (text.rfind("com", 0) == 0 || text.rfind("COM", 0) == 0) {
        address.kind = SensorAddress::Kind::Com;
        std::string rest = text.substr(3);
        if (!takeBaud(rest, address, error)) {
            error = "'" + text + "': " + error;
            return false;
        }
        long port = 0;
        if (!number(rest, 1, 256, port)) {
            error = "'" + text + "': the COM port is a number from 1 to 256";
            return false;
        }
        address.com = static_cast<int>(port);
        return true;
    }
    if (text.rfind("/dev/", 0) == 0) {
        address.kind = SensorAddress::Kind::Device;
        std::string rest = text;
        if (!takeBaud(rest, address, error)) {
            error = "'" + text + "': " + error;
            return false;
        }
        if (rest.size() <= 5 || rest.back() == '/') {
            error = "'" + text + "': no device name after /dev/";
            return false;
        }
        address.device = rest;
        return true;
    }
    error = "'" + text + "' is not an address (tcp://HOST[:PORT], comN[@BAUD], /dev/NAME[@BAUD] or @FILE)";
    return false;
}

bool ParseInventory(const std::string &text, const std::string &fileName, std::vector<SensorAddress> &addresses,
                    std::string &error)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (const auto hash = line.find('#'); hash != std::string::npos)
            line.resize(hash);
        std::size_t begin = 0;
        while (begin < line.size() && blank(line[begin]))
            ++begin;
        std::size_t end = begin;
        while (end < line.size() && !blank(line[end]))
            ++end;
        if (begin == end)
            continue;
        SensorAddress address;
        std::string reason;
        if (!ParseAddress(line.substr(begin, end - begin), address, reason)) {
            error = fileName + ":" + std::to_string(number) + ": " + reason;
            return false;
        }
        std::size_t nameBegin = end;
        while (nameBegin < line.size() && blank(line[nameBegin]))
            ++nameBegin;
        std::size_t nameEnd = line.size();
        while (nameEnd > nameBegin && blank(line[nameEnd - 1]))
            --nameEnd;
        address.name = line.substr(nameBegin, nameEnd - nameBegin);
        addresses.push_back(address);
    }
    return true;
}

bool ExpandAddresses(const std::vector<std::string> &arguments, std::vector<SensorAddress> &addresses,
                     std::string &error)
{
    for (const std::string &argument : arguments) {
        if (argument.rfind('@', 0) == 0) {
            const std::string path = argument.substr(1);
            std::ifstream file(path, std::ios::binary);
            if (!file) {
                error = path + ": the inventory cannot be read";
                return false;
            }
            std::ostringstream text;
            text << file.rdbuf();
            if (!ParseInventory(text.str(), path, addresses, error))
                return false;
            continue;
        }
        SensorAddress address;
        if (!ParseAddress(argument, address, error))
            return false;
        addresses.push_back(address);
    }
    if (addresses.empty()) {
        error = "no sensor address given";
        return false;
    }
    return true;
}

} // namespace cli
