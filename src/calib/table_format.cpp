// SPDX-License-Identifier: GPL-3.0-or-later

#include "calib/table_format.h"

#include <cstring>

int CalibrationTableEntries(std::uint16_t xfSize) { return xfSize == 2048 ? 2048 : 1024; }

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

int digitValue(char c, int base)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

// One field: decimal or 0x-hexadecimal, 0..65535, nothing else.
bool parseEntry(const char *begin, const char *end, std::uint16_t *value)
{
    int base = 10;
    if (end - begin > 2 && begin[0] == '0' && (begin[1] == 'x' || begin[1] == 'X')) {
        base = 16;
        begin += 2;
    }
    if (begin == end)
        return false;
    unsigned long v = 0;
    for (const char *p = begin; p != end; ++p) {
        const int d = digitValue(*p, base);
        if (d < 0)
            return false;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (v > 0xFFFF)
            return false;
    }
    *value = static_cast<std::uint16_t>(v);
    return true;
}

void setError(std::string *error, std::string text)
{
    if (error)
        *error = std::move(text);
}

} // namespace

bool ParseCalibrationTable(const char *text, std::size_t size, std::uint16_t xfSize,
                           unsigned char (&table)[kCalibTableBytes], std::string *error)
{
    const int wanted = CalibrationTableEntries(xfSize);
    unsigned char parsed[kCalibTableBytes] = {};
    int entries = 0;
    int line = 0;
    std::size_t pos = 0;
    // Editors may lead with a UTF-8 byte-order mark.
    if (size >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0)
        pos = 3;
    while (pos < size) {
        ++line;
        const char *start = text + pos;
        // Lines end in LF, CR LF or a lone CR.
        std::size_t length = 0;
        while (pos + length < size && start[length] != '\n' && start[length] != '\r')
            ++length;
        pos += length;
        if (pos < size && text[pos] == '\r') {
            ++pos;
            if (pos < size && text[pos] == '\n')
                ++pos;
        } else if (pos < size) {
            ++pos;
        }

        const char *begin = start, *end = start + length;
        if (const void *hash = std::memchr(begin, '#', length))
            end = static_cast<const char *>(hash);
        while (begin < end && isBlank(*begin))
            ++begin;
        while (end > begin && isBlank(end[-1]))
            --end;
        if (begin == end)
            continue;
        std::uint16_t value = 0;
        if (!parseEntry(begin, end, &value)) {
            setError(error, "Line " + std::to_string(line) + ": not a number from 0 to 65535");
            return false;
        }
        if (entries == wanted) {
            setError(error, "Line " + std::to_string(line) + ": more than " + std::to_string(wanted) +
                                " entries (XF-SIZE " + std::to_string(xfSize) + ")");
            return false;
        }
        parsed[2 * entries] = static_cast<unsigned char>(value & 0xFF);
        parsed[2 * entries + 1] = static_cast<unsigned char>(value >> 8);
        ++entries;
    }
    if (entries < wanted) {
        setError(error, "Line " + std::to_string(line + 1) + ": the file ends after " + std::to_string(entries) +
                            " entries, " + std::to_string(wanted) + " are needed (XF-SIZE " + std::to_string(xfSize) +
                            ")");
        return false;
    }
    std::memcpy(table, parsed, sizeof parsed);
    return true;
}
