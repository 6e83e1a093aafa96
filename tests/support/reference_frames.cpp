#include "support/reference_frames.h"

#include "support/sim_process.h"

unsigned char ReferenceCrc(const std::vector<unsigned char> &bytes)
{
    unsigned char reg = 0xAA;
    for (unsigned char b : bytes) {
        reg ^= b;
        for (int i = 0; i < 8; ++i)
            reg = (reg & 1) ? static_cast<unsigned char>((reg >> 1) ^ 0x8C) : static_cast<unsigned char>(reg >> 1);
    }
    return reg;
}

std::string ReferenceRequest(unsigned char order, unsigned short address, const std::vector<unsigned char> &data)
{
    std::vector<unsigned char> f = {0x55, order, static_cast<unsigned char>(address & 0xFF),
                                    static_cast<unsigned char>(address >> 8), static_cast<unsigned char>(data.size()),
                                    static_cast<unsigned char>(data.size() >> 8), ReferenceCrc(data)};
    f.push_back(ReferenceCrc(f));
    f.insert(f.end(), data.begin(), data.end());
    return ToHex(f.data(), static_cast<int>(f.size()));
}

std::vector<unsigned char> BytesOf(const void *p, std::size_t n)
{
    const auto *b = static_cast<const unsigned char *>(p);
    return {b, b + n};
}
