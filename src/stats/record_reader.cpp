// SPDX-License-Identifier: GPL-3.0-or-later
// Record file reader: header labels and sample lines, streamed in blocks.

#include "stats/record_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr char kDateLabel[] = "DATE:\t";
constexpr char kTimeLabel[] = "TIME:\t";
constexpr char kIncrementLabel[] = "TIME-INCREMENT[s]:\t";
constexpr char kSamplesLabel[] = "NUMBER OF SAMPLES:\t";
constexpr char kSlopeLabel[] = "SLOPE-VALUE [\xB5m/pixel]:\t";
// The same label after a text editor turned the file into UTF-8.
constexpr char kSlopeLabelUtf8[] = "SLOPE-VALUE [\xC2\xB5m/pixel]:\t";
constexpr char kColumns[] = "TIME\t\tM-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]";

bool startsWith(const char *text, std::size_t length, const char *prefix, std::size_t prefixLength)
{
    return length >= prefixLength && std::memcmp(text, prefix, prefixLength) == 0;
}

template <std::size_t N> bool startsWith(const char *text, std::size_t length, const char (&prefix)[N])
{
    return startsWith(text, length, prefix, N - 1);
}

// A number in a 24-character field: blanks around decimal text.
bool parseField(const char *text, std::size_t length, double *value)
{
    char buf[64];
    while (length > 0 && (*text == ' ' || *text == '\t')) {
        ++text;
        --length;
    }
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\t'))
        --length;
    if (length == 0 || length >= sizeof buf)
        return false;
    std::memcpy(buf, text, length);
    buf[length] = '\0';
    char *end = nullptr;
    errno = 0;
    const double v = std::strtod(buf, &end);
    if (end != buf + length || errno == ERANGE || v != v)
        return false;
    *value = v;
    return true;
}

void copyField(char *dst, std::size_t size, const char *text, std::size_t length)
{
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\t'))
        --length;
    const std::size_t n = std::min(length, size - 1);
    std::memcpy(dst, text, n);
    dst[n] = '\0';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal integer up to the next tab or the end; optional minus sign.
bool parseInteger(const char *&p, const char *end, bool allowSign, long long limitLow, long long limitHigh,
                  long long *value)
{
    bool negative = false;
    if (allowSign && p < end && *p == '-') {
        negative = true;
        ++p;
    }
    if (p >= end || !isDigit(*p))
        return false;
    long long v = 0;
    int digits = 0;
    while (p < end && isDigit(*p)) {
        v = v * 10 + (*p - '0');
        if (++digits > 11)
            return false;
        ++p;
    }
    if (negative)
        v = -v;
    if (v < limitLow || v > limitHigh)
        return false;
    *value = v;
    return true;
}

} // namespace

bool ParseSampleLine(const char *text, std::size_t length, std::uint16_t *mValue, std::int32_t *mValUm)
{
    // "HH:MM:SS"
    if (length < 9)
        return false;
    for (int i = 0; i < 8; ++i) {
        const bool colon = i == 2 || i == 5;
        if (colon ? text[i] != ':' : !isDigit(text[i]))
            return false;
    }
    const char *p = text + 8;
    const char *end = text + length;
    long long words[4] = {};
    for (long long &w : words) {
        if (p >= end || *p != '\t')
            return false;
        ++p;
        if (!parseInteger(p, end, false, 0, 65535, &w))
            return false;
    }
    if (p >= end || *p != '\t')
        return false;
    ++p;
    long long um = 0;
    if (!parseInteger(p, end, true, INT32_MIN, INT32_MAX, &um) || p != end)
        return false;
    *mValue = static_cast<std::uint16_t>(words[0]);
    *mValUm = static_cast<std::int32_t>(um);
    return true;
}

void RecordReader::Reset() { *this = RecordReader(); }

RecordStatus RecordReader::status() const
{
    if (notRecord_)
        return RecordStatus::NotRecord;
    if (!sawFirstLine_) {
        // A first line still being written is judged by what it has so far.
        if (overlong_)
            return RecordStatus::NotRecord;
        const std::size_t n = std::min(line_.size(), sizeof kDateLabel - 1);
        return std::memcmp(line_.data(), kDateLabel, n) == 0 ? RecordStatus::Empty : RecordStatus::NotRecord;
    }
    return RecordStatus::Ok;
}

