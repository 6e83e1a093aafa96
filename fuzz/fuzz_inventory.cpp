// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary inventory files through the address reader: every address taken must read
// back the same when given alone.

#include "cli/address.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::vector<cli::SensorAddress> addresses;
    std::string error;
    if (!cli::ParseInventory(text, "inventory", addresses, error) && error.rfind("inventory:", 0) != 0)
        std::abort(); // a refusal names the file and the line
    for (const cli::SensorAddress &a : addresses) {
        cli::SensorAddress again;
        if (!cli::ParseAddress(a.text, again, error) || again.kind != a.kind || again.port != a.port ||
            again.com != a.com || again.baudIndex != a.baudIndex || again.host != a.host || again.device != a.device)
            std::abort();
        if (a.baudIndex < 0 || a.baudIndex > 4 ||
            (a.kind == cli::SensorAddress::Kind::Com && (a.com < 1 || a.com > 256)))
            std::abort();
    }
    return 0;
}
