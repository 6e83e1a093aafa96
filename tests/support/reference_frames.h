// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Frames built independently of the program's codec: requests to compare the bytes the
// simulator received against, and answers for a sensor played by a test.

#include <cstddef>
#include <string>
#include <vector>

// CRC-8 computed bit by bit, independent of the table the program uses.
inline unsigned char ReferenceCrc(const std::vector<unsigned char> &bytes)
{
    unsigned char reg = 0xAA;
    for (unsigned char b : bytes) {
        reg ^= b;
        for (int i = 0; i < 8; ++i)
            reg = (reg & 1) ? static_cast<unsigned char>((reg >> 1) ^ 0x8C) : static_cast<unsigned char>(reg >> 1);
    }
    return reg;
}

// A whole frame: the header with both CRCs, then the data.
inline std::vector<unsigned char> ReferenceFrame(unsigned char order, unsigned short address,
                                                 const std::vector<unsigned char> &data = {})
{
    std::vector<unsigned char> f = {0x55,
                                    order,
                                    static_cast<unsigned char>(address & 0xFF),
                                    static_cast<unsigned char>(address >> 8),
                                    static_cast<unsigned char>(data.size()),
                                    static_cast<unsigned char>(data.size() >> 8),
                                    ReferenceCrc(data)};
    f.push_back(ReferenceCrc(f));
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

inline std::vector<unsigned char> BytesOf(const void *p, std::size_t n)
{
    const auto *b = static_cast<const unsigned char *>(p);
    return {b, b + n};
}

// Hex text of bytes as the simulator reports them (lowercase, no separators).
inline std::string ToHex(const void *data, int count)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    const auto *bytes = static_cast<const unsigned char *>(data);
    for (int i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

// The hex text of a whole request as the simulator reports it.
inline std::string ReferenceRequest(unsigned char order, unsigned short address,
                                    const std::vector<unsigned char> &data = {})
{
    const std::vector<unsigned char> f = ReferenceFrame(order, address, data);
    return ToHex(f.data(), static_cast<int>(f.size()));
}
