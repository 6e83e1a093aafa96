// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Reading back what the recorder wrote: the file's lines and the sample fields of the
// measurement records the simulator reports as sent.

#include "recorder/record_file.h"

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

// Lines ending in CR LF; a last line without one is marked UNTERMINATED.
inline std::vector<std::string> SplitCrLf(const std::string &bytes)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back("UNTERMINATED:" + bytes.substr(at));
            break;
        }
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

inline std::vector<std::string> SplitText(const std::string &text, char by)
{
    std::vector<std::string> parts;
    std::stringstream s(text);
    std::string part;
    while (std::getline(s, part, by))
        parts.push_back(part);
    return parts;
}

// A struct's bytes given as the simulator's hex text; bytes the text lacks stay zero.
template <typename T> T FromHex(const std::string &hex)
{
    T value{};
    unsigned char bytes[sizeof(T)] = {};
    for (std::size_t i = 0; i < sizeof bytes && 2 * i + 1 < hex.size(); ++i)
        bytes[i] = static_cast<unsigned char>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    std::memcpy(&value, bytes, sizeof bytes);
    return value;
}

// The five written fields of a measurement record given as the simulator's hex text.
inline std::string RecordFieldsOfHex(const std::string &hex)
{
    const std::string line = RecordSampleLine("T", FromHex<MeasurementRecord>(hex));
    return line.substr(2, line.size() - 4);
}
