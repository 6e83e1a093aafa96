// SPDX-License-Identifier: GPL-3.0-or-later

#include "plant/outbox_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kHeader[] = "MQ-Vista outbox 1\n";
constexpr std::size_t kHeaderSize = sizeof kHeader - 1;
constexpr std::size_t kFrame = 8;                        // body length and CRC-32, before each body
constexpr std::size_t kMaxBody = 16u << 20;              // far above any message the program makes
constexpr std::size_t kMessageFixed = 1 + 8 + 1 + 1 + 4; // kind, id, qos, retain, topic length
constexpr char kMessage = 'M';
constexpr char kDone = 'D';
// The gone part is rewritten away once it is larger than what waits and this many bytes;
// a file of only gone messages is emptied once it is this large.
constexpr std::size_t kCompactSlack = 1u << 20;

constexpr std::array<std::uint32_t, 256> crcTable()
{
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}

std::uint32_t crc32(const char *data, std::size_t size)
{
    static constexpr std::array<std::uint32_t, 256> table = crcTable();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        c = table[(c ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void putLe(std::string &out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint64_t getLe(const char *p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

std::string framed(const std::string &body)
{
    std::string out;
    out.reserve(kFrame + body.size());
    putLe(out, body.size(), 4);
    putLe(out, crc32(body.data(), body.size()), 4);
    return out + body;
}

bool writeAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string PlantOutboxHeader() { return kHeader; }

std::string PlantOutboxMessageRecord(const PlantMessage &m)
{
    std::string body;
    body.reserve(kMessageFixed + m.topic.size() + m.payload.size());
    body.push_back(kMessage);
    putLe(body, m.id, 8);
    body.push_back(static_cast<char>(m.qos == 0 ? 0 : 1));
    body.push_back(static_cast<char>(m.retain ? 1 : 0));
    putLe(body, m.topic.size(), 4);
    body += m.topic;
    body += m.payload;
    return framed(body);
}

std::string PlantOutboxDoneRecord(std::uint64_t lastDone)
{
    std::string body(1, kDone);
    putLe(body, lastDone, 8);
    return framed(body);
}

PlantOutboxContents ReadPlantOutbox(const char *data, std::size_t size)
{
    PlantOutboxContents c;
    if (size == 0)
        return c;
    if (size < kHeaderSize || std::memcmp(data, kHeader, kHeaderSize) != 0) {
        c.damaged = true;
        return c;
    }
    std::deque<std::pair<PlantMessage, std::size_t>> waiting;
    std::size_t at = kHeaderSize;
    c.wholeBytes = at;
    while (at < size) {
        if (size - at < kFrame)
            break;
        const std::size_t length = getLe(data + at, 4);
        const auto crc = static_cast<std::uint32_t>(getLe(data + at + 4, 4));
        if (length == 0 || length > kMaxBody || length > size - at - kFrame)
            break;
        const char *body = data + at + kFrame;
        if (crc32(body, length) != crc)
            break;
        if (body[0] == kMessage && length >= kMessageFixed) {
            PlantMessage m;
            m.id = getLe(body + 1, 8);
            const auto qos = static_cast<unsigned char>(body[9]);
            const auto retain = static_cast<unsigned char>(body[10]);
            const std::size_t topicLength = getLe(body + 11, 4);
            // Ids only grow: anything else is not a record this program wrote.
            if (m.id <= c.lastId || qos > 1 || retain > 1 || topicLength > length - kMessageFixed)
                break;
            m.qos = qos;
            m.retain = retain == 1;
            m.topic.assign(body + kMessageFixed, topicLength);
            m.payload.assign(body + kMessageFixed + topicLength, length - kMessageFixed - topicLength);
            c.lastId = m.id;
            waiting.emplace_back(std::move(m), at);
        } else if (body[0] == kDone && length == 9) {
            // Gone up to done (an older mark, copied along by a rewrite, says nothing new);
            // later ids are above it even when the file no longer holds them.
            const std::uint64_t done = std::max(c.lastDone, getLe(body + 1, 8));
            c.lastDone = done;
            c.lastId = std::max(c.lastId, done);
            while (!waiting.empty() && waiting.front().first.id <= done)
                waiting.pop_front();
        } else {
            break;
        }
        at += kFrame + length;
        c.wholeBytes = at;
    }
    c.damaged = c.wholeBytes != size;
    c.messages.reserve(waiting.size());
    c.offsets.reserve(waiting.size());
    for (auto &[m, offset] : waiting) {
        c.messages.push_back(std::move(m));
        c.offsets.push_back(offset);
    }
    return c;
}

bool PlantOutboxFile::open(const std::string &path, PlantOutboxContents *contents, std::string *problem)
{
    close();
    *contents = {};
    problem->clear();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *problem = "outbox file not usable: " + path + ": " + std::strerror(errno);
        return false;
    }
    // Two programs started in one directory would send each other's messages.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *problem = "outbox file in use by another program: " + path;
        ::close(fd);
        return false;
    }
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *problem = "outbox file not readable: " + path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    *contents = ReadPlantOutbox(bytes.data(), bytes.size());
    if (contents->damaged) {
        *problem = "outbox file damaged after " + std::to_string(contents->wholeBytes) + " of " +
                   std::to_string(bytes.size()) + " bytes, " + std::to_string(contents->messages.size()) +
                   " messages kept, the rest cut off: " + path;
    }
    // What follows the last whole record goes, so that new records can be read after it.
    std::size_t keep = contents->wholeBytes;
    if (keep < kHeaderSize) {
        if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0 || !writeAll(fd, kHeader, kHeaderSize)) {
            *problem = "outbox file not writable: " + path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        keep = kHeaderSize;
    } else if (keep != bytes.size() && ::ftruncate(fd, static_cast<off_t>(keep)) != 0) {
        *problem = "outbox file not writable: " + path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    ::lseek(fd, static_cast<off_t>(keep), SEEK_SET);
    fd_ = fd;
    path_ = path;
    size_ = keep;
    lastDone_ = contents->lastDone;
    lastAppended_ = contents->lastId;
    live_.clear();
    for (std::size_t i = 0; i < contents->messages.size(); ++i)
        live_.emplace_back(contents->messages[i].id, contents->offsets[i]);
    dirty_ = false;
    return true;
}

void PlantOutboxFile::close()
{
    if (fd_ < 0)
        return;
    sync();
    ::close(fd_); // releases the lock
    fd_ = -1;
    path_.clear();
    live_.clear();
    size_ = 0;
}

bool PlantOutboxFile::write(const std::string &bytes)
{
    if (fd_ < 0)
        return false;
    if (!writeAll(fd_, bytes.data(), bytes.size())) {
        // A partial record is cut off again, so that later ones stay readable.
        if (::ftruncate(fd_, static_cast<off_t>(size_)) == 0)
            ::lseek(fd_, static_cast<off_t>(size_), SEEK_SET);
        return false;
    }
    size_ += bytes.size();
    dirty_ = true;
    return true;
}

bool PlantOutboxFile::append(const std::vector<PlantMessage> &messages)
{
    std::string bytes;
    std::vector<std::pair<std::uint64_t, std::size_t>> added;
    for (const PlantMessage &m : messages) {
        if (m.id <= lastAppended_)
            continue;
        added.emplace_back(m.id, size_ + bytes.size());
        bytes += PlantOutboxMessageRecord(m);
        lastAppended_ = m.id;
    }
    if (bytes.empty())
        return true;
    if (!write(bytes))
        return false;
    live_.insert(live_.end(), added.begin(), added.end());
    return true;
}

bool PlantOutboxFile::done(std::uint64_t lastDone)
{
    if (fd_ < 0 || lastDone <= lastDone_)
        return true;
    // Ids the file never had (sent before they were written) are gone as well.
    lastDone = std::min(lastDone, lastAppended_);
    if (lastDone <= lastDone_)
        return true;
    lastDone_ = lastDone;
    while (!live_.empty() && live_.front().first <= lastDone)
        live_.pop_front();
    if (live_.empty() && size_ > kCompactSlack) {
        // Nothing waits: the file starts over. The done mark keeps the ids growing.
        if (::ftruncate(fd_, static_cast<off_t>(kHeaderSize)) != 0)
            return false;
        ::lseek(fd_, static_cast<off_t>(kHeaderSize), SEEK_SET);
        size_ = kHeaderSize;
        return write(PlantOutboxDoneRecord(lastDone_));
    }
    if (!write(PlantOutboxDoneRecord(lastDone_)))
        return false;
    if (live_.empty())
        return true;
    const std::size_t gone = live_.front().second - kHeaderSize;
    if (gone > size_ - live_.front().second + kCompactSlack)
        return compact();
    return true;
}

bool PlantOutboxFile::compact()
{
    // The waiting records are copied as they are into a new file that then takes the old
    // one's place: a power cut meanwhile leaves either the old file or the new one.
    const std::size_t from = live_.front().second;
    const std::string tmpPath = path_ + ".new";
    const int out = ::open(tmpPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0)
        return false;
    ::flock(out, LOCK_EX | LOCK_NB);
    const std::string head = PlantOutboxHeader() + PlantOutboxDoneRecord(lastDone_);
    bool ok = writeAll(out, head.data(), head.size());
    char chunk[65536];
    for (std::size_t at = from; ok && at < size_;) {
        const ssize_t n = ::pread(fd_, chunk, std::min(sizeof chunk, size_ - at), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0 && writeAll(out, chunk, static_cast<std::size_t>(n));
        at += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && ::fsync(out) == 0 && ::rename(tmpPath.c_str(), path_.c_str()) == 0;
    if (!ok) {
        ::close(out);
        ::unlink(tmpPath.c_str());
        return false;
    }
    ::close(fd_);
    fd_ = out;
    const std::size_t shift = from - head.size();
    for (auto &entry : live_)
        entry.second -= shift;
    size_ -= shift;
    ::lseek(fd_, static_cast<off_t>(size_), SEEK_SET);
    dirty_ = false;
    return true;
}

void PlantOutboxFile::sync()
{
    if (fd_ >= 0 && dirty_) {
        ::fdatasync(fd_);
        dirty_ = false;
    }
}
