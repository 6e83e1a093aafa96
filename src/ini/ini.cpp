// SPDX-License-Identifier: GPL-3.0-or-later

#include "ini/ini.h"

#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kMaxValuePerLine = 80;
constexpr std::size_t kMaxTag = 255;
constexpr std::size_t kMaxLine = 1024;
const char *const kEol = "\r\n";

struct Item {
    std::string tag;
    std::string value; // as it stands in the file: escaped when quoted
    bool quoted = false;
    std::string comment;
};

struct Section {
    std::string name;
    std::vector<Item> items;
    std::string comment;
};

} // namespace

struct IniStore {
    std::vector<Section> sections;
    std::string header;
    std::string trailer;
};

namespace {

std::string trim(const std::string &s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

bool sameName(const std::string &a, const std::string &b)
{
    const std::string x = trim(a), y = trim(b);
    if (x.size() != y.size())
        return false;
    for (size_t i = 0; i < x.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(x[i])) != std::tolower(static_cast<unsigned char>(y[i])))
            return false;
    return true;
}

Section *findSection(IniStore *store, const char *name)
{
    for (Section &s : store->sections)
        if (sameName(s.name, name))
            return &s;
    return nullptr;
}

const Item *findItem(IniStore *store, const char *section, const char *tag)
{
    Section *s = findSection(store, section);
    if (!s)
        return nullptr;
    for (const Item &item : s->items)
        if (sameName(item.tag, tag))
            return &item;
    return nullptr;
}

std::string escape(const char *text)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (const char *p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Unknown escapes are kept as they stand.
std::string unescape(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        switch (next) {
        case '\\':
            out += '\\';
            ++i;
            break;
        case '"':
            out += '"';
            ++i;
            break;
        case 'r':
            out += '\r';
            ++i;
            break;
        case 'n':
            out += '\n';
            ++i;
            break;
        case 't':
            out += '\t';
            ++i;
            break;
        case 'x':
            if (i + 3 < text.size() && hexDigit(text[i + 2]) >= 0 && hexDigit(text[i + 3]) >= 0) {
                out += static_cast<char>(hexDigit(text[i + 2]) * 16 + hexDigit(text[i + 3]));
                i += 3;
            } else {
                out += text[i];
            }
            break;
        default:
            out += text[i];
            break;
        }
    }
    return out;
}

int put(IniText store, const char *section, const char *tag, std::string value, bool quoted)
{
    if (!store || !section || !tag)
        return INI_ERR_NULL_ARGUMENT;
    try {
        // The tag is kept as given: some files carry keys with trailing blanks.
        Item item{tag, std::move(value), quoted, {}};
        Section *s = findSection(store, section);
        if (!s) {
            store->sections.push_back({trim(section), {}, {}});
            store->sections.back().items.push_back(std::move(item));
            return 1;
        }
        size_t first = s->items.size();
        for (size_t i = s->items.size(); i-- > 0;)
            if (sameName(s->items[i].tag, tag)) {
                s->items.erase(s->items.begin() + static_cast<std::ptrdiff_t>(i));
                first = i;
            }
        s->items.insert(s->items.begin() + static_cast<std::ptrdiff_t>(first), std::move(item));
        return 1;
    } catch (const std::bad_alloc &) {
        return INI_ERR_OUT_OF_MEMORY;
    }
}

void appendBlock(std::string &out, const std::string &block)
{
    if (block.empty())
        return;
    out += block;
    out += kEol;
}

void appendLine(std::string &out, std::string line)
{
    if (line.size() > kMaxLine)
        line.resize(kMaxLine);
    out += line;
    out += kEol;
}

void appendItem(std::string &out, const Item &item)
{
    appendBlock(out, item.comment);
    std::string tag = item.tag.substr(0, kMaxTag);
    const auto wrap = [&](const std::string &v) { return item.quoted ? "\"" + v + "\"" : v; };
    if (item.value.size() <= kMaxValuePerLine) {
        appendLine(out, tag + " = " + wrap(item.value));
        return;
    }
    int piece = 1;
    for (size_t at = 0; at < item.value.size(); at += kMaxValuePerLine, ++piece) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, " Line%04d", piece);
        appendLine(out, tag + suffix + " = " + wrap(item.value.substr(at, kMaxValuePerLine)));
    }
}

// "base Line0001": the base tag and the number, or 0.
int continuationNumber(const std::string &tag, std::string *base)
{
    if (tag.size() < 9)
        return 0;
    const std::string tail = tag.substr(tag.size() - 9);
    if (tail.compare(0, 5, " Line") != 0)
        return 0;
    int number = 0;
    for (size_t i = 5; i < 9; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(tail[i])))
            return 0;
        number = number * 10 + (tail[i] - '0');
    }
    *base = trim(tag.substr(0, tag.size() - 9));
    return number;
}