bool RecordReader::takeHeaderLine(const char *text, std::size_t length)
{
    double v = 0.0;
    if (startsWith(text, length, kTimeLabel)) {
        copyField(header_.time, sizeof header_.time, text + sizeof kTimeLabel - 1, length - (sizeof kTimeLabel - 1));
        return true;
    }
    if (startsWith(text, length, kIncrementLabel)) {
        header_.haveTimeIncrement =
            parseField(text + sizeof kIncrementLabel - 1, length - (sizeof kIncrementLabel - 1), &v);
        if (header_.haveTimeIncrement)
            header_.timeIncrement = v;
        return header_.haveTimeIncrement;
    }
    if (startsWith(text, length, kSamplesLabel)) {
        header_.haveSamplesPlanned =
            parseField(text + sizeof kSamplesLabel - 1, length - (sizeof kSamplesLabel - 1), &v);
        if (header_.haveSamplesPlanned)
            header_.samplesPlanned = v;
        return header_.haveSamplesPlanned;
    }
    const std::size_t slopeLabel = startsWith(text, length, kSlopeLabel)       ? sizeof kSlopeLabel - 1
                                   : startsWith(text, length, kSlopeLabelUtf8) ? sizeof kSlopeLabelUtf8 - 1
                                                                               : 0;
    if (slopeLabel) {
        // A slope of zero or below cannot convert anything.
        header_.haveSlope = parseField(text + slopeLabel, length - slopeLabel, &v) && v > 0.0;
        if (header_.haveSlope)
            header_.slope = v;
        return header_.haveSlope;
    }
    if (length == sizeof kColumns - 1 && std::memcmp(text, kColumns, length) == 0) {
        header_.haveColumns = true;
        return true;
    }
    return false;
}

void RecordReader::takeLine(const char *text, std::size_t length)
{
    ++lines_;
    if (length > 0 && text[length - 1] == '\r')
        --length;
    if (!sawFirstLine_) {
        sawFirstLine_ = true;
        if (!startsWith(text, length, kDateLabel)) {
            notRecord_ = true;
            return;
        }
        copyField(header_.date, sizeof header_.date, text + sizeof kDateLabel - 1, length - (sizeof kDateLabel - 1));
        return;
    }
    if (length == 0)
        return; // a blank line holds nothing to lose
    std::uint16_t px = 0;
    std::int32_t um = 0;
    if (ParseSampleLine(text, length, &px, &um)) {
        if (mValue_.size() >= kMaxSamples) {
            ++dropped_;
            return;
        }
        mValue_.push_back(px);
        mValUm_.push_back(um);
        return;
    }
    if (mValue_.empty() && takeHeaderLine(text, length))
        return;
    ++skipped_;
    if (firstSkipped_ == 0)
        firstSkipped_ = lines_;
}

void RecordReader::Feed(const char *data, std::size_t size)
{
    const char *p = data;
    const char *end = data + size;
    while (p < end && !notRecord_) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char *stop = nl ? nl : end;
        const std::size_t chunk = static_cast<std::size_t>(stop - p);
        if (!overlong_) {
            if (line_.size() + chunk > kMaxLine) {
                overlong_ = true;
                line_.clear();
            } else if (nl && line_.empty()) {
                takeLine(p, chunk); // the usual case: a whole line inside the block
            } else {
                line_.append(p, chunk);
            }
        }
        if (!nl)
            break;
        if (overlong_) {
            ++lines_;
            if (!sawFirstLine_) {
                sawFirstLine_ = true;
                notRecord_ = true;
            } else {
                ++skipped_;
                if (firstSkipped_ == 0)
                    firstSkipped_ = lines_;
            }
            overlong_ = false;
        } else if (!line_.empty()) {
            std::string whole;
            whole.swap(line_);
            takeLine(whole.data(), whole.size());
        }
        p = nl + 1;
    }
}

RecordStatus RecordReader::Update(const std::string &path)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        Reset();
        return RecordStatus::Unreadable;
    }
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        Reset();
        return RecordStatus::Unreadable;
    }
    // The same file grown, or another one: compare identity, length and first bytes.
    bool same = path == path_ && static_cast<unsigned long long>(st.st_ino) == inode_ &&
                static_cast<unsigned long long>(st.st_dev) == device_ &&
                static_cast<unsigned long long>(st.st_size) >= offset_;
    if (same && firstBytesLength_ > 0) {
        char now[sizeof firstBytes_];
        same = std::fread(now, 1, firstBytesLength_, f) == firstBytesLength_ &&
               std::memcmp(now, firstBytes_, firstBytesLength_) == 0;
    }
    if (!same) {
        Reset();
        path_ = path;
        inode_ = static_cast<unsigned long long>(st.st_ino);
        device_ = static_cast<unsigned long long>(st.st_dev);
    }
    if (std::fseek(f, static_cast<long>(offset_), SEEK_SET) != 0) {
        std::fclose(f);
        return status();
    }
    static thread_local std::vector<char> block(1 << 16);
    for (;;) {
        const std::size_t n = std::fread(block.data(), 1, block.size(), f);
        if (n == 0)
            break;
        if (firstBytesLength_ < sizeof firstBytes_) {
            const std::size_t take = std::min(n, sizeof firstBytes_ - firstBytesLength_);
            std::memcpy(firstBytes_ + firstBytesLength_, block.data(), take);
            firstBytesLength_ += take;
        }
        offset_ += n;
        Feed(block.data(), n);
        if (notRecord_)
            break;
    }
    std::fclose(f);
    return status();
}
