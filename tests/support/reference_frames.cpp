#include "support/reference_frames.h"

#include "support/sim_process.h"

std::string ReferenceRequest(unsigned char order, unsigned short address, const std::vector<unsigned char> &data)
{
    const std::vector<unsigned char> f = ReferenceFrame(order, address, data);
    return ToHex(f.data(), static_cast<int>(f.size()));
}