void joinContinuations(Section &section)
{
    std::vector<Item> joined;
    for (size_t i = 0; i < section.items.size();) {
        std::string base;
        if (continuationNumber(section.items[i].tag, &base) == 1) {
            Item item = section.items[i];
            item.tag = base;
            size_t j = i + 1;
            int expected = 2;
            std::string nextBase;
            while (j < section.items.size() && continuationNumber(section.items[j].tag, &nextBase) == expected &&
                   sameName(nextBase, base)) {
                item.value += section.items[j].value;
                ++j;
                ++expected;
            }
            joined.push_back(std::move(item));
            i = j;
        } else {
            joined.push_back(std::move(section.items[i]));
            ++i;
        }
    }
    section.items = std::move(joined);
}

void appendComment(std::string &pending, const std::string &line)
{
    if (!pending.empty())
        pending += kEol;
    pending += line;
}

void parseLine(IniStore *store, std::string line, std::string &pending, bool &headerTaken)
{
    size_t start = 0;
    while (start < line.size() && std::isspace(static_cast<unsigned char>(line[start])))
        ++start;
    line.erase(0, start);
    if (!line.empty() && line[0] == ';') {
        appendComment(pending, line);
        return;
    }
    if (!line.empty() && line[0] == '[') {
        const size_t close = line.rfind(']');
        if (close != std::string::npos && trim(line.substr(close + 1)).empty()) {
            const std::string name = trim(line.substr(1, close - 1));
            if (!name.empty()) {
                store->sections.push_back({name, {}, pending});
                pending.clear();
                return;
            }
        }
    }
    const size_t equals = line.find('=');
    if (line.empty() || line[0] == '[' || equals == std::string::npos) {
        // Outside a section, such a line ends the comment block of the file's head.
        if (store->sections.empty() && !pending.empty()) {
            if (!headerTaken) {
                store->header = pending;
                headerTaken = true;
            }
            pending.clear();
        }
        return;
    }
    if (store->sections.empty()) {
        pending.clear();
        return;
    }
    Item item;
    item.tag = trim(line.substr(0, equals));
    item.value = trim(line.substr(equals + 1));
    if (item.value.size() >= 2 && item.value.front() == '"' && item.value.back() == '"') {
        item.value = item.value.substr(1, item.value.size() - 2);
        item.quoted = true;
    }
    item.comment = pending;
    pending.clear();
    store->sections.back().items.push_back(std::move(item));
}

} // namespace

IniText Ini_New(int /*sortFlag*/) { return new (std::nothrow) IniStore; }

void Ini_Dispose(IniText store) { delete store; }

int Ini_PutInt(IniText store, const char *section, const char *tag, std::int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%" PRId32, value);
    return put(store, section, tag, text, false);
}

int Ini_PutUInt(IniText store, const char *section, const char *tag, std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%" PRIu32, value);
    return put(store, section, tag, text, false);
}

int Ini_PutDouble(IniText store, const char *section, const char *tag, double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.16g", value);
    return put(store, section, tag, text, false);
}

int Ini_PutString(IniText store, const char *section, const char *tag, const char *value)
{
    if (!store || !section || !tag)
        return INI_ERR_NULL_ARGUMENT;
    try {
        return put(store, section, tag, escape(value ? value : ""), true);
    } catch (const std::bad_alloc &) {
        return INI_ERR_OUT_OF_MEMORY;
    }
}

namespace {

// Parses a decimal integer item within [lowest, highest]: 1 with the number, 0 when the
// item is absent or empty, INI_ERR_INVALID_INTEGER otherwise.
int getInteger(IniText store, const char *section, const char *tag, long long lowest, long long highest,
               long long *value)
{
    const Item *item = findItem(store, section, tag);
    if (!item)
        return 0;
    const std::string text = trim(item->value);
    if (text.empty())
        return 0;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i >= text.size())
        return INI_ERR_INVALID_INTEGER;
    long long number = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return INI_ERR_INVALID_INTEGER;
        number = number * 10 + (text[i] - '0');
        if (number > static_cast<long long>(UINT32_MAX) + 1)
            return INI_ERR_INVALID_INTEGER;
    }
    if (negative)
        number = -number;
    if (number < lowest || number > highest)
        return INI_ERR_INVALID_INTEGER;
    *value = number;
    return 1;
}

} // namespace

int Ini_GetInt(IniText store, const char *section, const char *tag, std::int32_t *value)
{
    if (!store || !section || !tag || !value)
        return INI_ERR_NULL_ARGUMENT;
    long long number = 0;
    const int result = getInteger(store, section, tag, INT32_MIN, INT32_MAX, &number);
    if (result == 1)
        *value = static_cast<std::int32_t>(number);
    return result;
}

int Ini_GetUInt(IniText store, const char *section, const char *tag, std::uint32_t *value)
{
    if (!store || !section || !tag || !value)
        return INI_ERR_NULL_ARGUMENT;
    long long number = 0;
    // A negative value is taken as the bits of a signed 32-bit word, as a writer that
    // knew only signed integers would have stored it.
    const int result = getInteger(store, section, tag, INT32_MIN, UINT32_MAX, &number);
    if (result == 1)
        *value = static_cast<std::uint32_t>(number);
    return result;
}

