// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary file contents read into a store, every read operation on it, then the
// store written out and read again.

#include "ini/ini.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {
void exercise(IniText ini, const std::string &section, const std::string &tag)
{
    std::int32_t value = 0;
    Ini_GetInt(ini, section.c_str(), tag.c_str(), &value);
    char small[1], medium[8], large[1100];
    Ini_GetStringIntoBuffer(ini, section.c_str(), tag.c_str(), small, sizeof small);
    Ini_GetStringIntoBuffer(ini, section.c_str(), tag.c_str(), medium, sizeof medium);
    Ini_GetStringIntoBuffer(ini, section.c_str(), tag.c_str(), large, sizeof large);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *text = reinterpret_cast<const char *>(data);
    IniText ini = Ini_New(0);
    if (!ini)
        return 0;
    Ini_ReadFromText(ini, text, size);
    exercise(ini, "PARA", "Power");
    exercise(ini, "CONNECTION", "IP ADDRESS");
    exercise(ini, "IP ADDRESSES", "IP ADDR 1");
    // Names taken from the input itself, so found items are exercised too.
    const std::string input(text, size);
    const size_t open = input.find('['), close = input.find(']', open == std::string::npos ? 0 : open);
    const size_t equals = input.find('=');
    if (open != std::string::npos && close != std::string::npos && equals != std::string::npos) {
        const size_t lineStart = input.rfind('\n', equals);
        const size_t tagStart = lineStart == std::string::npos ? 0 : lineStart + 1;
        exercise(ini, input.substr(open + 1, close - open - 1), input.substr(tagStart, equals - tagStart));
    }
    Ini_PutString(ini, "PARA", "Power", input.substr(0, 300).c_str());
    std::string written;
    Ini_WriteToText(ini, &written);
    IniText again = Ini_New(0);
    if (again) {
        Ini_ReadFromText(again, written.data(), written.size());
        exercise(again, "PARA", "Power");
        Ini_Dispose(again);
    }
    Ini_Dispose(ini);
    return 0;
}