int Ini_GetStringIntoBuffer(IniText store, const char *section, const char *tag, char *buffer, std::size_t bufferSize)
{
    if (!store || !section || !tag || !buffer)
        return INI_ERR_NULL_ARGUMENT;
    if (bufferSize > 0)
        buffer[0] = '\0';
    const Item *item = findItem(store, section, tag);
    if (!item)
        return 0;
    if (bufferSize == 0)
        return 1;
    try {
        // Only quoted values were escaped; a bare backslash in an unquoted value is data.
        const std::string text = item->quoted ? unescape(item->value) : item->value;
        const size_t n = text.size() < bufferSize - 1 ? text.size() : bufferSize - 1;
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        return 1;
    } catch (const std::bad_alloc &) {
        return INI_ERR_OUT_OF_MEMORY;
    }
}

int Ini_WriteToText(IniText store, std::string *text)
{
    if (!store || !text)
        return INI_ERR_NULL_ARGUMENT;
    try {
        std::string out;
        if (!store->header.empty()) {
            appendBlock(out, store->header);
            out += kEol;
        }
        for (const Section &s : store->sections) {
            appendBlock(out, s.comment);
            appendLine(out, "[" + s.name + "]");
            for (const Item &item : s.items)
                appendItem(out, item);
            out += kEol;
        }
        appendBlock(out, store->trailer);
        *text = std::move(out);
        return 1;
    } catch (const std::bad_alloc &) {
        return INI_ERR_OUT_OF_MEMORY;
    }
}

int Ini_ReadFromText(IniText store, const char *text, std::size_t length)
{
    if (!store || (!text && length > 0))
        return INI_ERR_NULL_ARGUMENT;
    try {
        std::string pending, line;
        bool headerTaken = !store->header.empty();
        bool overlong = false;
        for (size_t i = 0; i <= length; ++i) {
            const bool end = i == length;
            const char c = end ? '\n' : text[i];
            if (c == '\r' || c == '\n') {
                if (!end || !line.empty() || overlong)
                    parseLine(store, line, pending, headerTaken);
                line.clear();
                overlong = false;
                if (c == '\r' && i + 1 < length && text[i + 1] == '\n')
                    ++i;
                continue;
            }
            // The rest of an over-long line is dropped.
            if (line.size() < kMaxLine)
                line += c;
            else
                overlong = true;
        }
        if (!pending.empty())
            store->trailer = store->trailer.empty() ? pending : store->trailer + kEol + pending;
        for (Section &s : store->sections)
            joinContinuations(s);
        return 1;
    } catch (const std::bad_alloc &) {
        return INI_ERR_OUT_OF_MEMORY;
    }
}

int Ini_ReadFromFile(IniText store, const char *pathname)
{
    if (!store || !pathname)
        return INI_ERR_NULL_ARGUMENT;
    std::FILE *file = std::fopen(pathname, "rb");
    if (!file)
        return errno > 0 ? -errno : -1;
    std::string content;
    char chunk[16384];
    size_t n;
    try {
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            content.append(chunk, n);
    } catch (const std::bad_alloc &) {
        std::fclose(file);
        return INI_ERR_OUT_OF_MEMORY;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return -EIO;
    return Ini_ReadFromText(store, content.data(), content.size());
}

int Ini_WriteToFile(IniText store, const char *pathname)
{
    if (!store || !pathname || !*pathname)
        return INI_ERR_NULL_ARGUMENT;
    // A file the user made read-only stays as it is, although the rename below could replace it.
    if (::access(pathname, F_OK) == 0 && ::access(pathname, W_OK) != 0)
        return errno > 0 ? -errno : -1;
    std::string text;
    const int built = Ini_WriteToText(store, &text);
    if (built < 0)
        return built;
    std::string temp;
    try {
        const std::string path = pathname;
        const size_t slash = path.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
        temp = dir + "/ini$$XXXXXX";
    } catch (const std::bad_alloc &) {
        return INI_ERR_OUT_OF_MEMORY;
    }
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return errno > 0 ? -errno : -1;
    // mkstemp creates the file private; give it the old file's mode, or the usual one for a new file.
    struct stat old {};
    mode_t mode;
    if (::stat(pathname, &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    std::FILE *file = ::fdopen(fd, "wb");
    if (!file) {
        const int code = errno > 0 ? -errno : -1;
        ::close(fd);
        ::unlink(temp.c_str());
        return code;
    }
    char buffer[16384];
    std::setvbuf(file, buffer, _IOFBF, sizeof buffer);
    int code = 0;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0 ||
        ::fsync(::fileno(file)) != 0)
        code = errno > 0 ? -errno : -1;
    if (std::fclose(file) != 0 && code == 0)
        code = errno > 0 ? -errno : -1;
    // rename replaces the old file in one step: there is never a moment without it.
    if (code == 0 && std::rename(temp.c_str(), pathname) != 0)
        code = errno > 0 ? -errno : -1;
    if (code != 0) {
        ::unlink(temp.c_str());
        return code;
    }
    return 1;
}
